#include "admin_core/preservation_line.h"

#include "base/sjis_text.h"
#include "base/texts/admin.h"
#include "db/sql_text.h"

#include <QIODevice>
#include <algorithm>

namespace preservation_line {

namespace {

// The field sizes of Log_Data.
constexpr int kUnitSize = 10;
constexpr int kDataNoSize = 50;
constexpr int kTaniSize = 6;

// A measured value as the handset reports it: a digit, a point and three
// digits ("0.150"), hexadecimal digits included.
bool isMeasuredValue(QStringView text)
{
    if (text.size() != 5 || text[1] != QLatin1Char('.'))
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c == QLatin1Char('.') || QStringLiteral("0123456789ABCDEFabcdef").contains(c);
    });
}

bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control;
}

constexpr qsizetype kExcerptBytes = 40;

} // namespace

FileLines::Got FileLines::next(QByteArray& line)
{
    if (device_.atEnd())
        return Got::End;
    // Room for the longest line and its CR LF, whether readLine() counts a
    // terminating zero or not, and one byte more.
    line = device_.readLine(kMaxLineBytes + 3);
    ++number_;
    const bool ended = line.endsWith('\n');
    if (ended)
        line.chop(line.endsWith("\r\n") ? 2 : 1);
    if (line.size() > kMaxLineBytes || (!ended && !device_.atEnd()))
        return Got::TooLong;
    return Got::Line;
}

QString shown(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c))
            out += QStringLiteral("\\x") +
                   QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

QString excerpt(const QByteArray& bytes)
{
    const QByteArray start = bytes.left(kExcerptBytes);
    for (const QByteArray& piece : {start, start.chopped(start.isEmpty() ? 0 : 1)}) {
        if (const std::optional<QString> text = sjis::decode(piece))
            return shown(*text);
    }
    return QString::fromLatin1(start.toPercentEncoding(" ,./:"));
}

Reader::Reader(const QString& snHead, const QList<Content>& master) : snHead_(snHead)
{
    const QString setError = texts::db_keep::SetError.ja_();
    bool setErrorKnown = false;
    for (const Content& c : master) {
        const QString text = !c.naiyou.isEmpty()    ? c.naiyou
                             : !c.naiyou2.isEmpty() ? c.naiyou2
                                                    : setError;
        setErrorKnown = setErrorKnown || text == setError;
        texts_.append({text, c.logNo});
    }
    // A log number the log master did not know was written as "セットエラー".
    if (!setErrorKnown)
        texts_.append({setError, std::nullopt});
    // Where one text begins another, the longer is tried first; among equal
    // texts the smallest number, which the master lists first.
    std::stable_sort(texts_.begin(), texts_.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
}

std::optional<Reader::Match> Reader::content(const QString& text) const
{
    for (const auto& [shown, logNo] : texts_) {
        if (!text.startsWith(shown))
            continue;
        const QStringView rest = QStringView(text).mid(shown.size());
        if (rest.isEmpty())
            return Match{logNo, {}, {}};
        if (rest.size() <= 5 + kTaniSize && isMeasuredValue(rest.left(5)))
            return Match{logNo, rest.left(5).toString(), rest.mid(5).toString()};
    }
    return std::nullopt;
}

std::optional<Log> Reader::read(const QString& line)
{
    if (!line.startsWith(snHead_) || std::any_of(line.cbegin(), line.cend(), isControl))
        return std::nullopt;
    const QStringList fields = line.mid(snHead_.size()).split(QLatin1Char(','));
    if (fields.size() < 4)
        return std::nullopt;
    Log log;
    log.unitSn = fields[0];
    log.dataNo = fields[2];
    if (log.unitSn.isEmpty() || log.unitSn.size() > kUnitSize || log.dataNo.size() > kDataNoSize)
        return std::nullopt;
    // Exactly midnight was written as the date alone.
    const QString date =
        fields[1].size() == 10 ? fields[1] + QStringLiteral(" 00:00:00") : fields[1];
    log.date = storedDateTime(date);
    if (log.date.isNull() || date.size() != 19)
        return std::nullopt;
    // The content is the rest of the line; a text cannot hold a comma, but
    // one written by hand might.
    const QString text = fields.mid(3).join(QLatin1Char(','));
    auto found = known_.constFind(text);
    if (found == known_.constEnd())
        found = known_.insert(text, content(text));
    if (!*found)
        return std::nullopt;
    log.logNo = (*found)->logNo;
    log.alcohol = (*found)->alcohol;
    log.tani = (*found)->tani;
    return log;
}

} // namespace preservation_line
