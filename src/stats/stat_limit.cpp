#include "stats/stat_limit.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>

namespace stat_limit {

namespace {

constexpr auto kSection = "statistics";
constexpr auto kKey = "limit";

// The key of a unit code's limit: "limit" for no code, else "limit." and the
// code percent-encoded.
QByteArray keyOf(const QString& code)
{
    return code.isEmpty() ? QByteArray(kKey)
                          : kKey + QByteArray(".") + QUrl::toPercentEncoding(code);
}

// "limit" compares without regard to case, as ini keys do; the code exactly.
bool sameKey(const QByteArray& name, const QByteArray& key)
{
    const qsizetype n = qsizetype(qstrlen(kKey));
    return name.size() == key.size() && name.left(n).toLower() == kKey && name.mid(n) == key.mid(n);
}

bool isSection(const QByteArray& trimmed)
{
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

// Calls `entry(line, name, value)` for every "name=value" line of the section.
template <class Entry> qsizetype forSection(const QByteArrayList& lines, Entry entry)
{
    qsizetype sectionEnd = -1; // the section's last line: where a new key goes
    bool inside = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines[i].trimmed();
        if (isSection(t)) {
            inside = t.mid(1, t.size() - 2).trimmed().toLower() == kSection;
            if (inside && sectionEnd < 0)
                sectionEnd = i;
            continue;
        }
        if (!inside)
            continue;
        if (!t.isEmpty())
            sectionEnd = i;
        if (const qsizetype eq = t.indexOf('='); eq > 0)
            entry(i, t.left(eq).trimmed(), t.mid(eq + 1));
    }
    return sectionEnd;
}

std::optional<double> valueOf(QByteArray value)
{
    if (const qsizetype comment = value.indexOf(';'); comment >= 0)
        value.truncate(comment);
    return parse(QString::fromUtf8(value));
}

} // namespace

QString iniPath(const QString& appDir)
{
    return QDir(appDir).filePath(QStringLiteral("quarvenix.ini"));
}

std::optional<double> parse(const QString& typed)
{
    static const QRegularExpression number(QStringLiteral("^(\\d+(\\.\\d{0,3})?|\\.\\d{1,3})$"));
    const QString t = typed.normalized(QString::NormalizationForm_KC).trimmed();
    if (!number.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || value > 9.999)
        return std::nullopt;
    return value;
}

QString text(double limit)
{
    return QString::number(limit, 'f', 3);
}

Limits read(const QString& path)
{
    Limits limits;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return limits;
    const QByteArray prefix = kKey + QByteArray(".");
    std::optional<double> general;
    forSection(file.readAll().split('\n'), [&](qsizetype, const QByteArray& name,
                                               const QByteArray& value) {
        const std::optional<double> limit = valueOf(value);
        if (sameKey(name, kKey)) {
            if (!general) // the first one counts, as when it is written
                general = limit.value_or(kDefault);
        } else if (name.size() > prefix.size() && sameKey(name.left(prefix.size()), prefix)) {
            const QString code = QUrl::fromPercentEncoding(name.mid(prefix.size()));
            if (limit && !limits.byCode.contains(code))
                limits.byCode.insert(code, *limit);
        }
    });
    limits.general = general.value_or(kDefault);
    return limits;
}

QString write(const QString& path, const QString& code, double limit)
{
    QByteArray content;
    if (QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
        content = file.readAll();
    }
    // Lines end as the file's do.
    const QByteArray eol = content.contains("\r\n") ? "\r\n" : "\n";
    const QByteArray key = keyOf(code);
    const QByteArray entry = key + '=' + text(limit).toLatin1();
    QByteArrayList lines = content.split('\n');
    qsizetype keyLine = -1;
    const qsizetype sectionEnd =
        forSection(lines, [&](qsizetype line, const QByteArray& name, const QByteArray&) {
            if (keyLine < 0 && sameKey(name, key))
                keyLine = line;
        });
    if (keyLine >= 0) {
        QByteArray& line = lines[keyLine];
        line = entry + (line.endsWith('\r') ? "\r" : "");
    } else if (sectionEnd >= 0) {
        lines.insert(sectionEnd + 1, entry + (eol == "\r\n" ? "\r" : ""));
    } else {
        if (!content.isEmpty() && !content.endsWith('\n'))
            content += eol;
        if (!content.trimmed().isEmpty())
            content += eol;
        content += '[' + QByteArray(kSection) + ']' + eol + entry + eol;
    }
    if (keyLine >= 0 || sectionEnd >= 0)
        content = lines.join('\n');

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
    return {};
}

} // namespace stat_limit
