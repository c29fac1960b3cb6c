#include "search_database.h"

#include "db/schema_upgrade.h"
#include "db/sql_text.h"
#include "support.h"

#include <QDateTime>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace search_db {

namespace {

QString unitSerial(int u)
{
    // Mostly four-digit serials, a few longer ones.
    return u < 45 ? QStringLiteral("%1").arg(u + 1, 4, 10, QLatin1Char('0'))
                  : QStringLiteral("%1").arg(100001 + u);
}

struct GenLog {
    qint64 time; // seconds since 2020-01-01
    int unit;
    int dataNo;
    int logNo;
    int value;
};

int pickLogNo(std::mt19937& rng)
{
    // Start/end pairs dominate; measurements, alarms, service events and a
    // few log numbers the master does not know.
    static const int numbers[] = {21, 41, 8, 9, 10, 17, 1, 2, 3, 6, 11, 12, 30, 55, 77, 200};
    static const int weights[] = {24, 24, 20, 2, 3, 2, 4, 4, 3, 2, 3, 2, 2, 2, 2, 1};
    static std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
    return numbers[pick(rng)];
}

// The logs of kUnits handsets over five years, as a fleet reads its handsets:
// month by month, unit by unit.
std::vector<GenLog> generateLogs(long count)
{
    std::mt19937 rng(20240515);
    const qint64 span = QDateTime(QDate(2020, 1, 1), QTime(0, 0))
                            .secsTo(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)));
    std::vector<GenLog> logs;
    logs.reserve(std::size_t(count));
    const long perUnit = count / kUnits;
    for (int u = 0; u < kUnits; ++u) {
        const double step = double(span) / perUnit;
        std::uniform_real_distribution<double> jitter(0.1, 1.9);
        std::uniform_int_distribution<int> value(0, 999);
        double t = 0;
        for (long k = 0; k < perUnit; ++k) {
            t += step * jitter(rng);
            logs.push_back(
                {std::min<qint64>(qint64(t), span), u, int(k % 10000), pickLogNo(rng), value(rng)});
        }
    }
    std::sort(logs.begin(), logs.end(), [](const GenLog& a, const GenLog& b) {
        const qint64 ma = a.time / (31 * 86400), mb = b.time / (31 * 86400);
        return ma != mb ? ma < mb : (a.unit != b.unit ? a.unit < b.unit : a.time < b.time);
    });
    return logs;
}

// Stores the logs in Log_Data with one prepared statement.
void storeLogs(sqlite3* db, const std::vector<GenLog>& logs)
{
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, "
                             "Tani, WDate) VALUES (?, ?, ?, ?, ?, ?, ?)",
                             -1, &insert, nullptr),
          db);
    std::vector<std::string> serials;
    for (int u = 0; u < kUnits; ++u)
        serials.push_back(unitSerial(u).toStdString());
    const QDateTime origin(QDate(2020, 1, 1), QTime(0, 0));
    for (const GenLog& g : logs) {
        const std::string date = storedDateTime(origin.addSecs(g.time)).toStdString();
        char dataNo[8], alcohol[8];
        std::snprintf(dataNo, sizeof dataNo, "%04d", g.dataNo);
        std::snprintf(alcohol, sizeof alcohol, "0.%03d", g.value);
        const bool measured = g.logNo == 8 || g.logNo == 9 || g.logNo == 10;
        sqlite3_bind_text(insert, 1, serials[std::size_t(g.unit)].c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, dataNo, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 4, g.logNo);
        sqlite3_bind_text(insert, 5, measured ? alcohol : "", -1, SQLITE_TRANSIENT);
        if (measured)
            sqlite3_bind_text(insert, 6, "01", -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(insert, 6);
        sqlite3_bind_text(insert, 7, date.c_str(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
}

} // namespace

void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void exec(sqlite3* db, const char* sql)
{
    check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db);
}

void build(const QString& path, long count)
{
    bench::createDeliveredDb(path);
    const std::vector<GenLog> logs = generateLogs(count);
    sqlite3* db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db);
    exec(db, "PRAGMA synchronous = OFF");
    exec(db, "BEGIN");
    for (int u = 0; u < kUnits; u += 3) {
        const QString sql = QStringLiteral("INSERT INTO Kiki_Name (Unit_SN, Name, Date) VALUES "
                                           "('%1', 'トラック %2', '2024-01-01 09:00:00')")
                                .arg(unitSerial(u))
                                .arg(u + 1);
        exec(db, sql.toUtf8().constData());
    }
    const char* units[] = {"0003", "0007", "0010", "0016", "0022",
                           "0025", "0031", "0038", "0044", "100047"};
    int no = 1;
    for (const char* unit : units) {
        const std::string sql = "INSERT INTO UFukusu (No, Name, Unit_SN, Date) VALUES (" +
                                std::to_string(no++) + ", 'Ten', '" + unit +
                                "', '2024-01-01 09:00:00')";
        exec(db, sql.c_str());
    }
    exec(db, "INSERT INTO Fukusu (No, Name, Log_No, Date) VALUES (1, 'Three', 8, "
             "'2024-01-01 09:00:00'), (2, 'Three', 9, '2024-01-01 09:00:00'), "
             "(3, 'Three', 17, '2024-01-01 09:00:00')");
    storeLogs(db, logs);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

long long bareRead(sqlite3* db, const QByteArray& sql)
{
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), db);
    long long bytes = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            sqlite3_column_text(st, c);
            bytes += sqlite3_column_bytes(st, c);
        }
    }
    sqlite3_finalize(st);
    return bytes;
}

void fillArchive(sqlite3* db)
{
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT count(*) FROM Log_Archive", -1, &st, nullptr), db);
    sqlite3_step(st);
    const long long archived = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    if (archived > 0)
        return;
    std::printf("Filling the archive...\n");
    std::fflush(stdout);
    exec(db, "BEGIN");
    exec(db, "INSERT INTO Log_Archive (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, WDate, "
             "HDate) SELECT Unit_SN, Date, '1' || Data_No, Log_No, Alcohol, Tani, WDate, WDate "
             "FROM Log_Data");
    exec(db, "COMMIT");
}

bool keptIsCurrent(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    int version = -1;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT Version FROM Db_Version", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        version = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    // A file made before new files had the reshaped archive view kept its per-row check.
    bool checked = true;
    if (sqlite3_prepare_v2(db,
                           "SELECT count(*) FROM sqlite_master WHERE name = 'V_Log_Archive' "
                           "AND sql NOT LIKE '%NOT EXISTS%'",
                           -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        checked = sqlite3_column_int(st, 0) == 0;
    sqlite3_finalize(st);
    sqlite3_close(db);
    return version == schema_upgrade::currentVersion() && !checked;
}
} // namespace search_db
