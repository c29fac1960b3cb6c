#include "admin_core/log_preservation.h"

#include "admin_core/log_archive.h"
#include "base/sjis_text.h"
#include "base/staged_file.h"
#include "base/texts/admin.h"
#include "base/whole_write.h"
#include "db/database.h"
#include "db/row_stream.h"

#include <QDir>
#include <optional>

namespace log_preservation {

namespace {

// Lines are gathered into chunks of about this many bytes, each encoded and
// written at once.
constexpr qsizetype kChunkBytes = 1 << 16;

// An operation the server gave up for another one's sake runs this many
// times at most.
constexpr int kAttempts = 4;

// The lines written are reported every this many lines.
constexpr qint64 kReportEvery = 4096;

void append(QByteArray& out, std::string_view text)
{
    out.append(text.data(), static_cast<qsizetype>(text.size()));
}

// A stored "YYYY-MM-DD HH:MM:SS" as "YYYY/MM/DD HH:MM:SS", exactly midnight
// as the date alone; any other text as it is.
void appendDate(QByteArray& out, std::string_view text)
{
    const bool stored = text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ';
    if (!stored) {
        append(out, text);
        return;
    }
    const qsizetype start = out.size();
    append(out, text.substr(0, text.substr(11) == "00:00:00" ? 10 : 19));
    out[start + 4] = '/';
    out[start + 7] = '/';
}

// The columns of V_Log_Data a line is made of, found once by name.
struct Columns {
    explicit Columns(const RowStream& rows)
        : unit(rows.column("Unit_SN")), date(rows.column("Date")), dataNo(rows.column("Data_No")),
          naiyou(rows.column("Naiyou")), naiyou2(rows.column("Naiyou2")),
          alcohol(rows.column("Alcohol")), tani(rows.column("Tani"))
    {
    }
    int unit, date, dataNo, naiyou, naiyou2, alcohol, tani;
};

// One line of the file, in UTF-8, with its line end.
void appendLine(QByteArray& out, const QByteArray& snHead, const RowStream& rows, const Columns& c)
{
    static const QByteArray setError = texts::db_keep::SetError.ja_().toUtf8();
    out += snHead;
    append(out, rows.text(c.unit));
    out += ',';
    appendDate(out, rows.text(c.date));
    out += ',';
    append(out, rows.text(c.dataNo));
    out += ',';
    std::string_view content = rows.text(c.naiyou);
    if (content.empty())
        content = rows.text(c.naiyou2);
    if (content.empty())
        content = std::string_view(setError.constData(), std::size_t(setError.size()));
    append(out, content);
    append(out, rows.text(c.alcohol));
    append(out, rows.text(c.tani));
    out += "\r\n";
}

// Stops the reading of the view when the file fails.
struct FileFailure {
    QString message;
};

class ChunkWriter {
public:
    ChunkWriter(QFileDevice& file, const QString& shownPath) : file_(file), shownPath_(shownPath)
    {
        chunk_.reserve(kChunkBytes + 1024);
    }

    QByteArray& chunk() { return chunk_; }

    // Encodes and writes the gathered lines once there are enough of them (or always).
    void flush(bool always)
    {
        if (chunk_.isEmpty() || (!always && chunk_.size() < kChunkBytes))
            return;
        const QString text = QString::fromUtf8(chunk_);
        const std::optional<QByteArray> bytes = encoder_.encode(text);
        if (!bytes)
            throw FileFailure{unwritableLine(text)};
        if (!writeWhole(file_, *bytes))
            throw FileFailure{QDir::toNativeSeparators(shownPath_) + QStringLiteral(": ") +
                              file_.errorString()};
        chunk_.clear();
    }

private:
    static QString unwritableLine(const QString& text)
    {
        for (const QString& line : text.split(QStringLiteral("\r\n"))) {
            if (!sjis::encode(line))
                return QStringLiteral("A character cannot be written in Shift_JIS: %1").arg(line);
        }
        return QStringLiteral("A character cannot be written in Shift_JIS.");
    }

