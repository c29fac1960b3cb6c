// The preservation of a million stored logs: the preservation file against
// the same bytes made by the bare sqlite3 API on the same connection (and,
// for reference, by the bare sqlite3 API on a connection of its own, and the
// finished bytes written alone), and the backup with the deletion against the same
// statements run by the bare sqlite3 API in one transaction.
#include "admin_core/log_preservation.h"
#include "db/database.h"
#include "db/delivered_db.h"
#include "db/log_master_file.h"
#include "support.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <sqlite3.h>
#include <string>

using bench::measure;
using bench::report;
using bench::Timing;

namespace {

constexpr int kLogs = 1'000'000;
constexpr int kRuns = 3;

void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

// A delivered database with kLogs logs of 40 handsets over four years; a few
// log numbers have no content, a fifth of the logs carry a measured value.
void buildDatabase(const QString& path)
{
    bench::createDeliveredDb(path);
    sqlite3* db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, "
                             "WDate) VALUES (?, ?, ?, ?, ?, ?, '2025-01-10 09:00:00')",
                             -1, &insert, nullptr),
          db);
    std::mt19937 rng(5);
    const int logNumbers[] = {21, 41, 8, 8, 9, 1, 2, 17, 30, 99};
    const QDateTime origin(QDate(2021, 1, 1), QTime(0, 0));
    for (int i = 0; i < kLogs; ++i) {
        const int unit = i % 40;
        const int logNo = logNumbers[rng() % std::size(logNumbers)];
        const bool measured = logNo == 8 || logNo == 9;
        const std::string serial = std::to_string(1000 + unit);
        const std::string date = origin.addSecs(qint64(i / 40) * 5040 + unit)
                                     .toString("yyyy-MM-dd HH:mm:ss")
                                     .toStdString();
        const std::string dataNo = std::to_string(i / 40 % 10000);
        const std::string alcohol = "0." + std::to_string(100 + rng() % 900);
        sqlite3_bind_text(insert, 1, serial.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, dataNo.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 4, logNo);
        sqlite3_bind_text(insert, 5, measured ? alcohol.c_str() : "", -1, SQLITE_TRANSIENT);
        if (measured)
            sqlite3_bind_text(insert, 6, "01", -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(insert, 6);
        check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

std::string columnText(sqlite3_stmt* st, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return text ? std::string(text, std::size_t(sqlite3_column_bytes(st, column))) : std::string();
}

// The same file by the bare sqlite3 API: the view's rows into UTF-8 lines,
// each 64 kB turned into Shift_JIS by Qt's encoder and written with stdio.
void bareFile(sqlite3* db, const QString& path)
{
    sqlite3_stmt* st = nullptr;
    // The view's columns: Unit_SN, Date, Data_No, Log_No, Alcohol, Tani, Naiyou, Naiyou2, ...
    check(sqlite3_prepare_v2(db, "SELECT * FROM V_Log_Data", -1, &st, nullptr), db);
    FILE* out = std::fopen(path.toUtf8().constData(), "wb");
    QStringEncoder encoder("windows-31j");
    std::string chunk;
    const auto flush = [&] {
        const QByteArray bytes =
            encoder.encode(QString::fromUtf8(chunk.data(), qsizetype(chunk.size())));
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), out);
        chunk.clear();
    };
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::string date = columnText(st, 1);
        date[4] = date[7] = '/';
        if (date.compare(11, 8, "00:00:00") == 0)
            date.resize(10);
        std::string content = columnText(st, 6);
        if (content.empty())
            content = columnText(st, 7);
        if (content.empty())
            content = "セットエラー";
        chunk += "X00 " + columnText(st, 0) + ',' + date + ',' + columnText(st, 2) + ',' + content +
                 columnText(st, 4) + columnText(st, 5) + "\r\n";
        if (chunk.size() >= 65536)
            flush();
    }
    flush();
    std::fclose(out);
    sqlite3_finalize(st);
}

