#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <optional>

// Text files the program writes or reads (CSV export, preservation file, log
// master file) are Shift_JIS (code page 932) with lines ended by CR LF.
namespace sjis {

// Encodes a text; nullopt when a character has no Shift_JIS form.
std::optional<QByteArray> encode(const QString& text);

// The same for many texts in a row, with one converter.
class Encoder {
public:
    Encoder();
    std::optional<QByteArray> encode(const QString& text);

private:
    void reset();
    std::optional<QStringEncoder> encoder_;
};
// Decodes Shift_JIS bytes; nullopt when the bytes are not valid Shift_JIS.
std::optional<QString> decode(const QByteArray& bytes);

} // namespace sjis
