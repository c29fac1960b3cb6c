#include "db/log_master_file.h"

#include "base/sjis_text.h"
#include "base/texts/sets.h"

#include <QFile>
#include <QStringList>
#include <algorithm>

namespace log_master_file {

QString header()
{
    return QStringLiteral("No,日本語,英語");
}

namespace {

// Splits bytes into lines at CR LF or a lone CR.
QList<QByteArray> splitLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r')
            continue;
        lines << bytes.mid(start, i - start);
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines << bytes.mid(start);
    return lines;
}

// A log number: optional sign and decimal digits only, in the field's range.
bool parseLogNo(const QString& text, int* value)
{
    if (text.isEmpty())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool sign =
            i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+')) && text.size() > 1;
        if (!sign && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return false;
    }
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < -32768 || v > 32767)
        return false;
    *value = v;
    return true;
}

// A lone LF, a NUL, an ESC or any other control character: the preservation
// file would break a log over two lines, and the server refuses a NUL.
bool hasControl(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

} // namespace

Result parse(const QByteArray& bytes)
{
    Result result;
    const QList<QByteArray> lines = splitLines(bytes);
    if (lines.isEmpty()) {
        result.problem = Problem::NotMasterFile;
        result.badLine = 1;
        return result;
    }
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const auto text = sjis::decode(lines[n]);
        const int lineNo = static_cast<int>(n + 1);
        if (n == 0) {
            if (!text || *text != header()) {
                result.problem = Problem::NotMasterFile;
                result.badLine = lineNo;
                return result;
            }
            continue;
        }
        if (n > kMaxEntries) {
            result.problem = Problem::TooManyLines;
            result.badLine = lineNo;
            return result;
        }
        if (!text) {
            result.problem = Problem::NotShiftJis;
            result.badLine = lineNo;
            return result;
        }
        const QStringList fields = text->split(QLatin1Char(','));
        Entry entry;
        if (text->isEmpty() || fields.size() != 3 || !parseLogNo(fields[0], &entry.logNo) ||
            hasControl(*text)) {
            result.problem = Problem::WrongContent;
            result.badLine = lineNo;
            return result;
        }
        entry.naiyou = fields[1];
        entry.naiyou2 = fields[2];
        if (entry.naiyou.size() > kMaxTextLength || entry.naiyou2.size() > kMaxTextLength) {
            result.problem = Problem::WrongContent;
            result.badLine = lineNo;
            return result;
        }
        result.entries << entry;
    }
    return result;
}

QByteArray build(const QList<Entry>& entries)
{
    QByteArray out = sjis::encode(header()).value_or(QByteArray()) + "\r\n";
    for (const Entry& e : entries) {
        const QString line = QStringLiteral("%1,%2,%3").arg(e.logNo).arg(e.naiyou, e.naiyou2);
        out += sjis::encode(line).value_or(QByteArray()) + "\r\n";
    }
    return out;
}

Checked Check_MasterFile(const QString& path, const Switches& sw)
{
    namespace t = texts::lmaster;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {t::ReadFailed.in(sw).arg(file.errorString()), {}};
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {t::ReadFailed.in(sw).arg(file.errorString()), {}};
    Result result = parse(bytes.left(kMaxFileBytes));
    // A file beyond the size limit cannot be valid: when its first part
    // shows no fault, it is refused as wrong content.
    if (result.problem == Problem::None && bytes.size() > kMaxFileBytes)
        result.problem = Problem::WrongContent;
    switch (result.problem) {
    case Problem::None:
        return {{}, result.entries};
    case Problem::NotMasterFile:
        return {t::NotMasterFile.in(sw), {}};
    case Problem::WrongContent:
    case Problem::TooManyLines:
    case Problem::NotShiftJis:
        break;
    }
    return {t::WrongContent.in(sw), {}};
}

} // namespace log_master_file
