#pragma once

#include "records/check_record.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

class Database;
struct SettingsFiles;

// Reading the check record book: the measurement logs of a period with
// their records, what a new record proposes, the book's settings, and the
// records a deletion of logs concerns. Every read throws DbError.
namespace check_records {

// Days, both included; a null date sets no bound.
struct Period {
    QDate from;
    QDate to;
};

// The measurement logs of the period (logs with a measured value) with their
// records, by date and time, unit and data number; with `withArchive` also
// the preserved logs (Log_Archive) that are not in Log_Data, marked archived.
QList<BookRow> read(Database& db, const Period& period, bool withArchive);

// The book's settings in quarvenix.ini:
//
//   [records]
//   limit=0.000    a value above it proposes 酒気帯び 有 (default 0.000)
//   depot=…        the depot's name the printed book shows (default none)
//
// A limit that is no limit as the statistics window takes one (a number
// from 0 to 9.999, at most three decimals) keeps the default.
struct Settings {
    double limit = 0.0;
    QString depot;
};
Settings readSettings(const SettingsFiles& files);

// True when the measured value is above the limit. A value that is no number
// counts as above: a record must not say no alcohol where nobody can tell.
bool aboveLimit(const QString& value, double limit);

// What a new record of the row proposes: the driver of the handset's last
// record (the record of its latest log) and the vehicle of that driver's last
// record, else empty; the signed-in ID's name as checker; face to face with
// the detector, before driving; alcohol detected when the value is above the
// limit.
Entry propose(Database& db, const BookRow& row, const QString& loginId, double limit);
// The vehicle of the driver's last record; "" for none.
QString lastVehicleOf(Database& db, const QString& driver);

// How many logs of Log_Data in the period (a null period: all of them) are
// younger than one year at `now` and have a record — what a deletion of
// those logs from Log_Data concerns.
qint64 youngLogsWithRecords(Database& db, const QDateTime& now, const Period& period = {});

} // namespace check_records
