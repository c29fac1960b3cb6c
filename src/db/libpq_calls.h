#pragma once

#include "db/db_error.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <libpq-fe.h>
#include <memory>
#include <vector>

// The engine layer's calls into libpq on a server connection. Values travel
// as text both ways, so nothing is converted by a driver's idea of time
// zones: a timestamp reads back as the "YYYY-MM-DD HH:MM:SS" it was written.
namespace libpq_calls {

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// The values of a statement as text parameters $1, $2, …: the pointers stay
// valid while this lives; a null pointer stands for null.
class Parameters {
public:
    explicit Parameters(const QVariantList& values);
    Parameters(const Parameters&) = delete;
    Parameters& operator=(const Parameters&) = delete;
    const std::vector<const char*>& pointers() const { return pointers_; }

private:
    std::vector<QByteArray> texts_;
    std::vector<const char*> pointers_;
};

// The failure of a result as thrown: the server's message (and `shown`, the
// statement as the caller wrote it, when given), with DbFault::Conflict for
// a deadlock or a serialization failure.
DbError failure(PGconn* conn, const PGresult* result, const QString& shown = {});

// A field as the engine layer gives it on SQLite too: integers as qlonglong,
// timestamps and texts as QString, null as a null QString.
QVariant value(const PGresult* result, int row, int column);

// "?" placeholders outside quoted texts and names numbered as $1, $2, ….
QString numberedPlaceholders(const QString& sql);

// The SQLSTATE of a failed result ("" when there is none).
QByteArray sqlState(const PGresult* result);

// Whether an idle session can take a statement: false when the connection is
// closed, or when the server has sent word that it is ending the session (a
// restart or shutdown sends a FATAL message, then closes the connection; the
// message alone reads as healthy data). Reads what arrived without waiting.
bool sessionUsable(PGconn* conn);

} // namespace libpq_calls
