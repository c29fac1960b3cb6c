#include "db/libpq_calls.h"

#include "db/db_error.h"
#include "db/sql_text.h"

#include <QDateTime>

namespace libpq_calls {

namespace {

// Type numbers of the server's built-in types (pg_type.oid).
enum : Oid {
    kBool = 16,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kOid = 26,
    kFloat4 = 700,
    kFloat8 = 701,
    kNumeric = 1700,
};

// The server's message of a failed result, or of the connection.
QString errorText(PGconn* conn, const PGresult* result)
{
    // The primary message alone: the full text adds a "LINE 1:" excerpt of
    // the statement as sent, which may be the engine layer's wrapping of it.
    const char* message = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (!message || !*message)
        message = result ? PQresultErrorMessage(result) : nullptr;
    if (!message || !*message)
        message = PQerrorMessage(conn);
    QString text = QString::fromUtf8(message).trimmed();
    return text.isEmpty() ? QStringLiteral("The server did not answer.") : text;
}

// A value as a parameter text; a null QByteArray stands for null.
QByteArray parameterText(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return storedDateTime(value.toDateTime()).toUtf8();
    case QMetaType::Bool:
        return value.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    case QMetaType::Double:
        return QByteArray::number(value.toDouble(), 'g', 17);
    default:
        break;
    }
    QByteArray text = value.toString().toUtf8();
    if (text.isNull())
        text = QByteArray(""); // an empty text, not null
    return text;
}

DbFault faultOfState(const QByteArray& sqlState)
{
    // deadlock_detected, serialization_failure
    return sqlState == "40P01" || sqlState == "40001" ? DbFault::Conflict : DbFault::Other;
}

} // namespace

Parameters::Parameters(const QVariantList& values)
{
    texts_.reserve(std::size_t(values.size()));
    pointers_.reserve(std::size_t(values.size()));
    for (const QVariant& v : values) {
        texts_.push_back(parameterText(v));
        pointers_.push_back(texts_.back().isNull() ? nullptr : texts_.back().constData());
    }
}

DbError failure(PGconn* conn, const PGresult* result, const QString& shown)
{
    QString message = errorText(conn, result);
    if (!shown.isEmpty())
        message += QStringLiteral(" [") + shown + QLatin1Char(']');
    return DbError(message, faultOfState(sqlState(result)));
}

QVariant value(const PGresult* result, int row, int column)
{
    const Oid type = PQftype(result, column);
    const bool isInteger = type == kInt2 || type == kInt4 || type == kInt8 || type == kOid;
    const bool isReal = type == kFloat4 || type == kFloat8 || type == kNumeric;
    // A null is a null text whatever the field's type, as the SQLite driver gives it.
    if (PQgetisnull(result, row, column))
        return QVariant(QMetaType::fromType<QString>());
    const char* text = PQgetvalue(result, row, column);
    const int length = PQgetlength(result, row, column);
    if (isInteger)
        return QByteArray::fromRawData(text, length).toLongLong();
    if (isReal)
        return QByteArray::fromRawData(text, length).toDouble();
    if (type == kBool)
        return text[0] == 't';
    return QString::fromUtf8(text, length);
}

QString numberedPlaceholders(const QString& sql)
{
    QString out;
    out.reserve(sql.size() + 8);
    int number = 0;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            while (j < n && sql[j] != c)
                ++j;
            out += QStringView(sql).mid(i, std::min(j + 1, n) - i);
            i = j;
            continue;
        }
        if (c == QLatin1Char('?'))
            out += QLatin1Char('$') + QString::number(++number);
        else
            out += c;
    }
    return out;
}

bool sessionUsable(PGconn* conn)
{
    if (PQstatus(conn) != CONNECTION_OK || PQconsumeInput(conn) == 0)
        return false;
    // A message that arrives while no statement runs is handed to the notice
    // receiver when the input is parsed; an ending session's is FATAL.
    struct Watch {
        PQnoticeReceiver previous = nullptr;
        bool ending = false;
    } watch;
    watch.previous = PQsetNoticeReceiver(
        conn,
        [](void* arg, const PGresult* notice) {
            auto* w = static_cast<Watch*>(arg);
            const QByteArray severity(PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED));
            if (severity == "FATAL" || severity == "PANIC")
                w->ending = true;
            else if (w->previous)
                w->previous(nullptr, notice);
        },
        &watch);
    PQisBusy(conn); // parses what was read
    // libpq's own receiver, the one in place, takes no argument.
    PQsetNoticeReceiver(conn, watch.previous, nullptr);
    return !watch.ending && PQstatus(conn) == CONNECTION_OK;
}

QByteArray sqlState(const PGresult* result)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state ? QByteArray(state) : QByteArray();
}

} // namespace libpq_calls
