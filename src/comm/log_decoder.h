#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

// The handset's log stream, received as hexadecimal text (two upper-case
// digits per byte), split into log records. No database, no window.
//
// Stream layout in bytes, 0x0A ending every field: a header (dropped), the
// unit serial number (once per stream), then records of data number, date
// (YYMMDD), time (HHMMSS), log number and, only after log number text "08",
// "09" or "10", an alcohol field (two bytes of value, one byte of unit code).

// One complete record with its fields as texts, the way the handset sent them.
struct LogRecord {
    QString unitSn;     // kept for every record of the stream
    QString dataNo;     // as received, leading zeros kept
    QString dateText;   // "20YY/MM/DD"
    QString timeText;   // "HH:MM:SS"
    QString logNo;      // as received ("08")
    QString alcohol;    // "0.150"; empty when the record has no alcohol field
    QString unitCode;   // last two digits of the alcohol field; empty without one
    bool valid = false; // Log_Check's verdict (plus the data number fitting its field)

    bool hasAlcohol() const { return !alcohol.isEmpty(); }
    friend bool operator==(const LogRecord&, const LogRecord&) = default;
};

// The longest data number the Log_Data table holds.
inline constexpr int kDataNoMaxLength = 50;

// The complete records of the text, in stream order, valid or not. Text after
// the last 0x0A separator never completes a field and is dropped; a pair is a
// separator only at an even offset, so the scan stays aligned to bytes.
QList<LogRecord> decodeRecords(QStringView hexText);

// True when the record may be stored: the unit serial number has at most 10
// characters, date and time form a real date and time, the log number is
// decimal digits with a value of at most 32767, the alcohol text has at most 10
// characters and the unit code at most 6. The data number is not examined.
bool Log_Check(QStringView unitSn, QStringView dateText, QStringView timeText, QStringView dataNo,
               QStringView logNo, QStringView alcohol, QStringView unitCode);

// The value of a log number made of decimal digits only ("0008" is 8; "1E02",
// "" and "+1" are not numbers). Values beyond 32767 come back as 32768.
std::optional<int> logNumberValue(QStringView logNo);

// The record's date and time as stored ("YYYY-MM-DD HH:MM:SS"); null when it
// is not a real date and time.
QString storedRecordDate(const LogRecord& record);
