// Decoding and storing the hidden test button's sample stream (30,003 records,
// 30,000 rows) into an empty delivered database: as one text (Log_Decode), and
// as the bytes arrive from a port, in pieces, stored chunk by chunk while they
// come (LogIntake); then the same stream again (all duplicates). The floor is
// the same 30,000 rows inserted by one prepared INSERT OR IGNORE in one
// transaction through the bare sqlite3 API.
#include "comm/log_decoder.h"
#include "comm/log_store.h"
#include "comm/sample_stream.h"
#include "db/database.h"
#include "db/delivered_db.h"
#include "db/sql_text.h"
#include "support.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 5;
const QDateTime kNow(QDate(2024, 5, 15), QTime(10, 30, 0));

struct Row {
    std::string unitSn, date, dataNo, alcohol;
    int logNo;
};

// The rows the sample stream stores, ready to bind.
std::vector<Row> sampleRows()
{
    std::vector<Row> rows;
    for (const LogRecord& r : decodeRecords(sampleStream())) {
        if (rows.size() == 30000)
            break;
        rows.push_back({r.unitSn.toStdString(), storedRecordDate(r).toStdString(),
                        r.dataNo.toStdString(), r.alcohol.toStdString(), *logNumberValue(r.logNo)});
    }
    return rows;
}

void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void insertFloor(const QString& path, const std::vector<Row>& rows)
{
    sqlite3* db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db);
    sqlite3_stmt* insert = nullptr;
    const std::string wdate = storedDateTime(kNow).toStdString();
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    check(sqlite3_prepare_v2(db,
                             "INSERT OR IGNORE INTO Log_Data (Unit_SN, Date, Data_No, Log_No, "
                             "Alcohol, Tani, WDate) VALUES (?, ?, ?, ?, ?, NULL, ?)",
                             -1, &insert, nullptr),
          db);
    for (const Row& r : rows) {
        sqlite3_bind_text(insert, 1, r.unitSn.data(), int(r.unitSn.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, r.date.data(), int(r.date.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, r.dataNo.data(), int(r.dataNo.size()), SQLITE_STATIC);
        sqlite3_bind_int(insert, 4, r.logNo);
        sqlite3_bind_text(insert, 5, r.alcohol.data(), int(r.alcohol.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 6, wdate.data(), int(wdate.size()), SQLITE_STATIC);
        check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

void expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "unexpected result: %s\n", what);
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("template.db"));
    bench::createDeliveredDb(templatePath);
    const QString path = dir.filePath(QStringLiteral("work.db"));
    const auto freshCopy = [&] {
        QFile::remove(path);
        expect(QFile::copy(templatePath, path), "template copied");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    };

    const QString sample = sampleStream();
    const std::vector<Row> rows = sampleRows();
    const Clock clock = fixedClock(kNow);

    const double floorMs = bench::bestMs(
        kRuns, [&] { insertFloor(path, rows); }, freshCopy);

    const double decodeOnlyMs = bench::bestMs(
        kRuns, [&] { expect(decodeRecords(sample).size() == 30002, "30,002 complete records"); });

    // The bytes as a port delivers them, in pieces of 4 KiB.
    const QByteArray bytes = QByteArray::fromHex(sample.toLatin1());
    constexpr qsizetype kPiece = 4096;
    const auto feedPieces = [&](const std::function<void(QByteArrayView)>& feed) {
        for (qsizetype pos = 0; pos < bytes.size(); pos += kPiece)
            feed(QByteArrayView(bytes).sliced(pos, std::min(kPiece, bytes.size() - pos)));
    };
    const double decodeBytesMs = bench::bestMs(kRuns, [&] {
        LogStreamDecoder decoder;
        qsizetype records = 0;
        feedPieces([&](QByteArrayView piece) {
            decoder.feedBytes(piece);
            records += decoder.take().size();
        });
        expect(records == 30002, "30,002 complete records from the bytes");
    });

    std::unique_ptr<Database> db;
    const auto openFresh = [&] {
        db.reset();
        freshCopy();
        db = std::make_unique<Database>();
        db->open(path);
    };
    const double storeMs = bench::bestMs(
        kRuns,
        [&] {
            const DecodeOutcome outcome = Log_Decode(*db, sample, clock);
            expect(outcome.ok() && outcome.stored == 30000, "30,000 rows stored");
        },
        openFresh);

    const double streamMs = bench::bestMs(
        kRuns,
        [&] {
            LogIntake intake(*db, clock);
            feedPieces([&](QByteArrayView piece) {
                intake.feedBytes(piece);
                intake.storeChunks(false);
            });
            intake.storeChunks(true);
            expect(intake.outcome().ok() && intake.outcome().stored == 30000,
                   "30,000 rows stored from the bytes");
        },
        openFresh);

    const double againMs = bench::bestMs(
        kRuns,
        [&] {
            const DecodeOutcome outcome = Log_Decode(*db, sample, clock);
            expect(outcome.ok() && outcome.stored == 0 && outcome.duplicates == 30002,
                   "all duplicates");
        },
        [&] {
            openFresh();
            Log_Decode(*db, sample, clock);
        });
    db.reset();

    std::printf("sample stream: %lld characters, decode alone %.1f ms; its %lld bytes in pieces "
                "of %lld, decode alone %.1f ms (best of %d)\n",
                static_cast<long long>(sample.size()), decodeOnlyMs,
                static_cast<long long>(bytes.size()), static_cast<long long>(kPiece), decodeBytesMs,
                kRuns);
    bench::report("Log_Decode sample into empty database", storeMs, floorMs);
    bench::report("bytes in pieces, stored as they come", streamMs, floorMs);
    bench::report("Log_Decode sample again (all duplicates)", againMs, floorMs);
    return 0;
}
