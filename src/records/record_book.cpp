#include "records/record_book.h"

#include "base/ini_file.h"
#include "base/measured_limit.h"
#include "db/database.h"
#include "db/row_stream.h"
#include "db/unique_keys.h"

#include <QLocale>

namespace check_records {

namespace {

constexpr auto kSection = "records";

QString dayBound(const QDate& day, bool end)
{
    return QLatin1Char('#') + day.toString(QStringLiteral("yyyy/MM/dd")) +
           (end ? QStringLiteral(" 23:59:59#") : QStringLiteral(" 00:00:00#"));
}

// " AND L.Date >= … AND L.Date <= …" for the period's bounds.
QString periodCondition(const Period& period)
{
    QString out;
    if (period.from.isValid())
        out += QStringLiteral(" AND L.Date >= ") + dayBound(period.from, false);
    if (period.to.isValid())
        out += QStringLiteral(" AND L.Date <= ") + dayBound(period.to, true);
    return out;
}

QString bookSelect(const QString& view, int archived, const Period& period)
{
    return QStringLiteral(
               "SELECT L.Unit_SN, L.Date, L.Data_No, L.Name, L.Alcohol, %2 AS Archived, R.Driver, "
               "R.Vehicle, R.Phase, R.Checker, R.Method, R.Detected, R.Instructions, R.Remarks, "
               "R.RDate, R.ID FROM %1 L LEFT JOIN Check_Record R ON R.Unit_SN = L.Unit_SN AND "
               "R.Date = L.Date AND R.Data_No = L.Data_No WHERE L.Alcohol <> ''%3")
        .arg(view)
        .arg(archived)
        .arg(periodCondition(period));
}

QString text(const RowStream& rows, int column)
{
    return QString::fromUtf8(rows.text(column));
}

BookRow bookRow(const RowStream& rows)
{
    BookRow row{{text(rows, 0), text(rows, 1), text(rows, 2)},
                text(rows, 3),
                text(rows, 4),
                rows.integer(5) != 0,
                std::nullopt};
    if (rows.isNull(6))
        return row;
    Entry e{text(rows, 6),
            text(rows, 7),
            Phase(rows.integer(8)),
            text(rows, 9),
            Method(rows.integer(10)),
            rows.integer(11) != 0,
            text(rows, 12),
            text(rows, 13)};
    row.record = Record{std::move(e), text(rows, 14), text(rows, 15)};
    return row;
}

// The first field of the statement's first row; "" for none.
QString firstText(Database& db, const QString& sql, const QVariantList& values)
{
    RowStream rows(db, sql, values, RowStream::kWhole);
    return rows.next() ? text(rows, 0) : QString();
}

} // namespace

QList<BookRow> read(Database& db, const Period& period, bool withArchive)
{
    QString sql = bookSelect(QStringLiteral("V_Log_Data"), 0, period);
    if (withArchive)
        sql +=
            QStringLiteral(" UNION ALL ") + bookSelect(QStringLiteral("V_Log_Archive"), 1, period);
    RowStream rows(db, sql + QStringLiteral(" ORDER BY 2, 1, 3"));
    QList<BookRow> out;
    while (rows.next())
        out.append(bookRow(rows));
    return out;
}

Settings readSettings(const SettingsFiles& files)
{
    const QString file = files.withSection(QLatin1String(kSection));
    Settings settings;
    const std::optional<QString> limit =
        ini_file::value(file, QLatin1String(kSection), QStringLiteral("limit"));
    settings.limit = measured_limit::parse(limit.value_or(QString())).value_or(settings.limit);
    settings.depot =
        ini_file::value(file, QLatin1String(kSection), QStringLiteral("depot")).value_or(QString());
    return settings;
}

bool aboveLimit(const QString& value, double limit)
{
    bool ok = false;
    const double measured = QLocale::c().toDouble(value.trimmed(), &ok);
    return !ok || measured > limit;
}

Entry propose(Database& db, const BookRow& row, const QString& loginId, double limit)
{
    Entry e;
    e.driver =
        firstText(db,
                  QStringLiteral("SELECT Driver FROM Check_Record WHERE Unit_SN = ? ORDER BY "
                                 "Date DESC, Data_No DESC LIMIT 1"),
                  {row.key.unitSn});
    e.vehicle = lastVehicleOf(db, e.driver);
    e.checker = firstText(db,
                          QStringLiteral("SELECT Name FROM Login WHERE %1 ORDER BY ID LIMIT 1")
                              .arg(unique_keys::sameKey(QStringLiteral("ID"))),
                          {unique_keys::withoutTrailingBlanks(loginId)});
    e.detected = aboveLimit(row.value, limit);
    return e;
}

QString lastVehicleOf(Database& db, const QString& driver)
{
    if (driver.isEmpty())
        return {};
    return firstText(db,
                     QStringLiteral("SELECT Vehicle FROM Check_Record WHERE Driver = ? ORDER BY "
                                    "Date DESC, Data_No DESC LIMIT 1"),
                     {driver});
}

qint64 youngLogsWithRecords(Database& db, const QDateTime& now, const Period& period)
{
    const QString yearAgo = QLatin1Char('#') +
                            now.addYears(-1).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
                            QLatin1Char('#');
    RowStream rows(db,
                   QStringLiteral("SELECT count(*) FROM Log_Data L WHERE L.Date > %1%2 AND EXISTS "
                                  "(SELECT 1 FROM Check_Record R WHERE R.Unit_SN = L.Unit_SN AND "
                                  "R.Date = L.Date AND R.Data_No = L.Data_No)")
                       .arg(yearAgo, periodCondition(period)),
                   RowStream::kWhole);
    return rows.next() ? rows.integer(0) : 0;
}

} // namespace check_records
