#include "output/csv_lines.h"

#include "grid/log_grid_model.h"

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
constexpr std::uint64_t kTableKeys = std::uint64_t(1) << 20;
} // namespace

RowEncoder::RowEncoder(const LogGridModel& grid) : grid_(grid) {}

RowEncoder::Span RowEncoder::convert(const QString& text)
{
    const QByteArray converted = encode(encoder_, field(text), replaced_);
    const Span span{std::uint32_t(bytes_.size()), std::uint32_t(converted.size())};
    bytes_ += converted;
    return span;
}

RowEncoder::Span RowEncoder::cell(int row, int col, std::uint64_t key)
{
    Column& column = columns_[std::size_t(col)];
    if (key == column.lastKey)
        return column.last;
    Span* known = nullptr;
    if (key < kTableKeys) {
        if (key >= column.byKey.size())
            column.byKey.resize(std::size_t(key) + 1);
        known = &column.byKey[std::size_t(key)];
    } else {
        known = &column.byLargeKey[key];
    }
    if (known->size == Span::kNone)
        *known = convert(grid_.TextMatrix(row, col));
    column.lastKey = key;
    column.last = *known;
    return *known;
}

void RowEncoder::append(int row, QByteArray& out)
{
    constexpr int kCols = 7;
    if (row == 0) {
        for (int col = 0; col < kCols; ++col)
            out +=
                (col > 0 ? "," : "") + encode(encoder_, field(grid_.TextMatrix(0, col)), replaced_);
        out += "\r\n";
        return;
    }
    std::array<std::uint64_t, kCols> keys;
    grid_.cellKeys(row, keys);
    std::array<Span, kCols> spans;
    qsizetype length = kCols - 1 + 2; // the commas and CR LF
    for (int col = 0; col < kCols; ++col) {
        spans[std::size_t(col)] = cell(row, col, keys[std::size_t(col)]);
        length += spans[std::size_t(col)].size;
    }
    qsizetype at = out.size();
    out.resize(at + length);
    char* to = out.data() + at;
    const char* from = bytes_.constData();
    for (int col = 0; col < kCols; ++col) {
        if (col > 0)
            *to++ = ',';
        const Span s = spans[std::size_t(col)];
        std::memcpy(to, from + s.at, s.size);
        to += s.size;
    }
    *to++ = '\r';
    *to = '\n';
}

} // namespace csv_lines
