#pragma once

#include <QString>
#include <optional>

// The limit of the statistics window, kept in quarvenix.ini (the file beside
// the program, or the user's own when installed):
//
//   [statistics]
//   limit=0.150
//
// The file may hold other sections (the database connection): writing the
// limit changes only its own line and leaves every other byte as it was.
namespace stat_limit {

// The limit a typed text stands for: a number from 0 to 9.999 with at most
// three decimals (full-width digits are read as digits); nothing otherwise.
std::optional<double> parse(const QString& text);

// The limit as it is shown and kept: three decimals.
QString text(double limit);

// The kept limit; the default when the file, the section or the key is
// missing or the value is no limit.
double read(const QString& iniPath);

// Keeps the limit, adding the file, the section or the key when missing. The
// file is replaced whole only once the new one is complete. "" when it is
// kept, otherwise the reason.
QString write(const QString& iniPath, double limit);

} // namespace stat_limit
