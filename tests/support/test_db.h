#pragma once

#include "base/app_context.h"
#include "db/database.h"
#include "db/delivered_db.h"
#include "db/log_master_file.h"
#include "start/program_db.h"
#include "support/scripted_dialogs.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <memory>

// The default log master of the delivered database (data/log_master.mst).
QList<log_master_file::Entry> deliveredLogMaster();

// Turns a new database into one as the first release made it: no version kept, and plain
// indexes where the unique keys are now. Each upgrade step added later is undone here too.
void makeOldStyle(Database& db);
// What a database is made of, to compare two: each table with its fields' types, each view
// and each index, by lower-case name, on either engine.
QStringList schemaShape(Database& db);

// The engine of this process's tests: QVX_TEST_ENGINE=postgresql selects a throwaway
// PostgreSQL server (tests/support/pg_cluster.h), anything else the SQLite files.
DbEngine testEngine();

struct TestApp;
// What a suite that links the windows' part of the test support gets in every TestApp, as the
// program's main() wires it: the wait window on the connection and the program's exit path
// (tests/support/window_app.cpp). A suite of logic alone has neither.
using TestAppWindows = void (*)(TestApp& app);
void setTestAppWindows(TestAppWindows windows);

// A program folder with the three delivered databases, a scripted message interface, a clock and a
// connection to the database the switches choose: the file, or on the server engine a test cluster
// database holding what it holds (program.setting). Without PostgreSQL a server run is skipped.
struct TestApp {
    explicit TestApp(Switches sw = {}, bool open = true);
    TestApp(DbEngine engine, Switches sw, bool open = true);
    ~TestApp();
    TestApp(const TestApp&) = delete;
    TestApp& operator=(const TestApp&) = delete;

    QTemporaryDir dir;
    Database db;
    ScriptedDialogs dialogs;
    AppContext ctx;
    ProgramDb program; // the database the program uses, and its claim on it
    int quitCalls = 0;
    QDateTime now = QDateTime(QDate(2024, 5, 15), QTime(10, 30, 0));

    DbEngine engine = DbEngine::Sqlite;
    QString serverDb; // the database on the test cluster, on the server engine

    // The SQLite file the switches choose (also on the server engine).
    QString dbPath() const;
    // Row count of a table or view.
    qint64 count(const QString& table);
};

// Every row of a statement, its fields as text ("" for null) joined by
// `separator`; firstColumn() gives the first field alone.
QStringList rowTexts(Database& db, const QString& sql, const QString& separator = "|");
QStringList firstColumn(Database& db, const QString& sql);
// Stores `count` logs of `unit` at 08:00 on 1 May 2024, log number 21, data numbers `first` on.
void addLogs(Database& db, int count, const QString& unit = "0080", int first = 1);
// Stores one log, its values bound (control characters need no engine function).
void addLog(Database& db, const QVariant& unit, const QVariant& date, const QVariant& dataNo,
            const QVariant& logNo, const QVariant& alcohol = "0.150", const QVariant& tani = "01");

// A file's bytes ("" when it cannot be read); writing them whole, false on failure.
QByteArray fileBytes(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

// On the server engine, the app goes on as the program's role with only the rights
// quarvenix-initdb --grant gives it (db/role_grants.h), as a PC signs in. Nothing on SQLite.
void useProgramRole(TestApp& app);
