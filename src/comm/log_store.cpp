#include "comm/log_store.h"

#include "app/database.h"
#include "app/sql_text.h"

#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// The look-up and the insert of one record, prepared once per chunk. The
// statements never outlive a chunk, so nothing holds the connection while the
// window runs its events between chunks.
class RecordStatements {
public:
    explicit RecordStatements(Database& db) : handle_(db.nativeHandle())
    {
        if (!handle_)
            throw DbError(QStringLiteral("The database is not open."));
        find_ = prepare("SELECT 1 FROM Log_Data WHERE Unit_SN = ?1 AND Date = ?2 AND Data_No = ?3");
        insert_ = prepare("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, "
                          "WDate) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    }

    // Stores a valid record unless a row with the same unit, date and data
    // number exists. False for such a duplicate.
    bool store(const LogRecord& record, const QString& wdate)
    {
        const QString date = storedRecordDate(record);
        sqlite3_stmt* find = find_.get();
        bindText(find, 1, record.unitSn);
        bindText(find, 2, date);
        bindText(find, 3, record.dataNo);
        const int found = sqlite3_step(find);
        sqlite3_reset(find);
        if (found == SQLITE_ROW)
            return false;
        if (found != SQLITE_DONE)
            fail();

        sqlite3_stmt* insert = insert_.get();
        bindText(insert, 1, record.unitSn);
        bindText(insert, 2, date);
        bindText(insert, 3, record.dataNo);
        sqlite3_bind_int(insert, 4, logNumberValue(record.logNo).value_or(0));
        if (record.hasAlcohol()) {
            bindText(insert, 5, record.alcohol);
            bindText(insert, 6, record.unitCode);
        } else {
            // The short form has no unit code: Tani stays unset.
            bindText(insert, 5, QString());
            sqlite3_bind_null(insert, 6);
        }
        if (wdate.isNull())
            sqlite3_bind_null(insert, 7);
        else
            bindText(insert, 7, wdate);
        const int inserted = sqlite3_step(insert);
        sqlite3_reset(insert);
        if (inserted != SQLITE_DONE)
            fail();
        return true;
    }

private:
    Statement prepare(const char* sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(handle_, sql, -1, &statement, nullptr) != SQLITE_OK)
            fail();
        return Statement(statement);
    }

    // The text stays alive until the statement is reset, so SQLite need not copy it.
    static void bindText(sqlite3_stmt* statement, int index, const QString& text)
    {
        const void* data =
            text.isNull() ? static_cast<const void*>(u"") : static_cast<const void*>(text.utf16());
        sqlite3_bind_text16(statement, index, data,
                            static_cast<int>(text.size() * sizeof(char16_t)), SQLITE_STATIC);
    }

    [[noreturn]] void fail() const { throw DbError(QString::fromUtf8(sqlite3_errmsg(handle_))); }

    sqlite3* handle_;
    Statement find_;
    Statement insert_;
};

} // namespace

void LogStore::store(const QList<LogRecord>& records, const QString& wdate, DecodeOutcome& into)
{
    DecodeOutcome chunk;
    Transaction transaction(db_);
    {
        RecordStatements statements(db_);
        for (const LogRecord& record : records) {
            if (!record.valid)
                ++chunk.invalid;
            else if (statements.store(record, wdate))
                ++chunk.stored;
            else
                ++chunk.duplicates;
        }
    }
    transaction.commit();
    into.stored += chunk.stored;
    into.duplicates += chunk.duplicates;
    into.invalid += chunk.invalid;
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
