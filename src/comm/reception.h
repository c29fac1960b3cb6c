#pragma once

#include <QString>

// What one read keeps of the handset's answer: every byte as two upper-case
// hexadecimal digits. An answer whose first byte is not 0x0A starts with a
// 28-byte preamble that is dropped; its byte 29 must then be 0x0A.
class Reception {
public:
    enum class Step {
        Dropped,     // a preamble byte
        Kept,        // appended to the text
        BadPreamble, // byte 29 after a preamble is not 0x0A: the answer is refused
    };

    Step take(quint8 byte);

    // True once a byte has been kept (the received flag).
    bool received() const { return !text_.isEmpty(); }
    const QString& text() const { return text_; }
    int byteCount() const { return byteCount_; }

    static constexpr int kPreambleLength = 28;

private:
    QString text_;
    int byteCount_ = 0;
    int firstKept_ = 1;
};