    QFileDevice& file_;
    const QString& shownPath_;
    sjis::Encoder encoder_;
    QByteArray chunk_;
};

} // namespace

namespace {

// Writes the file under its temporary name and to the disk: "" or what went
// wrong with the file; a database failure is thrown as DbError.
QString stageLogFile(Database& db, StagedFile& staged, const QString& path, const QString& snHead,
                     const std::function<void(qint64)>& rowsWritten,
                     const std::optional<Period>& period)
{
    if (!staged.open())
        return staged.errorString();
    ChunkWriter writer(staged.file(), path);
    try {
        const QByteArray head = snHead.toUtf8();
        RowStream rows(db,
                       period ? QStringLiteral("SELECT * FROM V_Log_Data") + Period::where(period)
                              : QStringLiteral("SELECT * FROM V_Log_Data ;"),
                       Period::values(period));
        const Columns columns(rows);
        qint64 written = 0;
        while (rows.next()) {
            appendLine(writer.chunk(), head, rows, columns);
            writer.flush(false);
            if (++written % kReportEvery == 0 && rowsWritten)
                rowsWritten(written);
        }
        writer.flush(true);
        if (rowsWritten)
            rowsWritten(written);
    } catch (const FileFailure& failure) {
        return failure.message;
    }
    return staged.finish() ? QString() : staged.errorString();
}

} // namespace

qint64 logCount(Database& db, const std::optional<Period>& period)
{
    RowStream rows(db, QStringLiteral("SELECT count(*) FROM Log_Data") + Period::where(period),
                   Period::values(period), RowStream::kWhole);
    return rows.next() ? rows.integer(0) : 0;
}

QString Write_LogFile(Database& db, const QString& path, const QString& snHead,
                      const std::function<void(qint64)>& rowsWritten,
                      const std::optional<Period>& period)
{
    StagedFile staged(path);
    const QString error = stageLogFile(db, staged, path, snHead, rowsWritten, period);
    if (!error.isEmpty())
        return error;
    return staged.publish() ? QString() : staged.errorString();
}

void Backup_LogData(Database& db, const std::optional<Period>& period)
{
    db.execute(QStringLiteral("DELETE FROM Log_Data_Bak ;"));
    if (!period) {
        db.execute(QStringLiteral("INSERT INTO Log_Data_Bak SELECT * FROM Log_Data ;"));
        return;
    }
    db.execute(QStringLiteral("INSERT INTO Log_Data_Bak SELECT * FROM Log_Data") +
                   Period::where(period),
               Period::values(period));
}

qint64 Delete_LogData(Database& db, const std::optional<Period>& period)
{
    if (!period)
        return db.execute(QStringLiteral("DELETE FROM Log_Data ;"));
    return db.execute(QStringLiteral("DELETE FROM Log_Data") + Period::where(period),
                      Period::values(period));
}

namespace {

Outcome runOnce(Database& db, Operation operation, const QString& path, const QString& snHead,
                const QDateTime& preservedAt, const ProgressReport& report,
                const std::optional<Period>& period)
{
    Outcome outcome;
    const auto step = [&](Step s, qint64 done, qint64 total) {
        if (report)
            report(s, done, total);
    };
    std::optional<Transaction> tx;
    if (operation != Operation::Save)
        tx.emplace(db, Database::Isolation::OneSnapshot);
    // The file waits under a temporary name until the deletion has committed.
    std::optional<StagedFile> staged;
    if (operation != Operation::Delete) {
        const qint64 total = report ? logCount(db, period) : 0;
        step(Step::Writing, 0, total);
        staged.emplace(path);
        const QString error = stageLogFile(
            db, *staged, path, snHead,
            [&](qint64 written) {
                step(Step::Writing, written, total);
                outcome.rows = written;
            },
            period);
        if (!error.isEmpty())
            return {Outcome::Failure::File, error};
    }
    if (tx) {
        step(Step::BackingUp, 0, 0);
        Backup_LogData(db, period);
        step(Step::Archiving, 0, 0);
        log_archive::archiveLogData(db, preservedAt, period);
        step(Step::Deleting, 0, 0);
        outcome.rows = Delete_LogData(db, period);
        try {
            tx->commit();
        } catch (const DbError& e) {
            if (e.fault() != DbFault::CommitUnknown)
                throw;
            // The logs may be gone: the file that holds them is kept under its
            // name, and the operator is asked to check before deleting it.
            QString detail = e.message();
            if (staged && !staged->publish()) {
                staged->keep();
                detail += QLatin1Char('\n') + staged->errorString();
            }
            return {Outcome::Failure::DeletionUnknown, detail};
        }
    }
    if (staged && !staged->publish()) {
        if (!tx) // nothing was deleted: the file is not needed
            return {Outcome::Failure::File, staged->errorString()};
        staged->keep(); // the deleted logs are in it
        return {Outcome::Failure::FileNotPlaced, staged->errorString()};
    }
    return outcome;
}

} // namespace

Outcome Run_Preserve(Database& db, Operation operation, const QString& path, const QString& snHead,
                     const QDateTime& preservedAt, const ProgressReport& report,
                     const std::optional<Period>& period)
{
    for (int attempt = 1;; ++attempt) {
        try {
            return runOnce(db, operation, path, snHead, preservedAt, report, period);
        } catch (const DbError& e) {
            if (e.fault() != DbFault::Conflict || attempt == kAttempts)
                return {Outcome::Failure::Database, e.message()};
        }
    }
}

} // namespace log_preservation
