#include "search/main_lists.h"

#include "base/texts/main.h"
#include "db/database.h"
#include "db/delivered_db.h"
#include "db/row_stream.h"

namespace main_lists {

namespace {

constexpr int kFirstYear = 2006;

QStringList twoDigitNumbers(int last)
{
    QStringList list;
    for (int n = 1; n <= last; ++n)
        list << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    return list;
}

QString textOf(const RowStream& rows, int column)
{
    return QString::fromUtf8(rows.text(column));
}

// One entry per set name, in the order the database returns the names.
void appendSets(Database& db, const QString& sql, bool english, QStringList& list)
{
    const QString prefix = setPrefix(english);
    RowStream rows(db, sql, RowStream::kWhole);
    while (rows.next())
        list << prefix + textOf(rows, 0);
}

} // namespace

QString setPrefix(bool english)
{
    return texts::main_window::SetPrefix.pick(english);
}

QStringList contentEntries(Database& db, bool english)
{
    QStringList list;
    appendSets(db, QStringLiteral("SELECT DISTINCT Name From FUKUSU ;"), english, list);
    RowStream rows(db, QStringLiteral("SELECT Naiyou, Naiyou2 From Log_Master ORDER BY Log_No"),
                   RowStream::kWhole);
    while (rows.next()) {
        const QString japanese = textOf(rows, 0);
        const QString englishText = textOf(rows, 1);
        if (english)
            list << englishText;
        else
            list << (japanese.isEmpty() ? englishText : japanese);
    }
    return list;
}

QStringList unitEntries(Database& db, bool english)
{
    QStringList list;
    appendSets(db, QStringLiteral("SELECT DISTINCT Name From UFUKUSU ;"), english, list);
    RowStream rows(db, QStringLiteral("SELECT Unit_SN, Name From V_Unit_SN ORDER BY Unit_SN"),
                   RowStream::kWhole);
    while (rows.next())
        list << textOf(rows, 0) + QStringLiteral(" (") + textOf(rows, 1) + QStringLiteral(" )");
    return list;
}

QStringList yearList(const QDate& today)
{
    const int last = today.addDays(10).year() + 10;
    QStringList list;
    for (int year = kFirstYear; year <= last; ++year)
        list << QString::number(year);
    return list;
}

QStringList monthList()
{
    return twoDigitNumbers(12);
}

QStringList dayList()
{
    return twoDigitNumbers(31);
}

QString standardSetEntry(bool english)
{
    return setPrefix(english) + delivered_db::standardSetName(english);
}

} // namespace main_lists
