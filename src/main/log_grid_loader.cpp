#include "main/log_grid_loader.h"

#include "app/database.h"
#include "main/log_row_format.h"

#include <memory>
#include <sqlite3.h>
#include <string_view>

namespace {

enum Field { UnitSN, Date, DataNo, LogNo, Alcohol, Tani, Naiyou, Naiyou2, Name, User, FieldCount };
const char* const kFieldNames[FieldCount] = {"Unit_SN", "Date",   "Data_No", "Log_No", "Alcohol",
                                             "Tani",    "Naiyou", "Naiyou2", "Name",   "User"};

struct Finalize {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};

int twoDigits(const char* p)
{
    return (p[0] - '0') * 10 + (p[1] - '0');
}

bool allDigits(std::string_view s, std::initializer_list<int> at)
{
    for (const int i : at) {
        if (s[std::size_t(i)] < '0' || s[std::size_t(i)] > '9')
            return false;
    }
    return true;
}

// "YYYY-MM-DD HH:MM:SS" into yyyymmdd and hhmmss; false for anything else.
bool parseStored(std::string_view s, std::uint32_t& date, std::uint32_t& time)
{
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' ||
        s[16] != ':' || !allDigits(s, {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}))
        return false;
    const char* p = s.data();
    date = std::uint32_t(twoDigits(p) * 100 + twoDigits(p + 2)) * 10000 +
           std::uint32_t(twoDigits(p + 5) * 100 + twoDigits(p + 8));
    time = std::uint32_t(twoDigits(p + 11) * 10000 + twoDigits(p + 14) * 100 + twoDigits(p + 17));
    return date != 0;
}

QString fromUtf8(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

LogGridLoader::LogGridLoader(const Switches& sw) : sw_(sw)
{
    measured_.intern({}, [](std::string_view) { return QString(); }); // index 0 = no value
}

void LogGridLoader::load(Database& db, const QString& sql)
{
    sqlite3* handle = db.nativeHandle();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(handle, text.constData(), static_cast<int>(text.size()), &raw,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)));
    }
    const std::unique_ptr<sqlite3_stmt, Finalize> st(raw);

    int column[FieldCount];
    std::fill(std::begin(column), std::end(column), -1);
    for (int i = 0; i < sqlite3_column_count(raw); ++i) {
        const char* name = sqlite3_column_name(raw, i);
        for (int f = 0; f < FieldCount; ++f) {
            if (column[f] < 0 && sqlite3_stricmp(name, kFieldNames[f]) == 0)
                column[f] = i;
        }
    }
    const auto field = [raw, &column](Field f) -> std::string_view {
        if (column[f] < 0)
            return {};
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(raw, column[f]));
        return p ? std::string_view(p, std::size_t(sqlite3_column_bytes(raw, column[f])))
                 : std::string_view();
    };
    const auto isNull = [raw, &column](Field f) {
        return column[f] < 0 || sqlite3_column_type(raw, column[f]) == SQLITE_NULL;
    };

    const bool en = sw_.english();
    const QString snHead = sw_.SN_Head;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        LogGridRecord r;

        const std::string_view user = field(User), unit = field(UnitSN);
        // The user's length first keeps (user, unit) pairs apart.
        const auto userLength = static_cast<std::uint32_t>(user.size());
        key_.assign(reinterpret_cast<const char*>(&userLength), sizeof userLength);
        key_.append(user);
        key_.append(unit);
        r.unit = units_.intern(key_, [&](std::string_view) {
            return log_row_format::cellSafe(fromUtf8(user)) + snHead +
                   log_row_format::cellSafe(fromUtf8(unit));
        });
        r.name = names_.intern(
            field(Name), [](std::string_view b) { return log_row_format::cellSafe(fromUtf8(b)); });

        const std::string_view dataNo = field(DataNo);
        r.dataNo = log_data_no::pack(dataNo.data(), dataNo.size());
        if (r.dataNo == log_data_no::kIndexFlag) {
            r.dataNo |= dataNos_.intern(
                dataNo, [](std::string_view b) { return log_row_format::cellSafe(fromUtf8(b)); });
        }

        if (!parseStored(field(Date), r.date, r.time)) {
            r.date = 0;
            r.time = 0;
        }
        if (!isNull(LogNo))
            r.logNo = sqlite3_column_int(raw, column[LogNo]);

        const std::string_view naiyou = field(Naiyou), naiyou2 = field(Naiyou2);
        const std::string_view shown = log_row_format::shownContent(naiyou, naiyou2, en);
        r.content = contents_.intern(shown, [en](std::string_view b) {
            return log_row_format::contentPrefix(fromUtf8(b), en);
        });

        if (log_row_format::showsMeasuredValue(r.hasLogNo(), r.logNo, sw_)) {
            key_.assign(field(Alcohol));
            key_.append(field(Tani));
            r.measured = measured_.intern(
                key_, [](std::string_view b) { return log_row_format::cellSafe(fromUtf8(b)); });
        }
        records_.push_back(r);
    }
    if (rc != SQLITE_DONE)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)));
}

void LogGridLoader::moveInto(LogGridModel& model)
{
    LogGridTexts texts;
    texts.units = units_.takeTexts();
    texts.names = names_.takeTexts();
    texts.dataNos = dataNos_.takeTexts();
    texts.contents = contents_.takeTexts();
    texts.measured = measured_.takeTexts();
    model.setSwitches(sw_);
    model.setRecords(std::move(texts), std::move(records_));
    records_ = {};
}
