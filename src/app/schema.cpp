#include "app/schema.h"

#include "app/database.h"

namespace schema {

namespace {

QString textField(const char* name, int maxLength)
{
    return QStringLiteral("\"%1\" TEXT CHECK (\"%1\" IS NULL OR length(\"%1\") <= %2)")
        .arg(QLatin1String(name))
        .arg(maxLength);
}

QString intField(const char* name)
{
    // A 16-bit integer field, as the original engine's Integer type.
    return QStringLiteral("\"%1\" INTEGER CHECK (\"%1\" IS NULL OR (typeof(\"%1\") = 'integer' "
                          "AND \"%1\" BETWEEN -32768 AND 32767))")
        .arg(QLatin1String(name));
}

QString dateField(const char* name)
{
    // Only a real date and time: datetime() moves 31 February to March, so the
    // comparison refuses it.
    return QStringLiteral(
               "\"%1\" DATETIME CHECK (\"%1\" IS NULL OR (typeof(\"%1\") = 'text' AND \"%1\" GLOB "
               "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]' "
               "AND datetime(\"%1\") = \"%1\"))")
        .arg(QLatin1String(name));
}

QString logDataFields()
{
    return QStringList{textField("Unit_SN", 10), dateField("Date"),        textField("Data_No", 50),
                       intField("Log_No"),       textField("Alcohol", 10), textField("Tani", 6),
                       dateField("WDate")}
        .join(QStringLiteral(", "));
}

QString masterFields()
{
    return QStringList{intField("Log_No"), textField("Naiyou", 255), textField("Naiyou2", 255),
                       dateField("Date")}
        .join(QStringLiteral(", "));
}

} // namespace

QStringList statements()
{
    return {
        QStringLiteral("CREATE TABLE Log_Data (%1)").arg(logDataFields()),
        QStringLiteral("CREATE TABLE Log_Data_Bak (%1)").arg(logDataFields()),
        QStringLiteral("CREATE TABLE Log_Master (%1)").arg(masterFields()),
        QStringLiteral("CREATE TABLE Log_Master_Bak (%1)").arg(masterFields()),
        QStringLiteral("CREATE TABLE Kiki_Name (%1, %2, %3)")
            .arg(textField("Unit_SN", 10), textField("Name", 50), dateField("Date")),
        QStringLiteral("CREATE TABLE Login (%1, %2, %3, %4)")
            .arg(textField("ID", 10), textField("Name", 50), textField("Pass", 255),
                 dateField("Date")),
        QStringLiteral("CREATE TABLE Fukusu (%1, %2, %3, %4)")
            .arg(intField("No"), textField("Name", 50), intField("Log_No"), dateField("Date")),
        QStringLiteral("CREATE TABLE UFukusu (%1, %2, %3, %4)")
            .arg(intField("No"), textField("Name", 50), textField("Unit_SN", 10),
                 dateField("Date")),
        QStringLiteral("CREATE TABLE Com_Port (%1)").arg(intField("Port")),

        // A stored log is identified by unit, date and time, and data number.
        QStringLiteral("CREATE UNIQUE INDEX Log_Data_Key ON Log_Data (Unit_SN, Date, Data_No)"),
        QStringLiteral("CREATE INDEX Log_Data_Date ON Log_Data (Date)"),
        QStringLiteral("CREATE INDEX Log_Data_LogNo ON Log_Data (Log_No)"),
        QStringLiteral("CREATE INDEX Log_Master_LogNo ON Log_Master (Log_No)"),
        QStringLiteral("CREATE INDEX Kiki_Name_Unit ON Kiki_Name (Unit_SN)"),
        QStringLiteral("CREATE INDEX Login_ID ON Login (ID)"),
        QStringLiteral("CREATE INDEX Fukusu_Name ON Fukusu (Name, No)"),
        QStringLiteral("CREATE INDEX UFukusu_Name ON UFukusu (Name, No)"),

        // A join without a match gives the empty text.
        QStringLiteral(
            "CREATE VIEW V_Log_Data AS SELECT L.Unit_SN AS Unit_SN, L.Date AS Date, "
            "L.Data_No AS Data_No, L.Log_No AS Log_No, L.Alcohol AS Alcohol, L.Tani AS Tani, "
            "COALESCE(M.Naiyou, '') AS Naiyou, COALESCE(M.Naiyou2, '') AS Naiyou2, "
            "COALESCE(K.Name, '') AS Name, '' AS User "
            "FROM Log_Data L LEFT JOIN Log_Master M ON M.Log_No = L.Log_No "
            "LEFT JOIN Kiki_Name K ON K.Unit_SN = L.Unit_SN"),
        QStringLiteral("CREATE VIEW V_Unit_SN AS SELECT U.Unit_SN AS Unit_SN, "
                       "COALESCE(K.Name, '') AS Name "
                       "FROM (SELECT DISTINCT Unit_SN FROM Log_Data) U "
                       "LEFT JOIN Kiki_Name K ON K.Unit_SN = U.Unit_SN"),
        QStringLiteral("CREATE VIEW V_FUKUSU AS SELECT F.Name AS Name, F.No AS No, "
                       "F.Log_No AS Log_No, COALESCE(M.Naiyou, '') AS Naiyou, "
                       "COALESCE(M.Naiyou2, '') AS Naiyou2 "
                       "FROM Fukusu F LEFT JOIN Log_Master M ON M.Log_No = F.Log_No"),
    };
}

QStringList tableNames()
{
    return {QStringLiteral("Log_Data"),   QStringLiteral("Log_Data_Bak"),
            QStringLiteral("Log_Master"), QStringLiteral("Log_Master_Bak"),
            QStringLiteral("Kiki_Name"),  QStringLiteral("Login"),
            QStringLiteral("Fukusu"),     QStringLiteral("UFukusu"),
            QStringLiteral("Com_Port")};
}

void create(Database& db)
{
    Transaction tx(db);
    for (const QString& sql : statements())
        db.execute(sql);
    tx.commit();
}

} // namespace schema
