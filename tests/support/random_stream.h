#pragma once

#include <QRandomGenerator>
#include <QStringList>

// Handset text of records (bad dates and times, stray alcohol fields) damaged by separators, odd
// and foreign text.
inline QString randomText(QRandomGenerator& rng)
{
    const auto two = [&](int max) { return QString::asprintf("%02d", rng.bounded(max + 1)); };
    static const QStringList junk = QStringLiteral("0A|0A0A|0|A|a| |\u3042|\uFFFF|-|1E").split(u'|')
                                    << QString(52, u'1');
    QString text = rng.bounded(2) ? QStringLiteral("0A0080") : QString(); // records line up
    for (int i = rng.bounded(10); i > 0; --i) {
        text += "0A" + two(99) + two(99) + "0A" + two(99) + two(13) + two(32) + "0A" + two(24) +
                two(60) + two(60) + "0A" + two(12) +
                (rng.bounded(2) ? "0A" + two(99) + two(99) + two(99) : QString());
        for (int j = rng.bounded(3); j > 0; --j)
            text.insert(rng.bounded(text.size() + 1), junk[rng.bounded(junk.size())]);
    }
    return text;
}

// A seed from QVX_RANDOM_SEED, or a new one; printed so that a failing run can be repeated.
inline quint32 randomSeed()
{
    const QByteArray fixed = qgetenv("QVX_RANDOM_SEED");
    const quint32 seed = fixed.isEmpty() ? QRandomGenerator::global()->generate() : fixed.toUInt();
    qInfo("seed %u (set QVX_RANDOM_SEED to repeat)", seed);
    return seed;
}
