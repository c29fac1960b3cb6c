#include "admin/log_archive.h"

#include "admin/preservation_line.h"
#include "base/sjis_text.h"
#include "db/database.h"
#include "db/row_stream.h"
#include "db/sql_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace log_archive {

namespace {

// Logs restored or loaded per statement.
constexpr int kDaysPerStep = 31;
constexpr int kRowsPerInsert = 500;

QString dayLiteral(const QDate& day, const char* time)
{
    return QLatin1Char('#') + day.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char(' ') +
           QLatin1String(time) + QLatin1Char('#');
}

// The archived logs of the days that Log_Data lacks, as A.
QString restorable(const QDate& from, const QDate& to)
{
    return QStringLiteral("FROM Log_Archive A WHERE A.Date >= %1 AND A.Date <= %2 AND NOT EXISTS "
                          "(SELECT 1 FROM Log_Data D WHERE D.Unit_SN = A.Unit_SN AND D.Date = "
                          "A.Date AND D.Data_No = A.Data_No)")
        .arg(dayLiteral(from, "00:00:00"), dayLiteral(to, "23:59:59"));
}

QList<preservation_line::Content> logMaster(Database& db)
{
    QList<preservation_line::Content> master;
    RowStream rows(db,
                   QStringLiteral("SELECT Log_No, Naiyou, Naiyou2 FROM Log_Master ORDER BY "
                                  "Log_No"),
                   RowStream::kWhole);
    while (rows.next())
        master.append({int(rows.integer(0)), QString::fromUtf8(rows.text(1)),
                       QString::fromUtf8(rows.text(2))});
    return master;
}

// Stores archived logs by many rows a statement; one stored before is skipped.
class ArchiveInserter {
public:
    ArchiveInserter(Database& db, const QDateTime& now) : db_(db), now_(storedDateTime(now)) {}

    void add(const preservation_line::Log& log)
    {
        values_ << log.unitSn << log.date << log.dataNo
                << (log.logNo ? QVariant(*log.logNo) : QVariant()) << log.alcohol
                << (log.tani.isEmpty() ? QVariant() : QVariant(log.tani)) << now_;
        if (++rows_ == kRowsPerInsert)
            flush();
    }
    qint64 flush()
    {
        if (rows_ > 0) {
            QStringList marks(rows_, QStringLiteral("(?, ?, ?, ?, ?, ?, ?)"));
            added_ += db_.execute(QStringLiteral("INSERT INTO Log_Archive (Unit_SN, Date, Data_No, "
                                                 "Log_No, Alcohol, Tani, HDate) VALUES %1 ON "
                                                 "CONFLICT DO NOTHING")
                                      .arg(marks.join(QStringLiteral(", "))),
                                  values_);
        }
        values_.clear();
        rows_ = 0;
        return added_;
    }

private:
    Database& db_;
    QString now_;
    QVariantList values_;
    int rows_ = 0;
    qint64 added_ = 0;
};

} // namespace

qint64 archiveLogData(Database& db, const QDateTime& now)
{
    return db.execute(
        QStringLiteral("INSERT INTO Log_Archive (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, "
                       "WDate, HDate) SELECT L.Unit_SN, L.Date, L.Data_No, L.Log_No, L.Alcohol, "
                       "L.Tani, L.WDate, ? FROM Log_Data L WHERE NOT EXISTS (SELECT 1 FROM "
                       "Log_Archive A WHERE A.Unit_SN = L.Unit_SN AND A.Date = L.Date AND "
                       "A.Data_No = L.Data_No) ON CONFLICT DO NOTHING"),
        {storedDateTime(now)});
}

qint64 restorableCount(Database& db, const QDate& from, const QDate& to)
{
    RowStream rows(db, QStringLiteral("SELECT count(*) ") + restorable(from, to),
                   RowStream::kWhole);
    return rows.next() ? rows.integer(0) : 0;
}

qint64 restore(Database& db, const QDate& from, const QDate& to,
               const std::function<void(qint64)>& restoredSoFar)
{
    Transaction tx(db);
    qint64 restored = 0;
    // A month at a time, so that a long restore can show how far it is.
    for (QDate first = from; first <= to; first = first.addDays(kDaysPerStep)) {
        const QDate last = qMin(to, first.addDays(kDaysPerStep - 1));
        restored += db.execute(QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, "
                                              "Log_No, Alcohol, Tani, WDate) SELECT A.Unit_SN, "
                                              "A.Date, A.Data_No, A.Log_No, A.Alcohol, A.Tani, "
                                              "A.WDate ") +
                               restorable(first, last) + QStringLiteral(" ON CONFLICT DO NOTHING"));
        if (restoredSoFar)
            restoredSoFar(restored);
    }
    tx.commit();
    return restored;
}

LoadOutcome loadFile(Database& db, const QString& path, const QString& snHead, const QDateTime& now,
                     const std::function<void(qint64, qint64)>& progress)
{
    LoadOutcome out;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        out.failure = LoadOutcome::Failure::File;
        out.detail = QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                     (QFileInfo(path).isFile() ? file.errorString() : QStringLiteral("not a file"));
        return out;
    }
    Transaction tx(db);
    preservation_line::Reader reader(snHead, logMaster(db));
    ArchiveInserter inserter(db, now);
    const qint64 size = file.size();
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine();
        if (bytes.endsWith('\n'))
            bytes.chop(bytes.endsWith("\r\n") ? 2 : 1);
        ++out.line;
        if (bytes.isEmpty()) // a blank line holds no log
            continue;
        const std::optional<QString> text = sjis::decode(bytes);
        const std::optional<preservation_line::Log> log = text ? reader.read(*text) : std::nullopt;
        if (!log) {
            // Nothing of the file is kept: the transaction is rolled back.
            out.failure = LoadOutcome::Failure::Line;
            out.detail = text ? *text : QString::fromLatin1(bytes.toPercentEncoding(" ,./:"));
            return out;
        }
        inserter.add(*log);
        ++out.lines;
        if (progress && out.lines % kRowsPerInsert == 0)
            progress(file.pos(), size);
    }
    if (file.error() != QFileDevice::NoError) {
        out.failure = LoadOutcome::Failure::File;
        out.detail = QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
        return out;
    }
    out.added = inserter.flush();
    tx.commit();
    out.line = 0;
    return out;
}

} // namespace log_archive
