#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <utility>

// quarvenix.ini, read and changed line by line: a change rewrites only the
// lines of its keys and leaves every other byte (comments, other sections,
// line ends) as it was. Section and key names are compared without case.
namespace ini_file {

// The value of key in section, without blanks around it or a ";" comment after
// it; nothing when the file, the section or the key is missing.
std::optional<QString> value(const QString& path, const QString& section, const QString& key);

// Every "key=value" line of the section, in file order, keys as written and
// values as value() gives them; empty when the file or the section is missing.
QList<std::pair<QString, QString>> entries(const QString& path, const QString& section);

// Sets keys of a section, adding the folder, the file, the section or a key
// when missing. The file is replaced whole only once the new one is
// complete. "" when kept, otherwise the reason.
QString write(const QString& path, const QString& section,
              const QList<std::pair<QString, QString>>& values);

} // namespace ini_file

// The quarvenix.ini files of this program: read in order, a section of a
// later file replacing the same section of an earlier one; this user's
// choices are written to the last.
struct SettingsFiles {
    QStringList read; // in order, the last being own
    QString own;

    // The one file in the folder dir (the source build's "beside the program").
    static SettingsFiles in(const QString& dir);
    // The last of the files that holds the section; own when none does.
    QString withSection(const QString& section) const;
};
