#include "search/log_search.h"

#include "base/texts/grid.h"
#include "db/database.h"
#include "db/row_stream.h"
#include "db/sql_text.h"
#include "grid/log_grid_loader.h"
#include "grid/log_grid_model.h"
#include "search/main_lists.h"

#include <memory>
#include <new>

namespace {

// The entry prefix of the lists ends in two ideographic spaces; an entry
// names a set when it begins with the prefix without them.
QString setPrefix(const Switches& sw)
{
    return main_lists::setPrefix(sw.english()).chopped(2);
}

// "( F = 'v1' OR F = 'v2' )" from the field of every row of the statement.
QString setPredicate(Database& db, const QString& sql, const QString& field, int& rows)
{
    QString text = QStringLiteral("( ");
    Recordset rs = db.openRecordset(sql);
    int count = 0;
    for (; !rs.eof(); rs.moveNext(), ++count)
        text +=
            field + QStringLiteral(" = '") + Sql_Quote(rs.text(field)) + QStringLiteral("' OR ");
    rs.close();
    text += QLatin1Char(')');
    text.replace(QStringLiteral("OR )"), QStringLiteral(")"));
    rows = count;
    return text;
}

QString unitWhere(Database& db, const QString& setName, int& rows)
{
    return setPredicate(db,
                        QStringLiteral("SELECT * From UFUKUSU WHERE Name = '") +
                            Sql_Quote(setName) + QStringLiteral("' ;"),
                        QStringLiteral("Unit_SN"), rows);
}

QString naiyouWhere(Database& db, const QString& setName, int& rows)
{
    return setPredicate(db,
                        QStringLiteral("SELECT * From V_FUKUSU WHERE Name = '") +
                            Sql_Quote(setName) + QStringLiteral("' ;"),
                        QStringLiteral("Naiyou"), rows);
}

// The single-content clause compares the text the content list showed:
// Naiyou2 in English; in Japanese Naiyou, or Naiyou2 where Naiyou is empty.
QString oneContentClause(const QString& text, const Switches& sw)
{
    const QString q = Sql_Quote(text);
    if (sw.english())
        return QStringLiteral("Naiyou2 = '") + q + QStringLiteral("' ");
    return QStringLiteral("(Naiyou = '") + q + QStringLiteral("' OR (Naiyou = '' AND Naiyou2 = '") +
           q + QStringLiteral("')) ");
}

void startClause(QString& condition)
{
    condition += condition.isEmpty() ? QStringLiteral("WHERE ") : QStringLiteral("AND ");
}

// A list entry names a selection set when it begins with the language's set
// prefix ("SELECT" / "複数選択", compared exactly).
bool isSetEntry(const QString& text, const Switches& sw)
{
    return text.startsWith(setPrefix(sw), Qt::CaseSensitive);
}

// The set name of such an entry: the text with every "SELECT　　" / "複数選択　　" removed.
QString setNameOf(const QString& text, const Switches& sw)
{
    QString name = text;
    return name.remove(main_lists::setPrefix(sw.english()), Qt::CaseSensitive);
}

// The unit serial number of a unit entry "Unit_SN (Name )": the text before
// " ("; a text without " (" is used whole.
QString unitSerialOf(const QString& text)
{
    const qsizetype at = text.indexOf(QStringLiteral(" ("));
    return at < 0 ? text : text.left(at);
}

} // namespace

