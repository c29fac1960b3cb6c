#pragma once

#include <QByteArrayView>
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
// The date and the time are exactly three bytes each; a record whose date or
// time field has another length is invalid.

// One complete record with its fields as texts, the way the handset sent them.
struct LogRecord {
    QString unitSn;     // kept for every record of the stream
    QString dataNo;     // as received, leading zeros kept
    QString dateText;   // "20YY/MM/DD"
    QString timeText;   // "HH:MM:SS"
    QString logNo;      // as received ("08")
    QString alcohol;    // "0.150"; empty when the record has no alcohol field
    QString unitCode;   // last two digits of the alcohol field; empty without one
    bool valid = false; // Log_Check's verdict, plus fields of handset size (data number
                        // within its column, date and time of three bytes each)

    bool hasAlcohol() const { return !alcohol.isEmpty(); }
    friend bool operator==(const LogRecord&, const LogRecord&) = default;
};
Q_DECLARE_TYPEINFO(LogRecord, Q_RELOCATABLE_TYPE);

// The longest data number the Log_Data table holds.
inline constexpr int kDataNoMaxLength = 50;
// The date and the time field: three bytes, six hexadecimal digits.
inline constexpr int kDateTimeFieldLength = 6;

// The decoder as a state machine: the stream goes in as it arrives, in pieces
// of any size, and complete records come out in stream order. Feeding a
// stream in pieces gives exactly the records of decoding it whole.
//
// A pair is a separator only at an even offset of the whole stream, so the
// scan stays aligned to bytes across pieces. Text after the last separator
// never completes a field and waits for the next piece.
class LogStreamDecoder {
public:
    // The longest field kept, in characters. A longer field is no handset
    // field: its record is invalid and its text is kept only up to this
    // length, so a stream without separators cannot fill the memory. The
    // header before the first separator is dropped unread.
    static constexpr qsizetype kFieldLimit = 4096;

    // Hexadecimal text; a piece may end inside a pair.
    void feedHex(QStringView piece);
    // Received bytes, each read as its two upper-case hexadecimal digits.
    void feedBytes(QByteArrayView bytes);

    // Complete records decoded and not taken yet.
    qsizetype waiting() const { return records_.size(); }
    // Takes the first `max` waiting records (all of them when max < 0).
    QList<LogRecord> take(qsizetype max = -1);
    // Complete records decoded so far, taken or not.
    qint64 recordCount() const { return recordCount_; }

private:
    // Room left in the field being read, in characters; none for the header.
    qsizetype room() const { return field_ < 0 ? 0 : kFieldLimit - token_.size(); }
    void appendRun(QStringView pairs);
    void appendBytes(QByteArrayView bytes);
    void closeField();
    void complete();

    int field_ = -1; // the field the next separator closes; -1 is the header
    QString token_;  // the field being read
    bool tokenOverlong_ = false;
    // A field of the record no handset sends: longer than the limit, or a
    // date or time of another length than three bytes.
    bool recordMalformed_ = false;
    QChar half_; // the first character of a pair split between pieces
    bool haveHalf_ = false;
    QString unitSn_;
    LogRecord record_;
    // Records of one stream mostly repeat the date, time and log number of
    // the one before: a repeated field keeps the text already built.
    struct LastField {
        QString text;
        bool seen = false;
        // True when `token` differs from the field before, which it then replaces.
        bool changedTo(QStringView token)
        {
            if (seen && token == text)
                return false;
            text = token.toString();
            seen = true;
            return true;
        }
    };
    LastField lastDate_, lastTime_, lastLogNo_;
    QList<LogRecord> records_;
    qint64 recordCount_ = 0;
};

// The complete records of the whole text, in stream order, valid or not.
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