void bareBackupAndDelete(const QString& path)
{
    sqlite3* db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db);
    check(sqlite3_exec(db,
                       "BEGIN; DELETE FROM Log_Data_Bak; INSERT INTO Log_Data_Bak SELECT * FROM "
                       "Log_Data; DELETE FROM Log_Data; COMMIT;",
                       nullptr, nullptr, nullptr),
          db);
    sqlite3_close(db);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void copyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        std::exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // QVX_BENCH_PRESERVE_DB names a file that keeps the logs between runs (it
    // is only read); by default it lives in a temporary folder for this run.
    QTemporaryDir dir;
    const QString kept = qEnvironmentVariable("QVX_BENCH_PRESERVE_DB");
    const QString templ = kept.isEmpty() ? dir.filePath(QStringLiteral("template.db")) : kept;
    const QString work = dir.filePath(QStringLiteral("QuarvenixDB.db"));
    if (!QFile::exists(templ)) {
        std::printf("Building a database of %d logs...\n", kLogs);
        std::fflush(stdout);
        buildDatabase(templ);
    }

    const QString ours = dir.filePath(QStringLiteral("ours.csv"));
    const QString bare = dir.filePath(QStringLiteral("bare.csv"));
    const QString again = dir.filePath(QStringLiteral("again.csv"));
    std::printf("\npreservation file of %d logs (target: ratio at most 1.5 against the bare "
                "sqlite3 API + encoder)\n",
                kLogs);
    {
        Database db;
        db.open(templ);
        QString error;
        const Timing oursFile = measure(kRuns, [&] {
            error = log_preservation::Write_LogFile(db, ours, QStringLiteral("X00 "));
        });
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const QByteArray bytes = readAll(ours);
        sqlite3* handle = db.sqliteHandle();
        const Timing bareSqlite = measure(kRuns, [&] { bareFile(handle, bare); });
        const bool sameSqlite = readAll(bare) == bytes;
        // A connection of its own, opened as a program that knows nothing
        // of ours would open it.
        sqlite3* own = nullptr;
        check(sqlite3_open_v2(templ.toUtf8().constData(), &own, SQLITE_OPEN_READONLY, nullptr),
              own);
        const Timing bareOwn = measure(kRuns, [&] { bareFile(own, bare); });
        sqlite3_close(own);
        if (!sameSqlite || readAll(bare) != bytes) {
            std::fprintf(stderr, "the files differ\n");
            return 1;
        }
        const Timing writeOnly = measure(kRuns, [&] {
            FILE* out = std::fopen(again.toUtf8().constData(), "wb");
            std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), out);
            std::fclose(out);
        });
        report("Write_LogFile vs bare sqlite3 API + encoder", oursFile, bareSqlite);
        std::printf("  for reference: bare sqlite3 on its own connection, and the disk's cost\n");
        report("Write_LogFile vs bare sqlite3, own connection", oursFile, bareOwn);
        report("Write_LogFile vs writing the finished bytes", oursFile, writeOnly);
        std::printf("    %.1f MB, %lld lines\n", double(bytes.size()) / 1e6,
                    static_cast<long long>(bytes.count("\r\n")));
    }

    std::printf("\nbackup and deletion of %d logs in one transaction (target: ratio at most 2)\n",
                kLogs);
    Database db;
    const Timing oursTables = measure(
        kRuns,
        [&] {
            Transaction tx(db);
            log_preservation::Backup_LogData(db);
            log_preservation::Delete_LogData(db);
            tx.commit();
            db.close();
        },
        [&] {
            copyFile(templ, work);
            db.open(work);
        });
    const Timing bareTables = measure(
        kRuns, [&] { bareBackupAndDelete(work); }, [&] { copyFile(templ, work); });
    report("Backup_LogData + Delete_LogData vs bare", oursTables, bareTables);

    const double allMs = bench::bestMs(
        1,
        [&] {
            const auto outcome = log_preservation::Run_Preserve(
                db, log_preservation::Operation::SaveAndDelete, ours, QStringLiteral("X00 "),
                QDateTime::currentDateTime());
            if (!outcome.ok())
                std::exit(1);
        },
        [&] {
            copyFile(templ, work);
            db.open(work);
        });
    std::printf("\nRun_Preserve, save and delete, all steps: %.1f ms\n", allMs);
    return 0;
}
