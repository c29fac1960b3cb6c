#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

class QIODevice;

// A line of a preservation file read back: "X00 0080,2024/05/01 08:30:05,
// 0001,呼気検査0.15001" is the unit serial number after the prefix, the date
// and time (exactly midnight as the date alone), the data number, then the
// content text directly followed by the measured value and its unit code.
namespace preservation_line {

struct Log {
    QString unitSn;
    QString date; // "YYYY-MM-DD HH:MM:SS"
    QString dataNo;
    std::optional<int> logNo; // none for a content written as "セットエラー" without a log number
    QString alcohol;          // "" for none
    QString tani;             // "" for none
};

// A log number's texts as the log master holds them.
struct Content {
    int logNo;
    QString naiyou;
    QString naiyou2;
};

// The longest line a preservation file may hold, without its line end; the
// longest line the preservation writes is about 610 bytes.
inline constexpr int kMaxLineBytes = 1024;

// The lines of a preservation file, one at a time: no more than a line is
// ever held, and a longer line than kMaxLineBytes is refused as soon as its
// first kMaxLineBytes + 3 bytes are read, however long it is.
class FileLines {
public:
    explicit FileLines(QIODevice& device) : device_(device) {}
    enum class Got { Line, TooLong, End };
    // The next line, without its CR LF (or LF), into `line`; for a line too
    // long, its first bytes.
    Got next(QByteArray& line);
    // The number of the line last read, from 1.
    qint64 number() const { return number_; }

private:
    QIODevice& device_;
    qint64 number_ = 0;
};

// The start of a line for a message: up to 40 bytes as Shift_JIS text (a
// double-byte character cut in two left out), control characters shown as
// \x1B and the like; bytes that are no text at all percent-encoded.
QString excerpt(const QByteArray& bytes);
// A line's text for a message, its control characters shown as \x1B and the like.
QString shown(const QString& text);

// Reads lines with the log master that turns a content text back into its
// log number: the text a line carries for a number is its Naiyou, else its
// Naiyou2, else "セットエラー", as the preservation writes it.
class Reader {
public:
    Reader(const QString& snHead, const QList<Content>& master);

    // The log of a line (without its line end); nullopt when the line cannot
    // be read, or holds a control character (ESC, a lone CR, NUL, DEL, …):
    // no field the handset sends can hold one.
    std::optional<Log> read(const QString& line);

private:
    struct Match {
        std::optional<int> logNo;
        QString alcohol;
        QString tani;
    };
    std::optional<Match> content(const QString& text) const;

    QString snHead_;
    // The texts that end a line's content, longest first, with their numbers.
    QList<std::pair<QString, std::optional<int>>> texts_;
    QHash<QString, std::optional<Match>> known_;
};

} // namespace preservation_line
