#pragma once

#include <QString>
#include <optional>

// A limit for measured values, as an operator types it and as quarvenix.ini
// keeps it (the statistics' limits, the record book's line for 酒気帯び).
namespace measured_limit {

// The limit a text stands for: a number from 0 to 9.999 with at most three
// decimals (full-width digits are read as digits, blanks around it ignored);
// nothing otherwise.
std::optional<double> parse(const QString& text);

// The limit as it is shown and kept: three decimals.
QString text(double limit);

} // namespace measured_limit
