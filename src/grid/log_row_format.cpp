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

// The content text of a log number as the window's lists show it: Naiyou2 in
// English; in Japanese Naiyou, or Naiyou2 when Naiyou is empty.
const QString& shownContent(const QString& naiyou, const QString& naiyou2, bool english)
{
    if (english)
        return naiyou2;
    return naiyou.isEmpty() ? naiyou2 : naiyou;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

const CellMarks& dateTimeMarks(bool english)
{
    static const CellMarks ja{{QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日")},
                              {QStringLiteral("時"), QStringLiteral("分"), QStringLiteral("秒")}};
    static const CellMarks en{{QStringLiteral("/"), QStringLiteral("/"), QString()},
                              {QStringLiteral(":"), QStringLiteral(":"), QString()}};
    return english ? en : ja;
}

QString dateCell(int year, int month, int day, bool english)
{
    if (year == 0)
        return {};
    const QString(&marks)[3] = dateTimeMarks(english).date;
    return QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')) + marks[0] + twoDigits(month) +
           marks[1] + twoDigits(day) + marks[2];
}

QString timeCell(int hour, int minute, int second, bool english)
{
    const QString(&marks)[3] = dateTimeMarks(english).time;
    return twoDigits(hour) + marks[0] + twoDigits(minute) + marks[1] + twoDigits(second) + marks[2];
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

// Black on white 21 : 1, on the light blue 14.4 : 1; blue 8.6 : 1 and 5.9 : 1.
QColor gridText()
{
    return QColor(0, 0, 0);
}

QColor gridBackground()
{
    return QColor(255, 255, 255);
}

QColor gridSelection()
{
    return QColor(190, 215, 255);
}

QColor rowBackground(bool hasLogNo, int logNo, bool selected)
{
    // The red reaches at most 4.0 : 1 on white, so it needs a background
    // nearly black: 5.3 : 1 on black, 4.7 : 1 on the dark blue. The yellow
    // reads at 19.6 : 1 and 17.5 : 1.
    if (!hasLogNo || (logNo != 9 && logNo != 10 && logNo != 17))
        return {};
    return selected ? QColor(0, 0, 80) : QColor(0, 0, 0);
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
