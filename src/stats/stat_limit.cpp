#include "stats/stat_limit.h"

#include "stats/log_statistics.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

namespace stat_limit {

namespace {

constexpr auto kSection = "statistics";
constexpr auto kKey = "limit";

// Where the limit is in the file's lines: the line of the key, else the line
// after which it goes (the last line of the section); -1 for no section.
struct Place {
    qsizetype keyLine = -1;
    qsizetype sectionEnd = -1;
};

bool isSection(const QByteArray& trimmed)
{
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

Place find(const QByteArrayList& lines)
{
    Place place;
    bool inside = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines[i].trimmed();
        if (isSection(t)) {
            inside = t.mid(1, t.size() - 2).trimmed().toLower() == kSection;
            if (inside && place.sectionEnd < 0)
                place.sectionEnd = i;
            continue;
        }
        if (!inside)
            continue;
        if (!t.isEmpty())
            place.sectionEnd = i;
        const qsizetype eq = t.indexOf('=');
        if (place.keyLine < 0 && eq > 0 && t.left(eq).trimmed().toLower() == kKey)
            place.keyLine = i;
    }
    return place;
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

double read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return log_statistics::kDefaultLimit;
    const QByteArrayList lines = file.readAll().split('\n');
    const Place place = find(lines);
    if (place.keyLine < 0)
        return log_statistics::kDefaultLimit;
    QByteArray value = lines[place.keyLine].mid(lines[place.keyLine].indexOf('=') + 1);
    if (const qsizetype comment = value.indexOf(';'); comment >= 0)
        value.truncate(comment);
    return parse(QString::fromUtf8(value)).value_or(log_statistics::kDefaultLimit);
}

QString write(const QString& path, double limit)
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
    const QByteArray entry = QByteArray(kKey) + '=' + text(limit).toLatin1();
    QByteArrayList lines = content.split('\n');
    const Place place = find(lines);
    if (place.keyLine >= 0) {
        QByteArray& line = lines[place.keyLine];
        line = entry + (line.endsWith('\r') ? "\r" : "");
    } else if (place.sectionEnd >= 0) {
        lines.insert(place.sectionEnd + 1, entry + (eol == "\r\n" ? "\r" : ""));
    } else {
        if (!content.isEmpty() && !content.endsWith('\n'))
            content += eol;
        if (!content.trimmed().isEmpty())
            content += eol;
        content += '[' + QByteArray(kSection) + ']' + eol + entry + eol;
    }
    if (place.keyLine >= 0 || place.sectionEnd >= 0)
        content = lines.join('\n');

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
    return {};
}

} // namespace stat_limit
