#include "db/recordset.h"

#include "db/database.h"
#include "db/engine_session.h"
#include "db/row_stream.h"
#include "db/sql_text.h"

#include <QRegularExpression>

namespace {

// "SELECT * FROM <name> ..." names the table a recordset can write to.
const QRegularExpression& selectStarFrom()
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*))"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

constexpr auto kRowKeyColumn = "qvx_rowid";

} // namespace

Recordset::Recordset(Database& db, const QString& sql, const QVariantList& values) : db_(&db)
{
    QString statement = db.translate(sql);
    const QRegularExpressionMatch m = selectStarFrom().match(statement);
    if (m.hasMatch() && db.isTable(m.captured(1))) {
        table_ = m.captured(1);
        // Each row keeps its identity so that a changed row can be saved.
        const qsizetype star = statement.indexOf(QLatin1Char('*'), m.capturedStart(0));
        statement.replace(star, 1,
                          QStringLiteral("%1 AS %2, *")
                              .arg(db.session().rowKeyColumn(), QLatin1String(kRowKeyColumn)));
    }
    const int first = table_.isEmpty() ? 0 : 1;
    RowStream rows(db, RowStream::Statement{statement, sql}, values, RowStream::kWhole);
    for (int i = first; i < rows.columnCount(); ++i)
        names_ << QString::fromUtf8(rows.name(i)).remove(QLatin1Char('"'));
    const int width = static_cast<int>(names_.size());
    while (rows.next()) {
        if (first == 1)
            rowKeys_ << rows.value(0);
        QVector<QVariant> row(width);
        for (int i = 0; i < width; ++i)
            row[i] = rows.value(i + first);
        rows_ << row;
    }
}

int Recordset::column(const QString& name) const
{
    for (int i = 0; i < names_.size(); ++i) {
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw DbError(QStringLiteral("Item cannot be found in the collection: %1").arg(name));
}

void Recordset::moveNext()
{
    // Moving away from a changed or added row saves it first, as the
    // original engine did; nothing set is silently dropped.
    update();
    if (eof())
        throw DbError(QStringLiteral("Either BOF or EOF is True."));
    ++pos_;
}

QVariant Recordset::field(const QString& name) const
{
    const int c = column(name);
    if (adding_ || !edit_.isEmpty())
        return edit_[c];
    if (eof())
        throw DbError(QStringLiteral("Either BOF or EOF is True."));
    return rows_[pos_][c];
}

QString Recordset::text(const QString& name) const
{
    const QVariant v = field(name);
    return v.isNull() ? QString() : v.toString();
}

void Recordset::addNew()
{
    if (table_.isEmpty())
        throw DbError(QStringLiteral("The recordset cannot add rows (not a single table)."));
    adding_ = true;
    edit_ = QVector<QVariant>(names_.size());
    dirty_ = QVector<bool>(names_.size(), false);
}

void Recordset::setField(const QString& name, const QVariant& value)
{
    if (table_.isEmpty())
        throw DbError(QStringLiteral("The recordset is read-only."));
    const int c = column(name);
    if (edit_.isEmpty()) {
        if (eof())
            throw DbError(QStringLiteral("Either BOF or EOF is True."));
        edit_ = rows_[pos_];
        dirty_ = QVector<bool>(names_.size(), false);
    }
    edit_[c] = value;
    dirty_[c] = true;
}

void Recordset::update()
{
    if (edit_.isEmpty())
        return;
    const QHash<QString, QString> types = db_->columnTypes(table_);
    RowChange change;
    change.table = table_;
    change.adding = adding_;
    for (int i = 0; i < names_.size(); ++i) {
        if (!dirty_[i])
            continue;
        QVariant v = edit_[i];
        if (types.value(names_[i].toLower()) == QLatin1String("DATETIME") && !v.isNull()) {
            // A date field takes a date and time or its text; anything else fails as the
            // original engine's type mismatch did.
            const QString stored = v.metaType().id() == QMetaType::QDateTime
                                       ? storedDateTime(v.toDateTime())
                                       : storedDateTime(v.toString());
            if (stored.isNull())
                throw DbError(
                    QStringLiteral("Data type mismatch: '%1' is not a date and time for %2.")
                        .arg(v.toString(), names_[i]));
            v = stored;
        }
        edit_[i] = v;
        change.columns << names_[i];
        change.values << v;
    }
    if (!adding_ && change.columns.isEmpty()) {
        edit_.clear();
        dirty_.clear();
        return;
    }
    if (!adding_) {
        change.key = rowKeys_[pos_];
        change.readNames = names_;
        change.readValues = rows_[pos_];
    }
    const QVariant key = db_->session().saveRow(change);
    if (adding_) {
        rows_.append(edit_);
        rowKeys_.append(key);
        pos_ = rows_.size() - 1;
    } else {
        rows_[pos_] = edit_;
        rowKeys_[pos_] = key;
    }
    adding_ = false;
    edit_.clear();
    dirty_.clear();
}

void Recordset::close()
{
    rows_.clear();
    rowKeys_.clear();
    edit_.clear();
    dirty_.clear();
    pos_ = 0;
    adding_ = false;
}
