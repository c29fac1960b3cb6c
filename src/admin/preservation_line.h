#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

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

// Reads lines with the log master that turns a content text back into its
// log number: the text a line carries for a number is its Naiyou, else its
// Naiyou2, else "セットエラー", as the preservation writes it.
class Reader {
public:
    Reader(const QString& snHead, const QList<Content>& master);

    // The log of a line (without its line end); nullopt when the line cannot
    // be read.
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
