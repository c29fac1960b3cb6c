#include "admin/log_preservation.h"

#include "base/sjis_text.h"
#include "base/texts/admin.h"
#include "base/whole_write.h"
#include "db/database.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <optional>

namespace log_preservation {

namespace {

// Lines are gathered into chunks of about this many characters, each encoded
// and written at once.
constexpr qsizetype kChunkChars = 1 << 16;

// An operation the server gave up for another one's sake runs this many
// times at most.
constexpr int kAttempts = 4;

void appendDate(QString& out, const QVariant& value)
{
    if (value.isNull())
        return;
    if (value.metaType().id() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        out += dt.toString(dt.time() == QTime(0, 0) ? QStringLiteral("yyyy/MM/dd")
                                                    : QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        return;
    }
    const QString text = value.toString();
    const bool stored = text.size() == 19 && text[4] == QLatin1Char('-') &&
                        text[7] == QLatin1Char('-') && text[10] == QLatin1Char(' ');
    if (!stored) {
        out += text;
        return;
    }
    const qsizetype start = out.size();
    const bool midnight = QStringView(text).mid(11) == QLatin1String("00:00:00");
    out += QStringView(text).left(midnight ? 10 : 19);
    out[start + 4] = QLatin1Char('/');
    out[start + 7] = QLatin1Char('/');
}

void appendLine(QString& out, const QString& snHead, const LogRow& row)
{
    static const QString setError = texts::db_keep::SetError.ja_();
    out += snHead;
    out += row.unit;
    out += QLatin1Char(',');
    appendDate(out, row.date);
    out += QLatin1Char(',');
    out += row.dataNo;
    out += QLatin1Char(',');
    out += !row.naiyou.isEmpty() ? row.naiyou : !row.naiyou2.isEmpty() ? row.naiyou2 : setError;
    out += row.alcohol;
    out += row.tani;
}

// Stops the reading of the view when the file fails.
struct FileFailure {
    QString message;
};

// The columns of V_Log_Data a line is made of, found once by name.
struct Columns {
    explicit Columns(const QSqlRecord& r)
        : unit(r.indexOf(QStringLiteral("Unit_SN"))), date(r.indexOf(QStringLiteral("Date"))),
          dataNo(r.indexOf(QStringLiteral("Data_No"))), naiyou(r.indexOf(QStringLiteral("Naiyou"))),
          naiyou2(r.indexOf(QStringLiteral("Naiyou2"))),
          alcohol(r.indexOf(QStringLiteral("Alcohol"))), tani(r.indexOf(QStringLiteral("Tani")))
    {
    }
    int unit, date, dataNo, naiyou, naiyou2, alcohol, tani;
};

class ChunkWriter {
public:
    explicit ChunkWriter(QSaveFile& file) : file_(file) { chunk_.reserve(kChunkChars + 512); }

    QString& chunk() { return chunk_; }

    // Encodes and writes the gathered lines once there are enough of them (or always).
    void flush(bool always)
    {
        if (chunk_.isEmpty() || (!always && chunk_.size() < kChunkChars))
            return;
        const std::optional<QByteArray> bytes = sjis::encode(chunk_);
        if (!bytes)
            throw FileFailure{unwritableLine()};
        if (!writeWhole(file_, *bytes))
            throw FileFailure{file_.fileName() + QStringLiteral(": ") + file_.errorString()};
        chunk_.clear();
    }

private:
    QString unwritableLine() const
    {
        for (const QString& line : chunk_.split(QStringLiteral("\r\n"))) {
            if (!sjis::encode(line))
                return QStringLiteral("A character cannot be written in Shift_JIS: %1").arg(line);
        }
        return QStringLiteral("A character cannot be written in Shift_JIS.");
    }

    QSaveFile& file_;
    QString chunk_;
};

QString text(const QSqlQuery& q, int column)
{
    return column < 0 ? QString() : q.value(column).toString();
}

} // namespace

QString dateText(const QVariant& value)
{
    QString out;
    appendDate(out, value);
    return out;
}

QString logLine(const QString& snHead, const LogRow& row)
{
    QString out;
    appendLine(out, snHead, row);
    return out;
}

QString Write_LogFile(Database& db, const QString& path, const QString& snHead)
{
    QSaveFile file(path);
    const auto fileError = [&] {
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    };
    // Unbuffered, so that a write stopping short (a full disk) is seen.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fileError();
    ChunkWriter writer(file);
    try {
        std::optional<Columns> columns;
        LogRow row;
        db.forEachRow(QStringLiteral("SELECT * FROM V_Log_Data ;"), [&](const QSqlQuery& q) {
            if (!columns)
                columns.emplace(q.record());
            row.unit = text(q, columns->unit);
            row.date = columns->date < 0 ? QVariant() : q.value(columns->date);
            row.dataNo = text(q, columns->dataNo);
            row.naiyou = text(q, columns->naiyou);
            row.naiyou2 = text(q, columns->naiyou2);
            row.alcohol = text(q, columns->alcohol);
            row.tani = text(q, columns->tani);
            appendLine(writer.chunk(), snHead, row);
            writer.chunk() += QLatin1String("\r\n");
            writer.flush(false);
        });
        writer.flush(true);
    } catch (const FileFailure& failure) {
        file.cancelWriting();
        return failure.message;
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (!file.commit())
        return fileError();
    return {};
}

void Backup_LogData(Database& db)
{
    db.execute(QStringLiteral("DELETE FROM Log_Data_Bak ;"));
    db.execute(QStringLiteral("INSERT INTO Log_Data_Bak SELECT * FROM Log_Data ;"));
}

void Delete_LogData(Database& db)
{
    db.execute(QStringLiteral("DELETE FROM Log_Data ;"));
}

namespace {

Outcome runOnce(Database& db, Operation operation, const QString& path, const QString& snHead)
{
    std::optional<Transaction> tx;
    if (operation != Operation::Save)
        tx.emplace(db, Database::Isolation::OneSnapshot);
    if (operation != Operation::Delete) {
        const QString error = Write_LogFile(db, path, snHead);
        if (!error.isEmpty())
            return {Outcome::Failure::File, error};
    }
    if (tx) {
        Backup_LogData(db);
        Delete_LogData(db);
        tx->commit();
    }
    return {};
}

} // namespace

Outcome Run_Preserve(Database& db, Operation operation, const QString& path, const QString& snHead)
{
    for (int attempt = 1;; ++attempt) {
        try {
            return runOnce(db, operation, path, snHead);
        } catch (const DbError& e) {
            if (e.fault() != DbFault::Conflict || attempt == kAttempts)
                return {Outcome::Failure::Database, e.message()};
        }
    }
}

} // namespace log_preservation
