#include "comm/port_number.h"

std::optional<int> parsePortNumber(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 2)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int value = digits.toInt();
    if (value < kFirstPort || value > kLastPort)
        return std::nullopt;
    return value;
}
