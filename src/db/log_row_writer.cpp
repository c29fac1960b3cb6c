#include "db/log_row_writer.h"

#include "db/database.h"
#include "db/sql_text.h"

#include <array>
#include <charconv>
#include <sqlite3.h>
#include <string>

class LogRowWriter::Engine {
public:
    // The statements go with the connection: closing it first lets them go.
    explicit Engine(Database& db)
        : db_(&db), hook_(db.onClose([this] {
              release();
              db_ = nullptr;
          }))
    {
    }
    virtual ~Engine()
    {
        if (db_)
            db_->dropOnClose(hook_);
    }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    virtual int storeAll(std::span<const LogRow> rows) = 0;

protected:
    // Lets the prepared statements go before the connection closes.
    virtual void release() = 0;

    void throwIfClosed() const
    {
        if (!db_)
            throw DbError(QStringLiteral("The database connection of the log writer is closed."));
    }
    Database& database() const
    {
        throwIfClosed();
        return *db_;
    }

    // A date and time in stored form; a text that is none is refused.
    static QString checkedDate(const QString& text, const char* field)
    {
        QString date = storedDateTime(text);
        if (date.isNull())
            throw DbError(QStringLiteral("Data type mismatch: '%1' is not a date and time for %2.")
                              .arg(text, QLatin1String(field)));
        return date;
    }

    // The same for the storage time, null when unset; the rows of a chunk
    // share one, which is looked at once.
    QString checkedWdate(const QString& text)
    {
        if (text.isNull())
            return {};
        if (text != lastWdate_) {
            lastStoredWdate_ = checkedDate(text, "WDate");
            lastWdate_ = text;
        }
        return lastStoredWdate_;
    }

private:
    Database* db_;
    int hook_;
    QString lastWdate_, lastStoredWdate_;
};

namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Looks for the key, then inserts: the same two steps on any SQLite file.
class SqliteLogWriter : public LogRowWriter::Engine {
public:
    explicit SqliteLogWriter(Database& db) : Engine(db), handle_(db.sqliteHandle())
    {
        if (!handle_)
            throw DbError(QStringLiteral("The database is not open."));
        find_ = prepare("SELECT 1 FROM Log_Data WHERE Unit_SN = ?1 AND Date = ?2 AND Data_No = ?3");
        insert_ = prepare("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, "
                          "WDate) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    }

    int storeAll(std::span<const LogRow> rows) override
    {
        int stored = 0;
        for (const LogRow& row : rows) {
            throwIfClosed();
            stored += store(row, checkedDate(row.date, "Date"), checkedWdate(row.wdate));
        }
        return stored;
    }

protected:
    void release() override
    {
        find_.reset();
        insert_.reset();
    }

private:
    // Whether the row was stored (not stored already).
    bool store(const LogRow& row, const QString& date, const QString& wdate)
    {
        sqlite3_stmt* find = find_.get();
        bindText(find, 1, row.unitSn);
        bindText(find, 2, date);
        bindText(find, 3, row.dataNo);
        const int found = sqlite3_step(find);
        sqlite3_reset(find);
        if (found == SQLITE_ROW)
            return false;
        if (found != SQLITE_DONE)
            fail();

        sqlite3_stmt* insert = insert_.get();
        bindText(insert, 1, row.unitSn);
        bindText(insert, 2, date);
        bindText(insert, 3, row.dataNo);
        sqlite3_bind_int(insert, 4, row.logNo);
        bindText(insert, 5, row.alcohol);
        bindTextOrNull(insert, 6, row.tani);
        bindTextOrNull(insert, 7, wdate);
        const int inserted = sqlite3_step(insert);
        sqlite3_reset(insert);
        if (inserted != SQLITE_DONE)
            fail();
        return true;
    }

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

    static void bindTextOrNull(sqlite3_stmt* statement, int index, const QString& text)
    {
        if (text.isNull())
            sqlite3_bind_null(statement, index);
        else
            bindText(statement, index, text);
    }

    [[noreturn]] void fail() const { throw DbError(QString::fromUtf8(sqlite3_errmsg(handle_))); }

    sqlite3* handle_;
    Statement find_;
    Statement insert_;
};

// The rows come as one array per field; they are inserted in key order (the
// first of equal keys first), the same order in every writer.
constexpr auto kServerInsert =
    "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate) "
    "SELECT u, d, n, l, a, t, w FROM unnest($1::text[], $2::timestamp[], $3::text[], "
    "$4::integer[], $5::text[], $6::text[], $7::timestamp[]) WITH ORDINALITY AS r(u, d, n, l, a, "
    "t, w, i) ORDER BY u COLLATE \"C\", d, n COLLATE \"C\", i "
    "ON CONFLICT (Unit_SN, Date, Data_No) DO NOTHING";

// The fields of many rows as the server's array literals: {"a","b",NULL}.
// Each text is copied character by character straight into the literal.
class ArrayTexts {
public:
    void reserve(std::size_t rows) { out_.reserve(rows * 24 + 2); }
    void add(const QString& text)
    {
        separate();
        if (text.isNull()) {
            out_ += "NULL";
            return;
        }
        out_ += '"';
        const QChar* chars = text.constData();
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (chars[i].unicode() >= 0x80) { // the rest in UTF-8
                addEscaped(QStringView(text).sliced(i).toUtf8());
                break;
            }
            addEscaped(static_cast<char>(chars[i].unicode()));
        }
        out_ += '"';
    }
    void add(int number)
    {
        separate();
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        out_.append(digits, end);
    }
    const char* finish()
    {
        out_ += '}';
        return out_.c_str();
    }

private:
    void separate() { out_ += out_.empty() ? '{' : ','; }
    void addEscaped(char c)
    {
        if (c == '"' || c == '\\')
            out_ += '\\';
        out_ += c;
    }
    void addEscaped(const QByteArray& bytes)
    {
        for (const char c : bytes)
            addEscaped(c);
    }
    std::string out_;
};

// One statement, one round trip for all rows of a chunk; the unique key
// decides, so concurrent writers never fail on each other's rows.
class ServerLogWriter : public LogRowWriter::Engine {
public:
    explicit ServerLogWriter(Database& db) : Engine(db) {}

