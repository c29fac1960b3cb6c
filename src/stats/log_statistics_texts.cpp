#include "stats/log_statistics.h"

#include "base/texts/stats.h"
#include "grid/log_row_format.h"

#include <QDate>
#include <QLocale>

// The statistics in words: times, unit codes, the summary line and the
// per-unit table's texts.

namespace log_statistics {

QString timeText(std::int64_t time, bool english)
{
    if (time == kNoTime)
        return {};
    const QDate d = QDate::fromJulianDay(time / kSecondsPerDay);
    const int s = int(time % kSecondsPerDay);
    return log_row_format::dateCell(d.year(), d.month(), d.day(), english) + QLatin1Char(' ') +
           log_row_format::timeCell(s / 3600, s / 60 % 60, s % 60, english);
}

QString codeText(const QString& code, bool english)
{
    return code.isEmpty() ? texts::stats::NoCode.pick(english) : code;
}

QString summary(const Figures& f, bool english)
{
    namespace t = texts::stats;
    const QLocale numbers(QLocale::English);
    QString text =
        f.firstTime == kNoTime
            ? t::NoTime.pick(english).arg(numbers.toString(qlonglong(f.rows)))
            : t::Summary.pick(english).arg(
                  timeText(f.firstTime, english), timeText(f.lastTime, english),
                  numbers.toString(qlonglong(f.rows)), numbers.toString(qlonglong(f.measurements)),
                  stat_limit::text(f.limit), numbers.toString(qlonglong(f.atOrAboveLimit)),
                  codeText(f.code, english));
    if (f.codes.size() > 1)
        text += QLatin1Char('\n') + t::SeveralCodes.pick(english).arg(
                                        QString::number(f.codes.size()), codeText(f.code, english),
                                        numbers.toString(qlonglong(f.otherCodes)));
    return text;
}

QStringList tableHeadings(const Figures& figures, bool english)
{
    QStringList headings;
    for (const BiText& heading : texts::stats::TableHeadings)
        headings << heading.pick(english);
    if (figures.codes.size() > 1)
        headings.insert(kOtherCodesColumn, texts::stats::OtherCodes.pick(english));
    return headings;
}

QList<QStringList> tableRows(const Figures& figures, bool english)
{
    const QLocale numbers(QLocale::English);
    const bool others = figures.codes.size() > 1;
    QList<QStringList> rows;
    rows.reserve(qsizetype(figures.units.size()));
    for (const UnitFigures& u : figures.units) {
        QStringList row{u.unit,
                        u.name,
                        numbers.toString(qlonglong(u.logs)),
                        numbers.toString(qlonglong(u.measurements)),
                        numbers.toString(qlonglong(u.atOrAboveLimit)),
                        timeText(u.first, english),
                        timeText(u.last, english)};
        if (others)
            row.insert(kOtherCodesColumn, numbers.toString(qlonglong(u.otherCodes)));
        rows.append(row);
    }
    return rows;
}

} // namespace log_statistics
