#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// Which bytes of the handset's answer a read keeps. An answer whose first
// byte is not 0x0A starts with a 28-byte preamble that is dropped; its byte
// 29 must then be 0x0A.
class Reception {
public:
    // Takes the bytes of one arrival and returns the part to keep: the
    // preamble's bytes are dropped, and only ever at the start of the answer,
    // so the kept part is the end of `data`. Sets `refused` when byte 29 after
    // a preamble is not 0x0A; nothing is kept from then on.
    QByteArrayView take(QByteArrayView data, bool& refused);

    // True once a byte has been kept (the received flag).
    bool received() const { return keeping_; }
    // Bytes taken from the port so far.
    qint64 byteCount() const { return byteCount_; }

    static constexpr int kPreambleLength = 28;

private:
    qint64 byteCount_ = 0;
    int firstKept_ = 1;
    bool keeping_ = false;
    bool refused_ = false;
};
