// Randomized robustness of the decoder: arbitrary text never crashes it, the
// fast scan agrees with a literal pair-by-pair reading of the stream, and every
// record it accepts passes Log_Check and is stored. Bounded to a few seconds.
#include "comm/log_decode.h"
#include "comm/log_decoder.h"
#include "support/test_db.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <functional>

namespace {

// The stream read literally, one pair at a time, with Left, Mid and Right on
// the field texts: header, unit, then data number, date, time, log number and,
// after "08", "09" or "10", the alcohol field.
QList<LogRecord> referenceDecode(const QString& text)
{
    QList<LogRecord> out;
    QStringList f; // the fields of the record being read
    QString unitSn, token;
    int separators = 0;
    for (int pos = 0; pos < text.size(); pos += 2) {
        if (text.mid(pos, 2) != u"0A") {
            token += text.mid(pos, 2);
            continue;
        }
        if (++separators == 2)
            unitSn = token;
        else if (separators > 2)
            f << token;
        token.clear();
        if (f.size() < 4 || (f.size() == 4 && (f[3] == u"08" || f[3] == u"09" || f[3] == u"10")))
            continue;
        const QString a = f.value(4); // the alcohol field, if any
        const auto split = [](const QString& t, const char* sep) {
            return t.left(2) + sep + t.mid(2, 2) + sep + t.right(2);
        };
        const QString alcohol = f.size() == 5 ? a.left(1) + "." + a.mid(1, 1) + a.mid(2, 2) : a;
        LogRecord r{unitSn,     f[0], "20" + split(f[1], "/"), split(f[2], ":"), f[3], alcohol,
                    a.right(2), false};
        r.valid =
            Log_Check(r.unitSn, r.dateText, r.timeText, r.dataNo, r.logNo, r.alcohol, r.unitCode) &&
            r.dataNo.size() <= kDataNoMaxLength;
        out << r;
        f.clear();
    }
    return out;
}

// Text shaped like a handset stream often enough to form records, with damage.
QString randomText(QRandomGenerator& rng)
{
    const auto two = [&](int from, int to) {
        return QString::number(from + rng.bounded(to - from + 1)).rightJustified(2, u'0');
    };
    const auto hex = [&] { return QString::number(rng.bounded(16), 16).toUpper(); };
    static const char* const logs[] = {"08", "09", "10", "21", "41", "0008", "7FFF", "032767"};
    const auto record = [&] { // mostly well formed
        const QString logNo = QLatin1String(logs[rng.bounded(8)]);
        return "0A" + two(0, 99) + two(0, 99) + "0A" + two(0, 99) + two(1, 12) + two(1, 31) + "0A" +
               two(0, 23) + two(0, 59) + two(0, 59) + "0A" + logNo +
               (logNo.size() == 2 && logNo < u"20" ? "0A" + two(0, 99) + two(0, 99) + two(0, 99)
                                                   : QString());
    };
    // Separators, digits, hex pairs, the measuring log numbers, dates and
    // times (often bad), the unit, a single character that breaks the
    // pairing, long fields, foreign characters, whole records.
    const std::function<QString()> pieces[] = {
        [] { return QStringLiteral("0A"); },
        [] { return QStringLiteral("0A0A"); },
        [&] { return two(0, 99); },
        [&] { return hex() + hex(); },
        [&] { return QString::fromLatin1(logs[rng.bounded(3)]); },
        [&] { return two(0, 99) + two(0, 14) + two(0, 33); },
        [&] { return two(0, 25) + two(0, 61) + two(0, 61); },
        [] { return QStringLiteral("0080"); },
        hex,
        [&] { return QString(rng.bounded(40), u'1'); },
        [&] { return QString(QChar(u"a0 \u3042\uFFFF\u0000-+."[rng.bounded(9)])); },
        record,
        record};
    QString text = rng.bounded(2) ? QStringLiteral("0A0080") : QString(); // records line up
    for (int i = rng.bounded(120); i > 0; --i)
        text += pieces[rng.bounded(int(std::size(pieces)))]();
    return text;
}

QRandomGenerator seeded()
{
    const QByteArray fixed = qgetenv("QVX_RANDOM_SEED");
    const quint32 seed = fixed.isEmpty() ? QRandomGenerator::global()->generate() : fixed.toUInt();
    qInfo("seed %u (set QVX_RANDOM_SEED to repeat)", seed);
    return QRandomGenerator(seed);
}

} // namespace

class TstLogDecoderRandom : public QObject {
    Q_OBJECT

private slots:
    void agreesWithLiteralReading();
};

void TstLogDecoderRandom::agreesWithLiteralReading()
{
    QRandomGenerator rng = seeded();
    TestApp app;
    QElapsedTimer clock;
    clock.start();
    int valid = 0, stored = 0;
    for (int cases = 0; clock.elapsed() < 2500 && cases < 300000; ++cases) {
        const QString text = randomText(rng);
        const QList<LogRecord> got = decodeRecords(text);
        QVERIFY2(got == referenceDecode(text), qPrintable(text));
        int passing = 0;
        for (const LogRecord& r : got) {
            passing += r.valid;
            QVERIFY2(!r.valid || (Log_Check(r.unitSn, r.dateText, r.timeText, r.dataNo, r.logNo,
                                            r.alcohol, r.unitCode) &&
                                  !storedRecordDate(r).isNull() &&
                                  logNumberValue(r.logNo).value_or(99999) <= 32767),
                     qPrintable(text));
        }
        valid += passing;
        if (cases % 100 == 0) { // every record that passes is stored, or is a duplicate
            const DecodeOutcome outcome = Log_Decode(app.db, text, app.ctx.now);
            QVERIFY2(outcome.ok(), qPrintable(outcome.error + QLatin1Char('\n') + text));
            QCOMPARE(outcome.records, got.size());
            QCOMPARE(outcome.stored + outcome.duplicates, passing);
            stored += outcome.stored;
        }
    }
    QCOMPARE(app.count(QStringLiteral("Log_Data")), qint64(stored));
    QVERIFY(valid > 0 && stored > 0); // the generator reaches records that pass
}

QTEST_GUILESS_MAIN(TstLogDecoderRandom)
#include "tst_logdecoder_random.moc"
