#include "output/csv_lines.h"

#include "grid/log_grid_model.h"
#include "grid/log_grid_when.h"
#include "grid/log_row_format.h"

#include <algorithm>
#include <cstring>

namespace csv_lines {

QString field(QString cell)
{
    const auto special = [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
               c == QLatin1Char('\n');
    };
    if (std::none_of(cell.cbegin(), cell.cend(), special))
        return cell;
    QString out;
    out.reserve(cell.size());
    for (const QChar c : cell) {
        switch (c.unicode()) {
        case u',':
            out += QChar(0xFF0C); // full-width comma
            break;
        case u'\t':
            out += QLatin1Char(',');
            break;
        case u'\r':
        case u'\n':
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray encode(const QString& text, bool& replaced)
{
    sjis::Encoder encoder;
    return encode(encoder, text, replaced);
}

QByteArray encode(sjis::Encoder& encoder, const QString& text, bool& replaced)
{
    if (const auto whole = encoder.encode(text))
        return *whole;
    // Character by character (a surrogate pair is one character).
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const auto one = encoder.encode(text.mid(i, n));
        if (one) {
            out += *one;
        } else {
            out += '?';
            replaced = true;
        }
        i += n;
    }
    return out;
}

namespace {

// Writes `width` digits of value (which has no more) at `to`; the end.
char* digits(char* to, std::uint32_t value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        to[i] = char('0' + value % 10);
        value /= 10;
    }
    return to + width;
}

char* copy(char* to, const char* from, std::size_t size)
{
    std::memcpy(to, from, size);
    return to + size;
}

char* copy(char* to, const QByteArray& bytes)
{
    return copy(to, bytes.constData(), std::size_t(bytes.size()));
}

} // namespace

RowEncoder::RowEncoder(const LogGridModel& grid) : grid_(grid)
{
    const log_row_format::CellMarks& marks =
        log_row_format::dateTimeMarks(grid.switches().english());
    date_.size = 4 + 2 + 2;
    time_.size = 2 + 2 + 2;
    for (std::size_t i = 0; i < 3; ++i) {
        date_.after[i] = encode(encoder_, field(marks.date[i]), replaced_);
        time_.after[i] = encode(encoder_, field(marks.time[i]), replaced_);
        date_.size += int(date_.after[i].size());
        time_.size += int(time_.after[i].size());
    }
}

RowEncoder::Span RowEncoder::convert(std::initializer_list<QString> cells, bool commaAfter)
{
    const auto at = std::uint32_t(bytes_.size());
    bool first = true;
    for (const QString& cell : cells) {
        if (!first)
            bytes_ += ',';
        first = false;
        bytes_ += encode(encoder_, field(cell), replaced_);
    }
    if (commaAfter)
        bytes_ += ',';
    return {at, std::uint32_t(bytes_.size()) - at};
}

RowEncoder::Span& RowEncoder::slot(std::vector<Span>& spans, std::uint32_t index)
{
    if (index >= spans.size())
        spans.resize(std::size_t(index) + 1);
    return spans[index];
}

RowEncoder::Span RowEncoder::head(std::uint32_t unit)
{
    Span& span = slot(heads_, unit);
    if (span.size == Span::kNone)
        span = convert({grid_.texts().units[unit], grid_.texts().names[unit]}, true);
    return span;
}

RowEncoder::Span RowEncoder::tail(std::uint32_t content)
{
    // The content cell and the seventh field, always empty.
    Span& span = slot(tails_, content);
    if (span.size == Span::kNone)
        span = convert({grid_.texts().contents[content]}, true);
    return span;
}

RowEncoder::Span RowEncoder::dataNo(std::uint32_t index)
{
    Span& span = slot(dataNos_, index);
    if (span.size == Span::kNone)
        span = convert({grid_.texts().dataNos[index]}, false);
    return span;
}

char* RowEncoder::dateCell(char* to, std::uint32_t date, const Marks& marks)
{
    // Year 0 shows no date, as the grid's date cell.
    if (date / 10000 == 0)
        return to;
    to = copy(digits(to, date / 10000, 4), marks.after[0]);
    to = copy(digits(to, date / 100 % 100, 2), marks.after[1]);
    return copy(digits(to, date % 100, 2), marks.after[2]);
}

char* RowEncoder::timeCell(char* to, std::uint32_t time, const Marks& marks)
{
    to = copy(digits(to, time / 10000, 2), marks.after[0]);
    to = copy(digits(to, time / 100 % 100, 2), marks.after[1]);
    return copy(digits(to, time % 100, 2), marks.after[2]);
}

const QByteArray& RowEncoder::dayCell(std::uint32_t day)
{
    if (day != lastDay_) {
        lastDay_ = day;
        lastDayCell_.resize(date_.size);
        const char* end = dateCell(lastDayCell_.data(), log_grid_when::dateOfDay(day), date_);
        lastDayCell_.resize(end - lastDayCell_.constData());
    }
    return lastDayCell_;
}

void RowEncoder::append(int row, QByteArray& out)
{
    if (row == 0) {
        for (int col = 0; col < LogGridModel::Cols; ++col)
            out +=
                (col > 0 ? "," : "") + encode(encoder_, field(grid_.TextMatrix(0, col)), replaced_);
        out += "\r\n";
        return;
    }
    const LogGridRecord& r = grid_.record(row);
    const Span unitAndName = head(r.unit), contentAndEnd = tail(r.content);
    const bool digitsOnly = !(r.dataNo & log_data_no::kIndexFlag);
    const Span number = digitsOnly ? Span{0, log_data_no::digitCount(r.dataNo)}
                                   : dataNo(r.dataNo & ~log_data_no::kIndexFlag);
    // The longest the line can be: the date and time cells may come out shorter.
    const qsizetype at = out.size();
    out.resize(at + qsizetype(unitAndName.size) + number.size + 1 + date_.size + 1 + time_.size +
               1 + contentAndEnd.size + 2);
    const char* bytes = bytes_.constData();
    char* to = copy(out.data() + at, bytes + unitAndName.at, unitAndName.size);
    to = digitsOnly ? digits(to, log_data_no::digitValue(r.dataNo), int(number.size))
                    : copy(to, bytes + number.at, number.size);
    *to++ = ',';
    using namespace log_grid_when;
    if (r.when == kNoDate) {
        *to++ = ',';
    } else if (isSide(r.when)) {
        const DateTime dt = grid_.texts().oddWhens[sideIndex(r.when)];
        to = dateCell(to, dt.date, date_);
        *to++ = ',';
        to = timeCell(to, dt.time, time_);
    } else {
        to = copy(to, dayCell(dayOf(r.when)));
        *to++ = ',';
        const std::uint32_t second = secondOf(r.when);
        to = timeCell(to, second / 3600 * 10000 + second / 60 % 60 * 100 + second % 60, time_);
    }
    *to++ = ',';
    to = copy(to, bytes + contentAndEnd.at, contentAndEnd.size);
    *to++ = '\r';
    *to++ = '\n';
    out.resize(to - out.constData());
}

} // namespace csv_lines
