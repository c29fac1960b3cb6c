#pragma once

#include <QDateTime>
#include <functional>

// The program reads the time of day only through a Clock, so that tests can
// run the program on any date.
using Clock = std::function<QDateTime()>;

inline Clock systemClock()
{
    return [] { return QDateTime::currentDateTime(); };
}

inline Clock fixedClock(const QDateTime& at)
{
    return [at] { return at; };
}
