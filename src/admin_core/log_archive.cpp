#include "admin_core/log_archive.h"

#include "admin_core/preservation_line.h"
#include "base/sjis_text.h"
#include "comm/log_store.h"
#include "db/database.h"
#include "db/row_stream.h"
#include "db/schema_archive.h"
#include "db/server_trust.h"
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

// Stores archived logs by many rows a statement; one archived before, or
// one that Log_Data holds (a log is in one place), is skipped.
class ArchiveInserter {
public:
    ArchiveInserter(Database& db, const QDateTime& now) : db_(db), now_(storedDateTime(now)) {}

    void add(const preservation_line::Log& log)
    {
        logs_.append(log);
        if (logs_.size() == kRowsPerInsert)
            flush();
    }
    void flush()
    {
        HeldKeys current;
        for (const preservation_line::Log& log : logs_)
            current.want(log.unitSn, log.date);
        current.lookUp(db_, QStringLiteral("Log_Data"));
        QVariantList values;
        for (const preservation_line::Log& log : logs_) {
            if (current.holds(log.unitSn, log.date, log.dataNo)) {
                ++current_;
                continue;
            }
            values << log.unitSn << log.date << log.dataNo
                   << (log.logNo ? QVariant(*log.logNo) : QVariant()) << log.alcohol
                   << (log.tani.isEmpty() ? QVariant() : QVariant(log.tani)) << now_;
        }
        logs_.clear();
        if (values.isEmpty())
            return;
        const QStringList marks(values.size() / 7, QStringLiteral("(?, ?, ?, ?, ?, ?, ?)"));
        added_ += db_.execute(QStringLiteral("INSERT INTO Log_Archive (Unit_SN, Date, Data_No, "
                                             "Log_No, Alcohol, Tani, HDate) VALUES %1 ON "
                                             "CONFLICT DO NOTHING")
                                  .arg(marks.join(QStringLiteral(", "))),
                              values);
    }
    qint64 added() const { return added_; }
    qint64 current() const { return current_; }

private:
    Database& db_;
    QString now_;
    QList<preservation_line::Log> logs_;
    qint64 added_ = 0;
    qint64 current_ = 0;
};

} // namespace

QString Period::where(const std::optional<Period>& period)
{
    return period ? QStringLiteral(" WHERE Date >= ? AND Date <= ?") : QString();
}

QVariantList Period::values(const std::optional<Period>& period)
{
    if (!period)
        return {};
    return {storedDateTime(QDateTime(period->first, QTime(0, 0, 0))),
            storedDateTime(QDateTime(period->last, QTime(23, 59, 59)))};
}

qint64 archiveLogData(Database& db, const QDateTime& now, const std::optional<Period>& period)
{
    return db.execute(
        QStringLiteral("INSERT INTO Log_Archive (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, "
                       "WDate, HDate) SELECT L.Unit_SN, L.Date, L.Data_No, L.Log_No, L.Alcohol, "
                       "L.Tani, L.WDate, ? FROM Log_Data L WHERE %1NOT EXISTS (SELECT 1 FROM "
                       "Log_Archive A WHERE A.Unit_SN = L.Unit_SN AND A.Date = L.Date AND "
                       "A.Data_No = L.Data_No) ON CONFLICT DO NOTHING")
            .arg(period ? QStringLiteral("L.Date >= ? AND L.Date <= ? AND ") : QString()),
        QVariantList{storedDateTime(now)} + Period::values(period));
}

qint64 restorableCount(Database& db, const QDate& from, const QDate& to)
{
    RowStream rows(db, QStringLiteral("SELECT count(*) ") + restorable(from, to),
                   RowStream::kWhole);
    return rows.next() ? rows.integer(0) : 0;
}

namespace {

// Inside the caller's transaction: the archived logs of the days from `first`
// to `last` that Log_Data lacks go back into Log_Data, and out of the archive
// (those: the archived rows that Log_Data now holds with every field equal,
// the time stored included). The number moved. The restore's one database
// step.
qint64 moveBackToLogData(Database& db, const QDate& first, const QDate& last)
{
    const qint64 moved = db.execute(
        QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, "
                       "WDate) SELECT A.Unit_SN, A.Date, A.Data_No, A.Log_No, A.Alcohol, A.Tani, "
                       "A.WDate ") +
        restorable(first, last) + QStringLiteral(" ON CONFLICT DO NOTHING"));
    // What was put back is in Log_Data now with every field as archived; an
    // archived log that differs from its current copy stays.
    db.execute(
        QStringLiteral("DELETE FROM Log_Archive WHERE Date >= %1 AND Date <= %2 AND EXISTS "
                       "(SELECT 1 FROM Log_Data D WHERE %3)")
            .arg(dayLiteral(first, "00:00:00"), dayLiteral(last, "23:59:59"),
                 schema_archive::sameLog(QStringLiteral("D"), QStringLiteral("Log_Archive"),
                                         {QStringLiteral("Log_No"), QStringLiteral("Alcohol"),
                                          QStringLiteral("Tani"), QStringLiteral("WDate")})));
    return moved;
}

} // namespace

bool restoreRecordsItself(const Database& db)
{
    return db.engine() == DbEngine::Postgresql;
}

qint64 restore(Database& db, const QDate& from, const QDate& to, const Restorer& by,
               const std::function<void(qint64)>& restoredSoFar)
{
    Transaction tx(db);
    qint64 restored = 0;
    if (restoreRecordsItself(db)) {
        // The program's role may not delete archived logs; the function may.
        restored = server_trust::restoreArchived(db, from, to, by.loginId, by.pc, by.details);
        if (restoredSoFar)
            restoredSoFar(restored);
        tx.commit();
        return restored;
    }
    // A month at a time, so that a long restore can show how far it is.
    for (QDate first = from; first <= to; first = first.addDays(kDaysPerStep)) {
        restored += moveBackToLogData(db, first, qMin(to, first.addDays(kDaysPerStep - 1)));
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
    preservation_line::FileLines lines(file);
    QByteArray bytes;
    for (auto got = lines.next(bytes); got != preservation_line::FileLines::Got::End;
         got = lines.next(bytes)) {
        // Nothing of the file is kept after a refusal: the transaction is rolled back.
        out.line = lines.number();
        if (got == preservation_line::FileLines::Got::TooLong) {
            out.failure = LoadOutcome::Failure::TooLong;
            out.detail = preservation_line::excerpt(bytes);
            return out;
        }
        if (bytes.isEmpty()) // a blank line holds no log
            continue;
        const std::optional<QString> text = sjis::decode(bytes);
        const std::optional<preservation_line::Log> log = text ? reader.read(*text) : std::nullopt;
        if (!log) {
            out.failure = LoadOutcome::Failure::Line;
            out.detail = text ? preservation_line::shown(*text)
                              : QString::fromLatin1(bytes.toPercentEncoding(" ,./:"));
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
    inserter.flush();
    tx.commit();
    out.added = inserter.added();
    out.current = inserter.current();
    out.line = 0;
    return out;
}

} // namespace log_archive
