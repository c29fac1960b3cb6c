#include "db/schema.h"

#include "db/database.h"
#include "db/schema_archive.h"
#include "db/schema_upgrade.h"

#include <QHash>

namespace schema {

namespace {

// Code: a small integer from 0 to the field's size, never null.
enum class Kind { Text, Integer, DateTime, Serial, Code };

// Whether a field may be null, and for a text whether it may be empty.
enum class Need { Optional, Required, NonEmpty };

struct Field {
    const char* name;
    Kind kind;
    int size = 0; // characters, for texts; the highest code, for codes
    Need need = Need::Optional;
};

struct Table {
    const char* name;
    QList<Field> fields;
};

const QList<Field>& logDataFields()
{
    static const QList<Field> fields{{"Unit_SN", Kind::Text, 10}, {"Date", Kind::DateTime},
                                     {"Data_No", Kind::Text, 50}, {"Log_No", Kind::Integer},
                                     {"Alcohol", Kind::Text, 10}, {"Tani", Kind::Text, 6},
                                     {"WDate", Kind::DateTime}};
    return fields;
}

const QList<Field>& masterFields()
{
    static const QList<Field> fields{{"Log_No", Kind::Integer},
                                     {"Naiyou", Kind::Text, 255},
                                     {"Naiyou2", Kind::Text, 255},
                                     {"Date", Kind::DateTime}};
    return fields;
}

QList<Field> archiveFields()
{
    QList<Field> fields = logDataFields();
    fields.append({"HDate", Kind::DateTime}); // when the log was preserved
    return fields;
}

// A log's record in the check record book: keyed like the log, whether the
// log is in Log_Data or in Log_Archive.
QList<Field> checkRecordFields()
{
    return {{"Unit_SN", Kind::Text, 10, Need::Required},
            {"Date", Kind::DateTime, 0, Need::Required},
            {"Data_No", Kind::Text, 50, Need::Required},
            {"Driver", Kind::Text, 40, Need::NonEmpty},
            {"Vehicle", Kind::Text, 20, Need::NonEmpty},
            {"Phase", Kind::Code, 1}, // before driving, after driving
            {"Checker", Kind::Text, 50, Need::Required},
            {"Method", Kind::Code, 3}, // face to face, telephone, video call, other
            {"Detected", Kind::Code, 1},
            {"Instructions", Kind::Text, 200, Need::Required},
            {"Remarks", Kind::Text, 200, Need::Required},
            {"RDate", Kind::DateTime, 0, Need::Required}, // when it was recorded
            {"ID", Kind::Text, 10, Need::Required}};      // by which login ID
}

// The tables added after the first release (schema_archive.h, checkRecordStatements()).
const QList<Table>& laterTables()
{
    static const QList<Table> all{
        {"Check_Record", checkRecordFields()},
        {"Log_Archive", archiveFields()},
        {"Op_History",
         {{"No", Kind::Serial},
          {"Date", Kind::DateTime},
          {"ID", Kind::Text, 10},
          {"PC", Kind::Text, 255},
          {"Operation", Kind::Text, 20},
          {"Details", Kind::Text, 2000}}},
    };
    return all;
}

const QList<Table>& tables()
{
    static const QList<Table> all{
        {"Log_Data", logDataFields()},
        {"Log_Data_Bak", logDataFields()},
        {"Log_Master", masterFields()},
        {"Log_Master_Bak", masterFields()},
        {"Kiki_Name",
         {{"Unit_SN", Kind::Text, 10}, {"Name", Kind::Text, 50}, {"Date", Kind::DateTime}}},
        {"Login",
         {{"ID", Kind::Text, 10},
          {"Name", Kind::Text, 50},
          {"Pass", Kind::Text, 255},
          {"Date", Kind::DateTime}}},
        {"Fukusu",
         {{"No", Kind::Integer},
          {"Name", Kind::Text, 50},
          {"Log_No", Kind::Integer},
          {"Date", Kind::DateTime}}},
        {"UFukusu",
         {{"No", Kind::Integer},
          {"Name", Kind::Text, 50},
          {"Unit_SN", Kind::Text, 10},
          {"Date", Kind::DateTime}}},
        {"Com_Port", {{"Port", Kind::Integer}}},
    };
    return all;
}

// Kept apart from tables(): databases made before it lack it.
const Table& versionTable()
{
    static const Table table{kVersionTable, {{"Version", Kind::Integer}}};
    return table;
}

QString sqliteField(const Field& f)
{
    const QString name = QLatin1String(f.name);
    if (f.need != Need::Optional && f.kind == Kind::Text)
        return QStringLiteral("\"%1\" TEXT NOT NULL CHECK (length(\"%1\") BETWEEN %3 AND %2)")
            .arg(name)
            .arg(f.size)
            .arg(f.need == Need::NonEmpty ? 1 : 0);
    if (f.need != Need::Optional)
        return sqliteField({f.name, f.kind, f.size}) + QStringLiteral(" NOT NULL");
    switch (f.kind) {
    case Kind::Text:
        return QStringLiteral("\"%1\" TEXT CHECK (\"%1\" IS NULL OR length(\"%1\") <= %2)")
            .arg(name)
            .arg(f.size);
    case Kind::Code:
        return QStringLiteral("\"%1\" INTEGER NOT NULL CHECK (typeof(\"%1\") = 'integer' AND "
                              "\"%1\" BETWEEN 0 AND %2)")
            .arg(name)
            .arg(f.size);
    case Kind::Integer:
        // A 16-bit integer field, as the original engine's Integer type.
        return QStringLiteral("\"%1\" INTEGER CHECK (\"%1\" IS NULL OR (typeof(\"%1\") = 'integer' "
                              "AND \"%1\" BETWEEN -32768 AND 32767))")
            .arg(name);
    case Kind::DateTime:
        // Only a real date and time: datetime() moves 31 February to March, so
        // the comparison refuses it.
        return QStringLiteral(
                   "\"%1\" DATETIME CHECK (\"%1\" IS NULL OR (typeof(\"%1\") = 'text' AND "
                   "\"%1\" GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] "
                   "[0-9][0-9]:[0-9][0-9]:[0-9][0-9]' AND datetime(\"%1\") = \"%1\"))")
            .arg(name);
    case Kind::Serial:
        return QStringLiteral("\"%1\" INTEGER PRIMARY KEY").arg(name);
    }
    return {};
}

// Unquoted, so that the server folds the name to lower case.
QString serverField(const Field& f)
{
    const QString name = QLatin1String(f.name);
    if (f.need == Need::NonEmpty)
        return QStringLiteral("%1 text COLLATE \"C\" NOT NULL CHECK (char_length(%1) BETWEEN 1 AND "
                              "%2)")
            .arg(name)
            .arg(f.size);
    if (f.need == Need::Required)
        return serverField({f.name, f.kind, f.size}) + QStringLiteral(" NOT NULL");
    switch (f.kind) {
    case Kind::Text:
        return QStringLiteral("%1 text COLLATE \"C\" CHECK (char_length(%1) <= %2)")
            .arg(name)
            .arg(f.size);
    case Kind::Code:
        return QStringLiteral("%1 smallint NOT NULL CHECK (%1 BETWEEN 0 AND %2)")
            .arg(name)
            .arg(f.size);
    case Kind::Integer:
        return name + QStringLiteral(" smallint");
    case Kind::DateTime:
        return name + QStringLiteral(" timestamp(0) without time zone");
    case Kind::Serial:
        return name + QStringLiteral(" bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY");
    }
    return {};
}

QString createTable(const Table& t, DbEngine engine)
{
    QStringList fields;
    for (const Field& f : t.fields)
        fields << (engine == DbEngine::Sqlite ? sqliteField(f) : serverField(f));
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(QLatin1String(t.name), fields.join(QStringLiteral(", ")));
}

} // namespace

QStringList statements(DbEngine engine)
{
    QStringList out;
    for (const Table& t : tables())
        out << createTable(t, engine);
    out << QStringList{
        // A stored log is identified by unit, date and time, and data number.
        QStringLiteral("CREATE UNIQUE INDEX Log_Data_Key ON Log_Data (Unit_SN, Date, Data_No)"),
        QStringLiteral("CREATE INDEX Log_Data_Date ON Log_Data (Date)"),
        QStringLiteral("CREATE INDEX Log_Data_LogNo ON Log_Data (Log_No)"),
    };
    for (const UniqueKey& key : uniqueKeys()) {
        out << createIndex(key);
        if (!key.trimmedIndex.isEmpty())
            out << createTrimmedIndex(key);
    }
    out << QStringList{
        // A join without a match gives the empty text.
        schema_archive::logView(QStringLiteral("V_Log_Data"), QStringLiteral("Log_Data"), {},
                                engine),
        QStringLiteral("CREATE VIEW V_Unit_SN AS SELECT U.Unit_SN AS Unit_SN, "
                       "COALESCE(K.Name, '') AS Name "
                       "FROM (SELECT DISTINCT Unit_SN FROM Log_Data) U "
                       "LEFT JOIN Kiki_Name K ON K.Unit_SN = U.Unit_SN"),
        QStringLiteral("CREATE VIEW V_FUKUSU AS SELECT F.Name AS Name, F.No AS No, "
                       "F.Log_No AS Log_No, COALESCE(M.Naiyou, '') AS Naiyou, "
                       "COALESCE(M.Naiyou2, '') AS Naiyou2 "
                       "FROM Fukusu F LEFT JOIN Log_Master M ON M.Log_No = F.Log_No"),
    };
    out << schema_archive::statements(engine);
    out << checkRecordStatements(engine);
    out << createVersionTable(engine)
        << QStringLiteral("INSERT INTO %1 (Version) VALUES (%2)")
               .arg(QLatin1String(kVersionTable))
               .arg(schema_upgrade::currentVersion());
    return out;
}

QStringList checkRecordStatements(DbEngine engine)
{
    return {createTable(QStringLiteral("Check_Record"), engine),
            QStringLiteral("CREATE UNIQUE INDEX Check_Record_Key ON Check_Record (Unit_SN, Date, "
                           "Data_No)"),
            // The last record of a handset, and of a driver.
            QStringLiteral("CREATE INDEX Check_Record_Unit ON Check_Record (Unit_SN, Date)"),
            QStringLiteral("CREATE INDEX Check_Record_Driver ON Check_Record (Driver, Date)")};
}

QString createVersionTable(DbEngine engine)
{
    return createTable(versionTable(), engine);
}

const QList<UniqueKey>& uniqueKeys()
{
    static const QList<UniqueKey> keys{
        {"Login_Key", "Login", {"ID"}, "Login_ID", "Login_Trim_Key"},
        {"Kiki_Name_Key", "Kiki_Name", {"Unit_SN"}, "Kiki_Name_Unit", "Kiki_Name_Trim_Key"},
        {"Log_Master_Key", "Log_Master", {"Log_No"}, "Log_Master_LogNo", ""},
        {"Fukusu_Key", "Fukusu", {"Name", "No"}, "Fukusu_Name", "Fukusu_Trim_Key"},
        {"UFukusu_Key", "UFukusu", {"Name", "No"}, "UFukusu_Name", "UFukusu_Trim_Key"},
    };
    return keys;
}

namespace {

// The key's fields as that index compares them: "RTRIM(Name), No".
QString trimmedFields(const UniqueKey& key)
{
    QStringList fields = key.fields;
    fields[0] = QStringLiteral("RTRIM(%1)").arg(fields[0]);
    return fields.join(QStringLiteral(", "));
}

} // namespace

QString createTrimmedIndex(const UniqueKey& key)
{
    return QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (%3)")
        .arg(key.trimmedIndex, key.table, trimmedFields(key));
}

QString createIndex(const UniqueKey& key)
{
    return QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (%3)")
        .arg(key.index, key.table, key.fields.join(QStringLiteral(", ")));
}

QString createTable(const QString& name, DbEngine engine)
{
    for (const Table& t : tables() + laterTables()) {
        if (name == QLatin1String(t.name))
            return createTable(t, engine);
    }
    return {};
}

QStringList tableNames()
{
    QStringList names;
    for (const Table& t : tables())
        names << QLatin1String(t.name);
    return names;
}

QString canonicalName(const QString& name)
{
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> h;
        const auto add = [&h](const char* n) {
            h.insert(QString::fromLatin1(n).toLower(), QString::fromLatin1(n));
        };
        for (const Table& t : tables() + laterTables() + QList<Table>{versionTable()}) {
            add(t.name);
            for (const Field& f : t.fields)
                add(f.name);
        }
        for (const char* n :
             {"V_Log_Data", "V_Unit_SN", "V_FUKUSU", "User", "V_Log_Archive", "Kanri", "Archived"})
            add(n);
        return h;
    }();
    return names.value(name.toLower(), name);
}

void create(Database& db)
{
    Transaction tx(db);
    for (const QString& sql : statements(db.engine()))
        db.execute(sql);
    tx.commit();
}

} // namespace schema
