#include "comm/reception.h"

namespace {
constexpr quint8 kSeparator = 0x0A;
}

Reception::Step Reception::take(quint8 byte)
{
    ++byteCount_;
    if (byteCount_ == 1 && byte != kSeparator)
        firstKept_ = kPreambleLength + 1;
    if (byteCount_ < firstKept_)
        return Step::Dropped;
    if (firstKept_ == kPreambleLength + 1 && byteCount_ == firstKept_ && byte != kSeparator)
        return Step::BadPreamble;
    static const char digits[] = "0123456789ABCDEF";
    text_.append(QLatin1Char(digits[byte >> 4]));
    text_.append(QLatin1Char(digits[byte & 0x0F]));
    return Step::Kept;
}
