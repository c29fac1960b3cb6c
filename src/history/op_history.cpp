#include "history/op_history.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/history.h"
#include "db/database.h"
#include "db/history_repair.h"
#include "db/row_stream.h"
#include "db/server_trust.h"
#include "db/sql_text.h"

#include <QSysInfo>

namespace op_history {

namespace {

namespace t = texts::history;

struct Known {
    Op op;
    const char* code;
    BiText caption;
};

constexpr Known kKnown[] = {
    {Op::SignIn, "SignIn", t::SignIn},
    {Op::SignInRefused, "SignInRefused", t::SignInRefused},
    {Op::Read, "Read", t::Read},
    {Op::CsvSave, "CsvSave", t::CsvSave},
    {Op::Print, "Print", t::Print},
    {Op::Save, "Save", t::Save},
    {Op::SaveAndDelete, "SaveAndDelete", t::SaveAndDelete},
    {Op::Delete, "Delete", t::Delete},
    {Op::Restore, "Restore", t::Restore},
    {Op::ArchiveLoad, "ArchiveLoad", t::ArchiveLoad},
    {Op::LogMaster, "LogMaster", t::LogMaster},
    {Op::LoginId, "LoginId", t::LoginId},
    {Op::Password, "Password", t::Password},
    {Op::HandsetName, "HandsetName", t::HandsetName},
    {Op::Set, "Set", t::Set},
    {Op::Port, "Port", t::Port},
    {Op::Limit, "Limit", t::Limit},
    {Op::CheckRecord, "CheckRecord", t::CheckRecord},
    {Op::TableChange, server_trust::kTableChange, t::TableChange},
    {Op::HistoryRepair, history_repair::kOperation, t::HistoryRepair},
    {Op::Server, "Server", t::Server},
};

// The fields' sizes in the table.
constexpr int kIdSize = 10;
constexpr int kPcSize = 255;
constexpr int kDetailsSize = 2000;

QString dayStart(const QDate& day)
{
    return QLatin1Char('#') + day.toString(QStringLiteral("yyyy/MM/dd")) +
           QStringLiteral(" 00:00:00#");
}

QString dayEnd(const QDate& day)
{
    return QLatin1Char('#') + day.toString(QStringLiteral("yyyy/MM/dd")) +
           QStringLiteral(" 23:59:59#");
}

} // namespace

QString code(Op op)
{
    for (const Known& k : kKnown) {
        if (k.op == op)
            return QLatin1String(k.code);
    }
    return {};
}

QString caption(const QString& code, bool english)
{
    for (const Known& k : kKnown) {
        if (code == QLatin1String(k.code))
            return k.caption.pick(english);
    }
    return code;
}

void add(AppContext& ctx, QWidget* parent, Op op, const QString& details)
{
    addAs(ctx, parent, ctx.loginId, op, details);
}

void addAs(AppContext& ctx, QWidget* parent, const QString& id, Op op, const QString& details)
{
    if (!ctx.db)
        return;
    try {
        write(*ctx.db, ctx.now(), id, op, details);
    } catch (const DbError& e) {
        const BiText& said = e.fault() == DbFault::CommitUnknown ? t::NotConfirmed : t::NotWritten;
        ctx.dialogs->message(parent, said.in(ctx.sw).arg(e.message()), t::Caption.in(ctx.sw),
                             MsgButtons::Ok, MsgIcon::Exclamation);
    }
}

void write(Database& db, const QDateTime& when, const QString& id, Op op, const QString& details)
{
    QVariantList values{id.left(kIdSize), QSysInfo::machineHostName().left(kPcSize), code(op),
                        details.left(kDetailsSize)};
    // A server dates the row by its own clock, and the program's role may
    // not date it; a file takes the PC's clock.
    const bool serverDates = db.engine() == DbEngine::Postgresql;
    if (!serverDates)
        values.prepend(storedDateTime(when));
    db.execute(QStringLiteral("INSERT INTO Op_History (%1ID, PC, Operation, Details) "
                              "VALUES (%2?, ?, ?, ?)")
                   .arg(serverDates ? QString() : QStringLiteral("Date, "),
                        serverDates ? QString() : QStringLiteral("?, ")),
               values);
}

QList<Row> read(Database& db, const Filter& filter)
{
    QStringList conditions;
    QVariantList values;
    if (filter.from.isValid())
        conditions << QStringLiteral("Date >= ") + dayStart(filter.from);
    if (filter.to.isValid())
        conditions << QStringLiteral("Date <= ") + dayEnd(filter.to);
    if (!filter.id.isEmpty()) {
        conditions << QStringLiteral("ID = ?");
        values << filter.id;
    }
    const QString where = conditions.isEmpty()
                              ? QString()
                              : QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND "));
    RowStream rows(db,
                   QStringLiteral("SELECT Date, ID, PC, Operation, Details FROM Op_History %1 "
                                  "ORDER BY Date DESC, No DESC")
                       .arg(where),
                   values);
    QList<Row> out;
    while (rows.next()) {
        const auto field = [&rows](int c) { return QString::fromUtf8(rows.text(c)); };
        out.append({field(0), field(1), field(2), field(3), field(4)});
    }
    return out;
}

QStringList ids(Database& db)
{
    RowStream rows(db,
                   QStringLiteral("SELECT DISTINCT ID FROM Op_History WHERE ID <> '' ORDER BY ID"),
                   RowStream::kWhole);
    QStringList out;
    while (rows.next())
        out.append(QString::fromUtf8(rows.text(0)));
    return out;
}

} // namespace op_history
