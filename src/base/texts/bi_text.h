#pragma once

#include "base/switches.h"

#include <QString>

// The text catalogue (base/texts/): every caption and message of the program
// in Japanese and English, one header per folder of windows, so that a
// caption change rebuilds only the files that show it. Texts are used exactly as they stand,
// trailing blanks and full-width characters included.
struct BiText {
    const char* ja;
    const char* en;

    QString ja_() const { return QString::fromUtf8(ja); }
    QString en_() const { return QString::fromUtf8(en); }
    QString pick(bool english) const { return english ? en_() : ja_(); }
    QString in(const Switches& sw) const { return pick(sw.english()); }
};
