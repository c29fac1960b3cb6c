#include "db/row_stream.h"

#include "db/database.h"
#include "db/engine_session.h"

#include <charconv>

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

RowStream::RowStream(Database& db, const QString& sql, int fetchRows)
    : RowStream(db, sql, QVariantList(), fetchRows)
{
}

RowStream::RowStream(Database& db, const QString& sql, const QVariantList& values, int fetchRows)
    : RowStream(db, Statement{db.translate(sql), sql}, values, fetchRows)
{
}

RowStream::RowStream(Database& db, const Statement& statement, const QVariantList& values,
                     int fetchRows)
    : db_(&db), source_(db.session().rows(statement.translated, values, statement.shown, fetchRows))
{
    closeHook_ = db.onClose([this] {
        source_->release();
        db_ = nullptr;
    });
}

RowStream::~RowStream()
{
    if (db_)
        db_->dropOnClose(closeHook_);
}

int RowStream::column(std::string_view name) const
{
    const std::vector<std::string>& names = source_->names();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (sameName(names[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

bool RowStream::next()
{
    if (!db_)
        throw DbError(QStringLiteral("The database connection of the row stream is closed."));
    onRow_ = false; // a failing step leaves no row behind
    onRow_ = source_->next();
    return onRow_;
}

RowSource::Integer RowSource::integer(int column) const
{
    const Field f = field(column);
    Integer out{0, f.null};
    // A text that is not a number leaves the value 0.
    if (!f.null && std::from_chars(f.bytes.data(), f.bytes.data() + f.bytes.size(), out.value).ec !=
                       std::errc())
        out.value = 0;
    return out;
}

QVariant RowStream::value(int column) const
{
    if (!onRow_ || column < 0 || !db_)
        return QVariant(QMetaType::fromType<QString>());
    return source_->value(column);
}
