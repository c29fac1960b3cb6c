#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The check record book: for every measurement log (a log with a measured
// value) the record a depot keeps of the alcohol check it belongs to — who
// was checked, which vehicle, before or after driving, who confirmed it and
// how, whether alcohol was detected, what the driver was told — with when it
// was recorded and by which login ID. Table Check_Record, keyed like the log,
// whether the log is in Log_Data or in Log_Archive.
namespace check_records {

// A log's key as stored: unit, date and time ("YYYY-MM-DD HH:MM:SS"), data number.
struct LogKey {
    QString unitSn;
    QString date;
    QString dataNo;
    bool operator==(const LogKey&) const = default;
};

// The codes the table keeps (fields Phase and Method).
enum class Phase { BeforeDriving = 0, AfterDriving = 1 };
enum class Method { FaceToFace = 0, Telephone = 1, VideoCall = 2, Other = 3 };

// What the operator records of a check.
struct Entry {
    QString driver;
    QString vehicle;
    Phase phase = Phase::BeforeDriving;
    QString checker;
    Method method = Method::FaceToFace;
    bool detected = false;
    QString instructions;
    QString remarks;
    bool operator==(const Entry&) const = default;
};

// A stored record: the entry, and when and by which login ID it was recorded.
struct Record {
    Entry entry;
    QString recordedAt; // "YYYY-MM-DD HH:MM:SS"
    QString recordedBy;
};

// A measurement log as the book lists it, with its record when it has one.
struct BookRow {
    LogKey key;
    QString unitName; // the handset's name; "" for none
    QString value;    // the measured value as stored ("0.150")
    bool archived = false;
    std::optional<Record> record;
};

// The text fields of an entry, each with its most characters.
enum class TextField { Driver, Vehicle, Checker, Instructions, Remarks };
int maxLength(TextField field);
// The field's name as the window heads its column.
QString caption(TextField field, bool english);
// The field's name inside a sentence ("運転者", "driver").
QString inSentence(TextField field, bool english);

// What is wrong with an entry, before the database is asked: the first
// field (in the window's order) that is empty where it must not be (driver,
// vehicle), longer than its limit, or holds a character Shift_JIS cannot
// hold or a control character — so that the CSV never fails.
struct Problem {
    enum Kind { None, Empty, TooLong, BadCharacter };
    Kind kind = None;
    TextField field = TextField::Driver;
};
Problem problemOf(const Entry& entry);
// The entry with blanks around each text removed.
Entry trimmed(Entry entry);

// The values' texts.
QString phaseText(Phase phase, bool english);
QString methodText(Method method, bool english);
QString detectedText(bool detected, bool english);

// The book's columns: date and time, handset, value, alcohol detected, the
// record's fields, when and by whom it was recorded. The same for the
// window, the CSV file and the printed book.
QStringList heading(bool english);
// A row's texts under heading(); a row without a record has empty record fields.
QStringList fields(const BookRow& row, bool english, const QString& snHead);
// The handset: its name, else snHead and the serial number.
QString handsetText(const BookRow& row, const QString& snHead);
// "2024/05/15 08:30:05" from the stored "2024-05-15 08:30:05".
QString shownDateTime(const QString& stored);

} // namespace check_records
