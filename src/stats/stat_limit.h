#pragma once

#include "base/measured_limit.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The company's limits for measured values, kept in quarvenix.ini (the file
// beside the program, or the user's own when installed), one per unit code of
// the value (Tani):
//
//   [statistics]
//   limit=0.150        for values without a code, and any code without its own
//   limit.01=0.200     for values of unit code 01
//
// A code's key holds the code percent-encoded, so no code can break the
// line. The file may hold other sections (the database connection): writing
// a limit changes only its own line and leaves every other byte as it was.
namespace stat_limit {

// The limit until the company keeps another.
inline constexpr double kDefault = 0.150;

struct Limits {
    double general = kDefault;
    QHash<QString, double> byCode;
    double of(const QString& code) const { return byCode.value(code, general); }
    // As write() keeps it: "" is the general limit.
    void set(const QString& code, double limit)
    {
        if (code.isEmpty())
            general = limit;
        else
            byCode.insert(code, limit);
    }
};

// A typed limit, and a limit as it is shown and kept (base/measured_limit.h).
using measured_limit::parse;
using measured_limit::text;

// The kept limits; the default where the file, the section or a key is
// missing, and for a value that is no limit.
Limits read(const QString& iniPath);
// The limits of several files read in order, a key of a later file replacing
// the same key of an earlier one (the company's file, then the user's own).
Limits read(const QStringList& iniPaths);

// Keeps the limit of unit code `code` ("" = the general key), adding the
// file, the section or the key when missing. The file is replaced whole only
// once the new one is complete. "" when it is kept, otherwise the reason.
QString write(const QString& iniPath, const QString& code, double limit);

} // namespace stat_limit
