#include "comm/sample_stream.h"

namespace {

// The last four characters of "0000" followed by n in decimal.
QString dataNumber(int n)
{
    return (QStringLiteral("0000") + QString::number(n)).right(4);
}

} // namespace

QString sampleStream()
{
    QString text;
    text.reserve(10001 * 3 * 28 + 8);
    text += QLatin1String("0A0080");
    for (int k = 0; k <= 30000; k += 3) {
        text += QLatin1String("0A") + dataNumber(k) + QLatin1String("0A0701110A0943010A21");
        text += QLatin1String("0A") + dataNumber(k + 1) + QLatin1String("0A0701110A0942580A41");
        text += QLatin1String("0A") + dataNumber(k + 2) + QLatin1String("0A0701110A0942560A55");
    }
    return text;
}
