#include "records/record_save.h"

#include "base/texts/records.h"
#include "db/database.h"
#include "db/login_rights.h"
#include "db/row_stream.h"
#include "db/sql_text.h"
#include "db/unique_keys.h"
#include "history/op_history.h"

namespace check_records {

namespace {

namespace t = texts::records;

constexpr auto kKey = "Unit_SN = ? AND Date = ? AND Data_No = ?";

QVariantList keyValues(const LogKey& key)
{
    return {key.unitSn, key.date, key.dataNo};
}

bool isMeasurement(Database& db, const LogKey& key)
{
    const QString one =
        QStringLiteral("SELECT 1 FROM %2 WHERE %1 AND Alcohol <> ''").arg(QLatin1String(kKey));
    RowStream rows(db,
                   one.arg(QStringLiteral("Log_Data")) + QStringLiteral(" UNION ALL ") +
                       one.arg(QStringLiteral("Log_Archive")),
                   keyValues(key) + keyValues(key), RowStream::kWhole);
    return rows.next();
}

// The record as it stands, its row locked until the transaction ends.
std::optional<Record> readForUpdate(Database& db, const LogKey& key)
{
    RowStream rows(db,
                   QStringLiteral("SELECT Driver, Vehicle, Phase, Checker, Method, Detected, "
                                  "Instructions, Remarks, RDate, ID FROM Check_Record WHERE %1 "
                                  "FOR UPDATE")
                       .arg(QLatin1String(kKey)),
                   keyValues(key), RowStream::kWhole);
    if (!rows.next())
        return std::nullopt;
    const auto text = [&rows](int c) { return QString::fromUtf8(rows.text(c)); };
    return Record{{text(0), text(1), Phase(rows.integer(2)), text(3), Method(rows.integer(4)),
                   rows.integer(5) != 0, text(6), text(7)},
                  text(8),
                  text(9)};
}

// The entry's fields, then when and by whom: the values of an INSERT or UPDATE.
QVariantList recordValues(const Record& r)
{
    const Entry& e = r.entry;
    return {e.driver,        e.vehicle,      int(e.phase), e.checker,    int(e.method),
            int(e.detected), e.instructions, e.remarks,    r.recordedAt, r.recordedBy};
}

// True when the record was added; false when another PC added it first.
bool insert(Database& db, const LogKey& key, const Record& r)
{
    return db.execute(QStringLiteral("INSERT INTO Check_Record (Driver, Vehicle, Phase, Checker, "
                                     "Method, Detected, Instructions, Remarks, RDate, ID, "
                                     "Unit_SN, Date, Data_No) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                     "?, ?, ?, ?) ON CONFLICT (Unit_SN, Date, Data_No) DO NOTHING"),
                      recordValues(r) + keyValues(key)) == 1;
}

void update(Database& db, const LogKey& key, const Record& r)
{
    db.execute(QStringLiteral("UPDATE Check_Record SET Driver = ?, Vehicle = ?, Phase = ?, "
                              "Checker = ?, Method = ?, Detected = ?, Instructions = ?, Remarks = "
                              "?, RDate = ?, ID = ? WHERE %1")
                   .arg(QLatin1String(kKey)),
               recordValues(r) + keyValues(key));
}

// Every value of a record, named, for the history.
QString describe(const Record& r, bool english)
{
    const Entry& e = r.entry;
    const QStringList headings = heading(english).mid(3);
    const QStringList values{detectedText(e.detected, english),
                             e.driver,
                             e.vehicle,
                             phaseText(e.phase, english),
                             e.checker,
                             methodText(e.method, english),
                             e.instructions,
                             e.remarks,
                             shownDateTime(r.recordedAt),
                             r.recordedBy};
    QStringList parts;
    for (qsizetype i = 0; i < values.size(); ++i)
        parts << t::HistoryValue.pick(english).arg(headings[i], values[i]);
    return parts.join(t::HistoryJoin.pick(english));
}

void addHistory(Database& db, const LogKey& key, const Saver& saver,
                const std::optional<Record>& earlier)
{
    const bool en = saver.english;
    const QString log =
        t::HistoryLog.pick(en).arg(saver.snHead + key.unitSn, shownDateTime(key.date), key.dataNo);
    op_history::write(db, saver.now, saver.loginId, op_history::Op::CheckRecord,
                      earlier ? t::HistoryChanged.pick(en).arg(log, describe(*earlier, en))
                              : t::HistoryAdded.pick(en).arg(log));
}

SaveOutcome refused(SaveOutcome::Kind kind, const std::optional<Record>& earlier = {})
{
    SaveOutcome out;
    out.kind = kind;
    if (earlier)
        out.stored = *earlier;
    return out;
}

// True when the ID may change a record: admin always, another ID when its
// row has 管理者 on (an ID deleted since its sign-in may not). An empty ID
// (no sign-in) may. Throws DbError.
bool mayChange(Database& db, const QString& loginId)
{
    return unique_keys::withoutTrailingBlanks(loginId).isEmpty() ||
           login_rights::mayAdminister(db, loginId);
}

// Inside the save's transaction: the outcome, the record written if any.
SaveOutcome saveLocked(Database& db, const LogKey& key, const Record& wanted, const Saver& saver)
{
    if (!isMeasurement(db, key))
        return refused(SaveOutcome::NoMeasurement);
    const Problem problem = problemOf(wanted.entry);
    // At most twice: an add that finds the record added meanwhile changes it.
    for (;;) {
        const std::optional<Record> earlier = readForUpdate(db, key);
        if (earlier && problem.kind == Problem::Empty)
            return refused(SaveOutcome::Cleared, earlier);
        if (problem.kind != Problem::None) {
            SaveOutcome out = refused(SaveOutcome::Refused, earlier);
            out.problem = problem;
            return out;
        }
        if (earlier && earlier->entry == wanted.entry)
            return {SaveOutcome::Unchanged, {}, *earlier};
        if (earlier && !mayChange(db, saver.loginId))
            return refused(SaveOutcome::NotAdministrator, earlier);
        if (earlier)
            update(db, key, wanted);
        else if (!insert(db, key, wanted))
            continue;
        addHistory(db, key, saver, earlier);
        return {earlier ? SaveOutcome::Changed : SaveOutcome::Added, {}, wanted};
    }
}

} // namespace

SaveOutcome save(Database& db, const LogKey& key, const Entry& entry, const Saver& saver)
{
    const Record wanted{trimmed(entry), storedDateTime(saver.now), saver.loginId};
    Transaction tx(db, Database::Isolation::Writing);
    SaveOutcome outcome = saveLocked(db, key, wanted, saver);
    if (outcome.kind == SaveOutcome::Added || outcome.kind == SaveOutcome::Changed)
        tx.commit();
    return outcome;
}

QString refusalText(const SaveOutcome& outcome, bool english)
{
    switch (outcome.kind) {
    case SaveOutcome::Added:
    case SaveOutcome::Changed:
    case SaveOutcome::Unchanged:
        return {};
    case SaveOutcome::Cleared:
        return t::Cleared.pick(english);
    case SaveOutcome::NotAdministrator:
        return t::NotAdministrator.pick(english);
    case SaveOutcome::NoMeasurement:
        return t::NoMeasurement.pick(english);
    case SaveOutcome::Refused:
        break;
    }
    const QString field = inSentence(outcome.problem.field, english);
    switch (outcome.problem.kind) {
    case Problem::Empty:
        return t::EmptyField.pick(english).arg(field);
    case Problem::TooLong:
        return t::TooLong.pick(english).arg(field).arg(maxLength(outcome.problem.field));
    case Problem::BadCharacter:
    case Problem::None:
        break;
    }
    return t::BadCharacter.pick(english).arg(field);
}

} // namespace check_records
