#include "support/test_db.h"

#include "app/delivered_db.h"
#include "app/startup.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

QList<log_master_file::Entry> deliveredLogMaster()
{
    QFile file(QStringLiteral(QVX_LOG_MASTER_FILE));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the log master file");
    return log_master_file::parse(file.readAll()).entries;
}

void makeDeliveredDb(const QString& path, delivered_db::DeliveredFile file)
{
    static QTemporaryDir templates;
    const QString templatePath = templates.filePath(QStringLiteral("%1.db").arg(int(file)));
    if (!QFile::exists(templatePath)) {
        const QString error = delivered_db::create(templatePath, file, deliveredLogMaster(),
                                                   QDateTime(QDate(2024, 1, 1), QTime(9, 0, 0)));
        if (!error.isEmpty())
            qFatal("%s", qPrintable(error));
    }
    QFile::remove(path);
    if (!QFile::copy(templatePath, path))
        qFatal("cannot copy the template database");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
}

TestApp::TestApp(Switches sw, bool open)
{
    using delivered_db::DeliveredFile;
    makeDeliveredDb(dir.filePath(QString::fromLatin1(kDbFileJapanese)), DeliveredFile::Japanese);
    makeDeliveredDb(dir.filePath(QString::fromLatin1(kDbFileEnglish)), DeliveredFile::English);
    makeDeliveredDb(dir.filePath(QString::fromLatin1(kDbFileTest)), DeliveredFile::Test);
    ctx.sw = sw;
    ctx.appDir = dir.path();
    ctx.db = &db;
    ctx.dialogs = &dialogs;
    ctx.now = [this] { return now; };
    ctx.quit = [this] { ++quitCalls; };
    if (open)
        db.open(dbPath());
}

QString TestApp::dbPath() const
{
    return DB_FilePath(dir.path(), ctx.sw);
}

qint64 TestApp::count(const QString& table)
{
    qint64 n = -1;
    db.forEachRow(QStringLiteral("SELECT count(*) FROM %1").arg(table),
                  [&](const QSqlQuery& q) { n = q.value(0).toLongLong(); });
    return n;
}
