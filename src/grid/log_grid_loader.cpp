#include "grid/log_grid_loader.h"

#include "db/row_stream.h"
#include "grid/log_row_format.h"

#include <QLocale>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

QString fromUtf8(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString cellText(std::string_view bytes)
{
    return log_row_format::cellSafe(fromUtf8(bytes));
}

// Appends a field with its length in front, so neighbouring fields of a
// key cannot run into each other.
template <class T> void appendValue(std::string& key, T value)
{
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void appendField(std::string& key, std::string_view field)
{
    appendValue(key, static_cast<std::uint32_t>(field.size()));
    key.append(field);
}

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// The number an alcohol text stands for ("0.150"), NaN when it is none.
double measuredValue(std::string_view alcohol)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(fromUtf8(alcohol).trimmed(), &ok);
    return ok && std::isfinite(value) ? value : kNoValue;
}

} // namespace

LogGridLoader::LogGridLoader(const Switches& sw) : sw_(sw) {}

bool LogGridLoader::load(RowStream& rows, LogGridModel& model, const KeepGoing& keepGoing)
{
    model.setSwitches(sw_);
    model.startFill();
    LogGridRecords& records = model.fillRecords();
    // Showing rows costs the grid work over all rows shown: after the first
    // time, the rows are shown again only once they have doubled.
    std::size_t nextShown = 0;
    const std::function<void()> show = [&] {
        if (records.size() >= nextShown) {
            model.showFilled(texts());
            nextShown = records.size() * 2;
        }
    };
    const bool en = sw_.english();
    const QString snHead = sw_.SN_Head;
    const int userColumn = rows.column("User"), unitColumn = rows.column("Unit_SN"),
              nameColumn = rows.column("Name"), dataNoColumn = rows.column("Data_No"),
              dateColumn = rows.column("Date"), alcoholColumn = rows.column("Alcohol"),
              taniColumn = rows.column("Tani"), naiyouColumn = rows.column("Naiyou"),
              naiyou2Column = rows.column("Naiyou2"), logNoColumn = rows.column("Log_No"),
              archivedColumn = rows.column("Archived");
    archived_ = 0;
    int untilCheck = kRowsPerCheck;
    while (rows.next()) {
        const std::string_view user = rows.text(userColumn), unitSN = rows.text(unitColumn),
                               name = rows.text(nameColumn), dataNo = rows.text(dataNoColumn),
                               alcohol = rows.text(alcoholColumn), tani = rows.text(taniColumn);
        const bool hasLogNo = !rows.isNull(logNoColumn);
        const int logNoValue = hasLogNo ? static_cast<int>(rows.integer(logNoColumn)) : 0;
        LogGridRecord r;

        key_.clear();
        appendField(key_, user);
        appendField(key_, unitSN);
        key_.append(name);
        r.unit = units_.intern(key_, [&](std::string_view) {
            names_.append(cellText(name));
            return cellText(user) + snHead + cellText(unitSN);
        });

        r.dataNo = log_data_no::pack(dataNo.data(), dataNo.size());
        if (r.dataNo == log_data_no::kIndexFlag)
            r.dataNo |= dataNos_.intern(dataNo, cellText);

        r.when = whenCode(rows.text(dateColumn));

        // The content cell and the row colour follow from the log number, the
        // shown content text and, for a measurement, the measured value.
        const std::int32_t logNo = hasLogNo ? logNoValue : kNoLogNo;
        const std::string_view shown =
            log_row_format::shownContent(rows.text(naiyouColumn), rows.text(naiyou2Column), en);
        const bool measured = log_row_format::showsMeasuredValue(hasLogNo, logNoValue, sw_);
        key_.clear();
        appendValue(key_, logNo);
        appendField(key_, shown);
        if (measured) {
            appendField(key_, alcohol);
            key_.append(tani);
        }
        r.content = contents_.intern(key_, [&](std::string_view) {
            logNos_.push_back(logNo);
            const QString prefix = log_row_format::contentPrefix(fromUtf8(shown), en);
            contentTexts_.append(prefix);
            measured_.push_back(measured ? measuredValue(alcohol) : kNoValue);
            taniCodes_.append(measured ? cellText(tani) : QString());
            return measured ? prefix + cellText(std::string(alcohol).append(tani)) : prefix;
        });

        records.push_back(r);
        if (archivedColumn >= 0 && rows.text(archivedColumn) == "1")
            ++archived_;
        if (--untilCheck == 0) {
            untilCheck = kRowsPerCheck;
            if (keepGoing && !keepGoing(static_cast<int>(records.size()), show))
                return false;
        }
    }
    model.showFilled(texts());
    return true;
}

std::uint32_t LogGridLoader::whenCode(std::string_view stored)
{
    using namespace log_grid_when;
    const std::optional<DateTime> dt = parseStored(stored);
    if (!dt)
        return kNoDate;
    if (dt->date != lastDate_ || !lastDay_) {
        lastDate_ = dt->date;
        lastDay_ = packDay(dt->date);
    }
    if (lastDay_) {
        if (const std::optional<std::uint32_t> second = packTime(dt->time))
            return packed(*lastDay_, *second);
    }
    const std::uint64_t value = (std::uint64_t(dt->date) << 32) | dt->time;
    const auto [at, added] =
        oddIndex_.try_emplace(value, static_cast<std::uint32_t>(oddWhens_.size()));
    if (added) {
        if (oddWhens_.size() >= kMaxSide)
            throw std::length_error("too many distinct dates");
        oddWhens_.push_back(*dt);
    }
    return sideCode(at->second);
}

LogGridTexts LogGridLoader::texts() const
{
    LogGridTexts texts;
    texts.units = units_.texts();
    texts.names = names_;
    texts.dataNos = dataNos_.texts();
    texts.contents = contents_.texts();
    texts.logNos = logNos_;
    texts.contentTexts = contentTexts_;
    texts.measured = measured_;
    texts.taniCodes = taniCodes_;
    texts.oddWhens = oddWhens_;
    return texts;
}
