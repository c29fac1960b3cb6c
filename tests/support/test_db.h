#pragma once

#include "app/app_context.h"
#include "app/database.h"
#include "app/delivered_db.h"
#include "sets/log_master_file.h"
#include "support/scripted_dialogs.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <memory>

// The default log master of the delivered database (data/log_master.mst).
QList<log_master_file::Entry> deliveredLogMaster();

// Makes a delivered database file at path (fast: the template is built once
// per test process and copied).
void makeDeliveredDb(const QString& path,
                     delivered_db::DeliveredFile file = delivered_db::DeliveredFile::Japanese);

// A program folder with the three delivered databases, an open connection to
// the one the switches choose, a scripted message interface and a clock.
struct TestApp {
    explicit TestApp(Switches sw = {}, bool open = true);

    QTemporaryDir dir;
    Database db;
    ScriptedDialogs dialogs;
    AppContext ctx;
    int quitCalls = 0;
    QDateTime now = QDateTime(QDate(2024, 5, 15), QTime(10, 30, 0));

    QString dbPath() const;
    // Row count of a table or view.
    qint64 count(const QString& table);
};
