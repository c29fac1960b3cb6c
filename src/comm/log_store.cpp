#include "comm/log_decode.h"

#include "app/database.h"
#include "app/sql_text.h"
#include "comm/log_decoder.h"

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
class LogStore {
public:
    explicit LogStore(Database& db) : handle_(db.nativeHandle())
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

DecodeOutcome Log_Decode(Database& db, const QString& hexText, const Clock& now,
                         const std::function<void()>& yield)
{
    DecodeOutcome outcome;
    const QList<LogRecord> records = decodeRecords(hexText);
    outcome.records = static_cast<int>(records.size());

    try {
        for (qsizetype first = 0; first < records.size(); first += kLogStoreChunk) {
            if (first > 0 && yield)
                yield();
            const qsizetype end = std::min(first + kLogStoreChunk, records.size());
            const QString wdate = storedDateTime(now ? now() : QDateTime::currentDateTime());
            DecodeOutcome chunk;
            Transaction transaction(db);
            {
                LogStore store(db);
                for (qsizetype i = first; i < end; ++i) {
                    const LogRecord& record = records[i];
                    if (!record.valid)
                        ++chunk.invalid;
                    else if (store.store(record, wdate))
                        ++chunk.stored;
                    else
                        ++chunk.duplicates;
                }
            }
            transaction.commit();
            outcome.stored += chunk.stored;
            outcome.duplicates += chunk.duplicates;
            outcome.invalid += chunk.invalid;
        }
    } catch (const DbError& e) {
        outcome.error = e.message();
    }
    return outcome;
}
