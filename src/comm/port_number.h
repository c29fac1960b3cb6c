#pragma once

#include <QString>
#include <optional>

// The COM port numbers the program offers.
inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 16;

// The port number in a typed text: decimal digits (blanks around them are
// allowed) with a value from 1 to 16; nothing for any other text.
std::optional<int> parsePortNumber(const QString& text);
