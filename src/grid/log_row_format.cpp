#include "grid/log_row_format.h"

#include "base/texts/grid.h"
#include "grid/log_grid_when.h"

namespace log_row_format {

QString cellSafe(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

QString contentPrefix(const QString& shown, bool english)
{
    if (shown.isEmpty())
        return texts::grid::SetError.pick(english);
    return cellSafe(shown) + QLatin1Char(' ');
}

namespace {

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QString dateCell(int year, int month, int day, bool english)
{
    if (year == 0)
        return {};
    const QString y = QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
    if (english)
        return y + QLatin1Char('/') + twoDigits(month) + QLatin1Char('/') + twoDigits(day);
    return y + QStringLiteral("年") + twoDigits(month) + QStringLiteral("月") + twoDigits(day) +
           QStringLiteral("日");
}

QString timeCell(int hour, int minute, int second, bool english)
{
    if (english)
        return twoDigits(hour) + QLatin1Char(':') + twoDigits(minute) + QLatin1Char(':') +
               twoDigits(second);
    return twoDigits(hour) + QStringLiteral("時") + twoDigits(minute) + QStringLiteral("分") +
           twoDigits(second) + QStringLiteral("秒");
}

QColor rowColor(bool hasLogNo, int logNo)
{
    if (!hasLogNo)
        return {};
    switch (logNo) {
    case 8:
        return QColor(0, 0, 255); // light blue
    case 9:
    case 17:
        return QColor(255, 0, 0); // light red
    case 10:
        return QColor(255, 255, 0); // light yellow
    default:
        return {};
    }
}

QColor rowBackground(bool hasLogNo, int logNo, bool selected)
{
    if (!hasLogNo || logNo != 10)
        return {};
    // Against the yellow: dark grey 9.6 : 1, dark blue 12 : 1.
    return selected ? QColor(24, 48, 96) : QColor(64, 64, 64);
}

QStringList cells(const LogRow& row, const Switches& sw)
{
    const bool en = sw.english();
    QString date, time;
    const QByteArray stored = row.date.toUtf8();
    if (const auto dt =
            log_grid_when::parseStored({stored.constData(), std::size_t(stored.size())})) {
        date = dateCell(int(dt->date / 10000), int(dt->date / 100 % 100), int(dt->date % 100), en);
        time = timeCell(int(dt->time / 10000), int(dt->time / 100 % 100), int(dt->time % 100), en);
    }
    const QString measured = showsMeasuredValue(row.hasLogNo, row.logNo, sw)
                                 ? cellSafe(row.alcohol + row.tani)
                                 : QString();
    return {cellSafe(row.user) + sw.SN_Head + cellSafe(row.unitSN),
            cellSafe(row.name),
            cellSafe(row.dataNo),
            date,
            time,
            contentPrefix(shownContent(row.naiyou, row.naiyou2, en), en) + measured,
            QString()};
}

} // namespace log_row_format
