#include "comm/log_store.h"

#include "db/database.h"
#include "db/log_row_writer.h"
#include "db/row_stream.h"
#include "db/sql_text.h"

#include <algorithm>
#include <vector>

namespace {

// A chunk the server gave up for another program's sake (a deadlock) is
// stored again, this many times at most.
constexpr int kChunkAttempts = 4;

LogRow rowOf(const LogRecord& record, const QString& wdate)
{
    LogRow row;
    row.unitSn = record.unitSn;
    row.date = storedRecordDate(record);
    row.dataNo = record.dataNo;
    row.logNo = logNumberValue(record.logNo).value_or(0);
    // The short form has no unit code: Tani stays unset.
    row.alcohol = record.hasAlcohol() ? record.alcohol : QStringLiteral("");
    row.tani = record.hasAlcohol() ? record.unitCode : QString();
    row.wdate = wdate;
    return row;
}

QString keyText(const QString& unitSn, const QString& date, const QString& dataNo)
{
    return unitSn + QChar(0x1f) + date + QChar(0x1f) + dataNo;
}

} // namespace

void HeldKeys::want(const QString& unitSn, const QString& date)
{
    const auto found = spans_.find(unitSn);
    if (found == spans_.end()) {
        spans_.insert(unitSn, {date, date});
        return;
    }
    if (date < found->first)
        found->first = date;
    else if (date > found->second)
        found->second = date;
}

void HeldKeys::lookUp(Database& db, const QString& table)
{
    for (auto span = spans_.cbegin(); span != spans_.cend(); ++span) {
        RowStream rows(db,
                       QStringLiteral("SELECT Date, Data_No FROM %1 WHERE Unit_SN = ? AND Date "
                                      ">= ? AND Date <= ?")
                           .arg(table),
                       {span.key(), span->first, span->second});
        while (rows.next()) {
            const std::string_view date = rows.text(0), dataNo = rows.text(1);
            held_.insert(keyText(span.key(), QString::fromUtf8(date.data(), qsizetype(date.size())),
                                 QString::fromUtf8(dataNo.data(), qsizetype(dataNo.size()))));
        }
    }
}

bool HeldKeys::holds(const QString& unitSn, const QString& date, const QString& dataNo) const
{
    return !held_.isEmpty() && held_.contains(keyText(unitSn, date, dataNo));
}

void LogStore::store(const QList<LogRecord>& records, const QString& wdate, DecodeOutcome& into)
{
    std::vector<LogRow> rows;
    rows.reserve(std::size_t(records.size()));
    for (const LogRecord& record : records) {
        if (record.valid)
            rows.push_back(rowOf(record, wdate));
    }
    for (int attempt = 1;; ++attempt) {
        try {
            // The writer's statements never outlive a chunk, so nothing holds
            // the connection while the window runs its events between chunks.
            Transaction transaction(db_);
            std::vector<LogRow> kept;
            const std::span<const LogRow> fresh = withoutArchived(rows, kept);
            const int stored = LogRowWriter(db_).storeAll(fresh);
            transaction.commit();
            const int archived = static_cast<int>(rows.size() - fresh.size());
            into.stored += stored;
            into.archived += archived;
            into.duplicates += static_cast<int>(fresh.size()) - stored;
            into.invalid += static_cast<int>(records.size() - rows.size());
            return;
        } catch (const DbError& e) {
            if (e.fault() != DbFault::Conflict || attempt == kChunkAttempts)
                throw;
        }
    }
}

std::span<const LogRow> LogStore::withoutArchived(const std::vector<LogRow>& rows,
                                                  std::vector<LogRow>& kept)
{
    HeldKeys archived;
    for (const LogRow& row : rows)
        archived.want(row.unitSn, row.date);
    archived.lookUp(db_, QStringLiteral("Log_Archive"));
    if (archived.none())
        return rows; // the usual case: nothing is copied
    kept.reserve(rows.size());
    for (const LogRow& row : rows) {
        if (!archived.holds(row.unitSn, row.date, row.dataNo))
            kept.push_back(row);
    }
    return kept;
}

bool LogIntake::storeChunks(bool all, const std::function<void()>& between)
{
    while (outcome_.ok() && (decoder_.waiting() >= kLogStoreChunk || (all && waiting() > 0))) {
        if (chunks_++ > 0 && between)
            between();
        const QList<LogRecord> chunk = decoder_.take(kLogStoreChunk);
        try {
            store_.store(chunk, storedDateTime(now_ ? now_() : QDateTime::currentDateTime()),
                         outcome_);
        } catch (const DbError& e) {
            outcome_.error = e.message();
            outcome_.storeUnknown = e.fault() == DbFault::CommitUnknown;
        }
    }
    if (!outcome_.ok())
        decoder_.take(); // what can no longer be stored is only counted
    return outcome_.ok();
}

DecodeOutcome LogIntake::outcome() const
{
    DecodeOutcome out = outcome_;
    out.records = static_cast<int>(decoder_.recordCount());
    return out;
}

DecodeOutcome Log_Decode(Database& db, const QString& hexText, const Clock& now,
                         const std::function<void()>& yield)
{
    // Pieces of the text go through the stream decoder, so a long text is
    // never held twice as decoded records.
    constexpr qsizetype kPiece = 1 << 16;
    LogIntake intake(db, now);
    for (qsizetype pos = 0; pos < hexText.size(); pos += kPiece) {
        intake.feedHex(QStringView(hexText).sliced(pos, std::min(kPiece, hexText.size() - pos)));
        intake.storeChunks(false, yield);
    }
    intake.storeChunks(true, yield);
    return intake.outcome();
}
