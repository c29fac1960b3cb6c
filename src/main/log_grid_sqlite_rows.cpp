#include "main/log_grid_rows.h"

#include "app/database.h"

#include <algorithm>
#include <iterator>
#include <sqlite3.h>

namespace {

enum Field { User, UnitSN, Name, DataNo, Date, Alcohol, Tani, Naiyou, Naiyou2, LogNo, FieldCount };
const char* const kFieldNames[FieldCount] = {"User",    "Unit_SN", "Name",   "Data_No", "Date",
                                             "Alcohol", "Tani",    "Naiyou", "Naiyou2", "Log_No"};

// The rows of a statement on an SQLite connection, straight from the engine.
class SqliteLogGridRows final : public LogGridRows {
public:
    SqliteLogGridRows(sqlite3* db, const QString& sql) : db_(db)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &st_,
                               nullptr) != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
            sqlite3_finalize(st_);
            throw DbError(message);
        }
        std::fill(std::begin(column_), std::end(column_), -1);
        for (int i = 0; i < sqlite3_column_count(st_); ++i) {
            const char* name = sqlite3_column_name(st_, i);
            for (int f = 0; f < FieldCount; ++f) {
                if (column_[f] < 0 && sqlite3_stricmp(name, kFieldNames[f]) == 0)
                    column_[f] = i;
            }
        }
    }
    ~SqliteLogGridRows() override { sqlite3_finalize(st_); }
    SqliteLogGridRows(const SqliteLogGridRows&) = delete;
    SqliteLogGridRows& operator=(const SqliteLogGridRows&) = delete;

    bool next(LogGridRow& row) override
    {
        const int rc = sqlite3_step(st_);
        if (rc == SQLITE_DONE)
            return false;
        if (rc != SQLITE_ROW)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(db_)));
        row.user = text(User);
        row.unitSN = text(UnitSN);
        row.name = text(Name);
        row.dataNo = text(DataNo);
        row.date = text(Date);
        row.alcohol = text(Alcohol);
        row.tani = text(Tani);
        row.naiyou = text(Naiyou);
        row.naiyou2 = text(Naiyou2);
        row.hasLogNo =
            column_[LogNo] >= 0 && sqlite3_column_type(st_, column_[LogNo]) != SQLITE_NULL;
        row.logNo = row.hasLogNo ? sqlite3_column_int(st_, column_[LogNo]) : 0;
        return true;
    }

private:
    std::string_view text(Field f) const
    {
        const int c = column_[f];
        if (c < 0)
            return {};
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, c));
        return p ? std::string_view(p, std::size_t(sqlite3_column_bytes(st_, c)))
                 : std::string_view();
    }

    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
    int column_[FieldCount];
};

} // namespace

std::unique_ptr<LogGridRows> openLogGridRows(Database& db, const QString& sql)
{
    return std::make_unique<SqliteLogGridRows>(db.nativeHandle(), sql);
}