SearchPlan planSearch(Database& db, const SearchCriteria& c, const Switches& sw)
{
    SearchPlan plan;
    const auto fail = [&plan](SearchPlan::Problem p, const QString& detail) {
        if (plan.problem == SearchPlan::Problem::None) {
            plan.problem = p;
            plan.detail = detail;
        }
    };

    QString condition;
    if (c.dateRange) {
        const QString firstDay =
            c.year[0] + QLatin1Char('/') + c.month[0] + QLatin1Char('/') + c.day[0];
        const QString lastDay =
            c.year[1] + QLatin1Char('/') + c.month[1] + QLatin1Char('/') + c.day[1];
        const QString first = firstDay + QStringLiteral(" 00:00:00");
        const QString last = lastDay + QStringLiteral(" 23:59:59");
        if (storedDateTime(first).isNull())
            fail(SearchPlan::Problem::BadDate, firstDay);
        if (storedDateTime(last).isNull())
            fail(SearchPlan::Problem::BadDate, lastDay);
        condition = QStringLiteral("WHERE (Date >= #") + first + QStringLiteral("# AND Date <= #") +
                    last + QStringLiteral("#) ");
    }
    if (c.oneUnit) {
        startClause(condition);
        if (isSetEntry(c.unitText, sw)) {
            const QString name = setNameOf(c.unitText, sw);
            int rows = 0;
            condition += unitWhere(db, name, rows);
            if (rows == 0)
                fail(SearchPlan::Problem::EmptyUnitSet, name);
        } else {
            condition += QStringLiteral("Unit_SN = '") + Sql_Quote(unitSerialOf(c.unitText)) +
                         QStringLiteral("' ");
        }
    }
    if (c.oneContent) {
        startClause(condition);
        if (isSetEntry(c.contentText, sw)) {
            const QString name = setNameOf(c.contentText, sw);
            int rows = 0;
            condition += naiyouWhere(db, name, rows);
            if (rows == 0)
                fail(SearchPlan::Problem::EmptyContentSet, name);
        } else {
            condition += oneContentClause(c.contentText, sw);
        }
    }
    if (c.withArchive) {
        plan.statement = QStringLiteral("SELECT *, 0 AS Archived From V_Log_Data ") + condition +
                         QStringLiteral("UNION ALL SELECT *, 1 AS Archived From V_Log_Archive ") +
                         condition + QStringLiteral(" ;");
    } else {
        plan.statement =
            QStringLiteral("SELECT * From V_Log_Data ") + condition + QStringLiteral(" ;");
    }
    return plan;
}

QString buildSearchStatement(Database& db, const SearchCriteria& c, const Switches& sw)
{
    return planSearch(db, c, sw).statement;
}

SearchOutcome runSearch(Database& db, const Switches& sw, const SearchCriteria& c,
                        LogGridModel& model, const KeepSearching& keepGoing)
{
    SearchOutcome out;
    out.withArchive = c.withArchive;
    try {
        model.clearRows();
        const SearchPlan plan = planSearch(db, c, sw);
        switch (plan.problem) {
        case SearchPlan::Problem::BadDate:
            out.message = texts::grid::BadDate.in(sw).arg(plan.detail);
            return out;
        case SearchPlan::Problem::EmptyUnitSet:
            out.message = texts::grid::EmptyUnitSet.in(sw).arg(plan.detail);
            return out;
        case SearchPlan::Problem::EmptyContentSet:
            out.message = texts::grid::EmptyContentSet.in(sw).arg(plan.detail);
            return out;
        case SearchPlan::Problem::None:
            break;
        }
        LogGridLoader loader(sw);
        RowStream rows(db, plan.statement);
        if (!loader.load(rows, model, keepGoing)) {
            // A stopped search shows nothing rather than some of its rows.
            model.clearRows();
            out.cancelled = true;
            return out;
        }
        out.rows = model.Rows() - 1;
        out.archived = loader.archivedRows();
    } catch (const DbError& e) {
        out.message = texts::grid::SearchFailed.in(sw).arg(e.message());
    } catch (const std::bad_alloc&) {
        out.message = texts::grid::SearchFailed.in(sw).arg(QStringLiteral("out of memory"));
    } catch (const std::exception& e) {
        out.message = texts::grid::SearchFailed.in(sw).arg(QString::fromLocal8Bit(e.what()));
    }
    if (!out.ok()) {
        out.rows = 0;
        model.clearRows();
    }
    return out;
}
