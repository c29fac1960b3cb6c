#include "main/log_grid_loader.h"

#include "main/log_grid_rows.h"
#include "main/log_row_format.h"

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

} // namespace

LogGridLoader::LogGridLoader(const Switches& sw) : sw_(sw) {}

bool LogGridLoader::load(LogGridRows& rows, const KeepGoing& keepGoing)
{
    const bool en = sw_.english();
    const QString snHead = sw_.SN_Head;
    LogGridRow row;
    int untilCheck = kRowsPerCheck;
    while (rows.next(row)) {
        LogGridRecord r;

        key_.clear();
        appendField(key_, row.user);
        appendField(key_, row.unitSN);
        key_.append(row.name);
        r.unit = units_.intern(key_, [&](std::string_view) {
            names_.append(cellText(row.name));
            return cellText(row.user) + snHead + cellText(row.unitSN);
        });

        r.dataNo = log_data_no::pack(row.dataNo.data(), row.dataNo.size());
        if (r.dataNo == log_data_no::kIndexFlag)
            r.dataNo |= dataNos_.intern(row.dataNo, cellText);

        r.when = whenCode(row.date);

        // The content cell and the row colour follow from the log number, the
        // shown content text and, for a measurement, the measured value.
        const std::int32_t logNo = row.hasLogNo ? row.logNo : kNoLogNo;
        const std::string_view shown = log_row_format::shownContent(row.naiyou, row.naiyou2, en);
        const bool measured = log_row_format::showsMeasuredValue(row.hasLogNo, row.logNo, sw_);
        key_.clear();
        appendValue(key_, logNo);
        appendField(key_, shown);
        if (measured) {
            key_.append(row.alcohol);
            key_.append(row.tani);
        }
        r.content = contents_.intern(key_, [&](std::string_view) {
            logNos_.push_back(logNo);
            QString cell = log_row_format::contentPrefix(fromUtf8(shown), en);
            if (measured)
                cell += cellText(std::string(row.alcohol).append(row.tani));
            return cell;
        });

        records_.push_back(r);
        if (--untilCheck == 0) {
            untilCheck = kRowsPerCheck;
            if (keepGoing && !keepGoing())
                return false;
        }
    }
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

void LogGridLoader::moveInto(LogGridModel& model)
{
    LogGridTexts texts;
    texts.units = units_.takeTexts();
    texts.names = std::move(names_);
    texts.dataNos = dataNos_.takeTexts();
    texts.contents = contents_.takeTexts();
    texts.logNos = std::move(logNos_);
    texts.oddWhens = std::move(oddWhens_);
    model.setSwitches(sw_);
    model.setRecords(std::move(texts), std::move(records_));
    records_ = {};
}
