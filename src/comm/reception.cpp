#include "comm/reception.h"

namespace {
constexpr quint8 kSeparator = 0x0A;
}

QByteArrayView Reception::take(QByteArrayView data, bool& refused)
{
    refused = refused_;
    if (refused_)
        return {};
    if (keeping_) {
        byteCount_ += data.size();
        return data;
    }
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<quint8>(data[i]);
        ++byteCount_;
        if (byteCount_ == 1 && byte != kSeparator)
            firstKept_ = kPreambleLength + 1;
        if (byteCount_ < firstKept_)
            continue;
        if (firstKept_ > 1 && byte != kSeparator) {
            refused = refused_ = true;
            return {};
        }
        keeping_ = true;
        byteCount_ += data.size() - i - 1;
        return data.sliced(i);
    }
    return {};
}
