#include "base/ini_file.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace ini_file {

namespace {

// Where a key is in the file's lines: the line of the key, else the line
// after which it goes (the last line of the section); -1 for no section.
struct Place {
    qsizetype keyLine = -1;
    qsizetype sectionEnd = -1;
};

bool isSection(const QByteArray& trimmed)
{
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

// Calls entry(line, trimmed key) for every "key=value" line of the section
// and returns the section's last non-blank line: where a new key goes; -1 for
// no section.
template <class Entry>
qsizetype forSection(const QByteArrayList& lines, const QByteArray& section, Entry entry)
{
    qsizetype sectionEnd = -1;
    bool inside = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines[i].trimmed();
        if (isSection(t)) {
            inside = t.mid(1, t.size() - 2).trimmed().toLower() == section;
            if (inside && sectionEnd < 0)
                sectionEnd = i;
            continue;
        }
        if (!inside)
            continue;
        if (!t.isEmpty())
            sectionEnd = i;
        if (const qsizetype eq = t.indexOf('='); eq > 0)
            entry(i, t.left(eq).trimmed());
    }
    return sectionEnd;
}

Place find(const QByteArrayList& lines, const QByteArray& section, const QByteArray& key)
{
    Place place;
    place.sectionEnd = forSection(lines, section, [&](qsizetype line, const QByteArray& name) {
        if (place.keyLine < 0 && name.toLower() == key)
            place.keyLine = line;
    });
    return place;
}

// The value of a "key=value" line, without blanks or a ";" comment.
QString valueOf(const QByteArray& line)
{
    QByteArray text = line.mid(line.indexOf('=') + 1);
    if (const qsizetype comment = text.indexOf(';'); comment >= 0)
        text.truncate(comment);
    return QString::fromUtf8(text.trimmed());
}

QByteArrayList linesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList();
}

QByteArray lower(const QString& name)
{
    return name.trimmed().toLower().toUtf8();
}

// The content with key set in section.
QByteArray withValue(QByteArray content, const QByteArray& section, const QByteArray& key,
                     const QByteArray& value)
{
    // Lines end as the file's do.
    const QByteArray eol = content.contains("\r\n") ? "\r\n" : "\n";
    const QByteArray entry = key + '=' + value;
    QByteArrayList lines = content.split('\n');
    const Place place = find(lines, section.toLower(), key.toLower());
    if (place.keyLine >= 0) {
        QByteArray& line = lines[place.keyLine];
        line = entry + (line.endsWith('\r') ? "\r" : "");
        return lines.join('\n');
    }
    if (place.sectionEnd >= 0) {
        lines.insert(place.sectionEnd + 1, entry + (eol == "\r\n" ? "\r" : ""));
        return lines.join('\n');
    }
    if (!content.isEmpty() && !content.endsWith('\n'))
        content += eol;
    if (!content.trimmed().isEmpty())
        content += eol;
    return content + '[' + section + ']' + eol + entry + eol;
}

QString failure(const QString& path, const QString& why)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
}

// Whether the file holds the section "[name]".
bool hasSection(const QString& path, const QString& section)
{
    return find(linesOf(path), lower(section), QByteArray()).sectionEnd >= 0;
}

} // namespace

std::optional<QString> value(const QString& path, const QString& section, const QString& key)
{
    const QByteArrayList lines = linesOf(path);
    const Place place = find(lines, lower(section), lower(key));
    if (place.keyLine < 0)
        return std::nullopt;
    return valueOf(lines[place.keyLine]);
}

QList<std::pair<QString, QString>> entries(const QString& path, const QString& section)
{
    const QByteArrayList lines = linesOf(path);
    QList<std::pair<QString, QString>> found;
    forSection(lines, lower(section), [&](qsizetype line, const QByteArray& name) {
        found.append({QString::fromUtf8(name), valueOf(lines[line])});
    });
    return found;
}

QString write(const QString& path, const QString& section,
              const QList<std::pair<QString, QString>>& values)
{
    QByteArray content;
    if (QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return failure(path, file.errorString());
        content = file.readAll();
    } else if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return failure(path, QStringLiteral("cannot create the folder"));
    }
    for (const auto& [key, text] : values)
        content = withValue(content, section.toUtf8(), key.toUtf8(), text.toUtf8());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return failure(path, file.errorString());
    return {};
}

} // namespace ini_file

SettingsFiles SettingsFiles::in(const QString& dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("quarvenix.ini"));
    return {{path}, path};
}

QString SettingsFiles::withSection(const QString& section) const
{
    for (auto file = read.crbegin(); file != read.crend(); ++file) {
        if (ini_file::hasSection(*file, section))
            return *file;
    }
    return own;
}
