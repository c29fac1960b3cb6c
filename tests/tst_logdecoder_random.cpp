// Random text: the decoder agrees with a literal reading, also fed in pieces, and stores every
// record that passes.
#include "comm/log_decoder.h"
#include "comm/log_store.h"
#include "support/test_db.h"

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <utility>

namespace {

// The stream read literally, one pair at a time: header, unit, then data number, date, time,
// log number and, after "08", "09" or "10", the alcohol field, cut with Left, Mid and Right.
QList<LogRecord> referenceDecode(const QString& text)
{
    const auto cut = [](auto t, QChar c) { return t.left(2) + c + t.mid(2, 2) + c + t.right(2); };
    QList<LogRecord> out;
    QStringList f; // header, unit, then the fields of the record being read
    QString token;
    for (int pos = 0; pos < text.size(); pos += 2) {
        if (text.mid(pos, 2) != u"0A") {
            token += text.mid(pos, 2);
            continue;
        }
        f << std::exchange(token, QString());
        if (f.size() < 6 || (f.size() == 6 && QStringList{"08", "09", "10"}.contains(f[5])))
            continue;
        const QString a = f.value(6), alcohol = f.size() == 7 ? a.left(1) + "." + a.mid(1, 3) : a;
        LogRecord r{f[1], f[2], "20" + cut(f[3], '/'), cut(f[4], ':'), f[5], alcohol, a.right(2)};
        r.valid = Log_Check(f[1], r.dateText, r.timeText, f[2], f[5], r.alcohol, r.unitCode) &&
                  f[2].size() <= kDataNoMaxLength;
        out << r;
        f.resize(2);
    }
    return out;
}

// Records (bad dates and times, stray alcohol fields) damaged by separators, odd and foreign text.
QString randomText(QRandomGenerator& rng)
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

} // namespace

class TstLogDecoderRandom : public QObject {
    Q_OBJECT
private slots:
    void agreesWithLiteralReading();
};

void TstLogDecoderRandom::agreesWithLiteralReading()
{
    const QByteArray fixed = qgetenv("QVX_RANDOM_SEED");
    const quint32 seed = fixed.isEmpty() ? QRandomGenerator::global()->generate() : fixed.toUInt();
    qInfo("seed %u (set QVX_RANDOM_SEED to repeat)", seed);
    QRandomGenerator rng(seed);
    TestApp app;
    int stored = 0;
    for (QDeadlineTimer deadline(2500); !deadline.hasExpired();) {
        const QString text = randomText(rng);
        const QList<LogRecord> got = decodeRecords(text);
        QVERIFY2(got == referenceDecode(text), qPrintable(text));
        // Arriving in pieces of random size changes nothing.
        LogStreamDecoder decoder;
        QList<LogRecord> pieces;
        for (qsizetype pos = 0, n = 0; pos < text.size(); pos += n) {
            n = std::min<qsizetype>(text.size() - pos, rng.bounded(1, 12));
            decoder.feedHex(QStringView(text).sliced(pos, n));
            pieces += decoder.take(rng.bounded(3));
        }
        QVERIFY2(pieces + decoder.take() == got, qPrintable(text));
        if (rng.bounded(100) == 0) { // every record that passes is stored, or is a duplicate
            const DecodeOutcome outcome = Log_Decode(app.db, text, app.ctx.now);
            QVERIFY2(outcome.ok(), qPrintable(outcome.error + QLatin1Char('\n') + text));
            QCOMPARE(outcome.stored + outcome.duplicates,
                     std::ranges::count(got, true, &LogRecord::valid));
            stored += outcome.stored;
        }
    }
    QVERIFY(stored > 0); // the generator reaches records that pass
    QCOMPARE(app.count(QStringLiteral("Log_Data")), qint64(stored));
}

QTEST_GUILESS_MAIN(TstLogDecoderRandom)
#include "tst_logdecoder_random.moc"