    int storeAll(std::span<const LogRow> rows) override
    {
        throwIfClosed();
        if (rows.empty())
            return 0;
        std::array<ArrayTexts, 7> fields;
        for (ArrayTexts& field : fields)
            field.reserve(rows.size());
        for (const LogRow& row : rows) {
            const QString date = checkedDate(row.date, "Date");
            const QString wdate = checkedWdate(row.wdate);
            fields[0].add(row.unitSn);
            fields[1].add(date);
            fields[2].add(row.dataNo);
            fields[3].add(row.logNo);
            // An empty value stays empty; an unset unit code stays null.
            fields[4].add(row.alcohol.isNull() ? QStringLiteral("") : row.alcohol);
            fields[5].add(row.tani);
            fields[6].add(wdate);
        }
        std::array<const char*, 7> values{};
        for (std::size_t i = 0; i < fields.size(); ++i)
            values[i] = fields[i].finish();

        // An unnamed statement per chunk: nothing is kept on the session, so
        // a connection pooler or DISCARD ALL cannot take it away mid-transaction,
        // and parsing once per chunk of thousands of rows costs nothing.
        // Awaited in the event loop as every statement of the session is.
        return database().executeOnServer(kServerInsert, values);
    }

protected:
    // Nothing is held on the session.
    void release() override {}
};

} // namespace

LogRowWriter::LogRowWriter(Database& db)
{
    if (!db.isOpen())
        throw DbError(QStringLiteral("The database is not open."));
    if (db.engine() == DbEngine::Postgresql)
        engine_ = std::make_unique<ServerLogWriter>(db);
    else
        engine_ = std::make_unique<SqliteLogWriter>(db);
}

LogRowWriter::~LogRowWriter() = default;

int LogRowWriter::storeAll(std::span<const LogRow> rows)
{
    return engine_->storeAll(rows);
}
