// Randomized robustness of the decoder: arbitrary text never crashes it, the
// fast scan agrees with a literal pair-by-pair reading of the stream, and every
// record it accepts can be stored. Bounded to a few seconds.
#include "comm/log_decode.h"
#include "comm/log_decoder.h"
#include "support/test_db.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

namespace {

// The stream read literally, one pair at a time, with 1-based Mid, Left and
// Right on the field texts.
QList<LogRecord> referenceDecode(const QString& text)
{
    const auto mid = [](const QString& s, int start, int n) { return s.mid(start - 1, n); };
    QList<LogRecord> out;
    LogRecord r;
    QString unitSn, token;
    int field = -1;
    for (int pos = 1; pos <= text.size(); pos += 2) {
        const QString pair = mid(text, pos, 2);
        if (pair != QLatin1String("0A")) {
            token += pair;
            continue;
        }
        bool complete = false;
        switch (field) {
        case -1:
            break;
        case 0:
            unitSn = token;
            break;
        case 1:
            r.dataNo = token;
            break;
        case 2:
            r.dateText = "20" + token.left(2) + "/" + mid(token, 3, 2) + "/" + token.right(2);
            break;
        case 3:
            r.timeText = token.left(2) + ":" + mid(token, 3, 2) + ":" + token.right(2);
            break;
        case 4:
            r.logNo = token;
            if (token != "09" && token != "08" && token != "10") {
                r.alcohol.clear();
                r.unitCode.clear();
                complete = true;
            }
            break;
        case 5:
            r.alcohol = token.left(1) + "." + mid(token, 2, 1) + mid(token, 3, 2);
            r.unitCode = token.right(2);
            complete = true;
            break;
        }
        if (complete) {
            r.unitSn = unitSn;
            r.valid = Log_Check(r.unitSn, r.dateText, r.timeText, r.dataNo, r.logNo, r.alcohol,
                                r.unitCode) &&
                      r.dataNo.size() <= kDataNoMaxLength;
            out << r;
            field = 0;
        }
        token.clear();
        ++field;
    }
    return out;
}

// Text shaped like a handset stream often enough to form records, with
// damage: odd characters, bad dates, long fields, foreign characters.
QString randomText(QRandomGenerator& rng)
{
    const auto digits2 = [&](int from, int to) {
        return QString::number(from + rng.bounded(to - from + 1))
            .rightJustified(2, QLatin1Char('0'));
    };
    static const char hex[] = "0123456789ABCDEF";
    QString text;
    if (rng.bounded(2))
        text += QLatin1String("0A0080"); // a header and a unit: records line up
    const int pieces = rng.bounded(120);
    for (int i = 0; i < pieces; ++i) {
        switch (rng.bounded(14)) {
        case 12:
        case 13: { // a whole record, mostly well formed
            static const char* const logs[] = {"21", "41",   "08",   "09",
                                               "10", "0008", "7FFF", "032767"};
            const QString logNo = QLatin1String(logs[rng.bounded(8)]);
            text += QLatin1String("0A") + digits2(0, 99) + digits2(0, 99) + QLatin1String("0A") +
                    digits2(0, 99) + digits2(1, 12) + digits2(1, 31) + QLatin1String("0A") +
                    digits2(0, 23) + digits2(0, 59) + digits2(0, 59) + QLatin1String("0A") + logNo;
            if (logNo == u"08" || logNo == u"09" || logNo == u"10")
                text += QLatin1String("0A") + digits2(0, 99) + digits2(0, 99) + digits2(0, 99);
            break;
        }
        case 0:
        case 1:
        case 2:
            text += QLatin1String("0A");
            break;
        case 3:
            text += digits2(0, 99);
            break;
        case 4:
            text += QLatin1Char(hex[rng.bounded(16)]);
            text += QLatin1Char(hex[rng.bounded(16)]);
            break;
        case 5:
            text += QLatin1String(rng.bounded(3) == 0 ? "08" : rng.bounded(2) ? "09" : "10");
            break;
        case 6:
            text += digits2(0, 99) + digits2(0, 14) + digits2(0, 33); // a date, often bad
            break;
        case 7:
            text += digits2(0, 25) + digits2(0, 61) + digits2(0, 61); // a time, often bad
            break;
        case 8:
            text += QLatin1String("0080");
            break;
        case 9: // a single character breaks the pairing from here on
            text += QLatin1Char(hex[rng.bounded(16)]);
            break;
        case 10:
            text += QString(rng.bounded(40), QLatin1Char('1'));
            break;
        default: {
            static const char16_t odd[] = u"a0 \u3042\uFFFF\u0000-+.";
            text += QChar(odd[rng.bounded(int(std::size(odd)) - 1)]);
            break;
        }
        }
    }
    return text;
}

QString show(const QList<LogRecord>& records)
{
    QStringList lines;
    for (const LogRecord& r : records)
        lines << QStringList{r.unitSn, r.dataNo,  r.dateText, r.timeText,
                             r.logNo,  r.alcohol, r.unitCode, QString::number(r.valid)}
                     .join(QLatin1Char('|'));
    return lines.join(QLatin1Char('\n'));
}

quint32 seed()
{
    const QByteArray fixed = qgetenv("QVX_RANDOM_SEED");
    return fixed.isEmpty() ? QRandomGenerator::global()->generate() : fixed.toUInt();
}

} // namespace

class TstLogDecoderRandom : public QObject {
    Q_OBJECT

private slots:
    void agreesWithLiteralReading();
    void acceptedRecordsAreStorable();
};

void TstLogDecoderRandom::agreesWithLiteralReading()
{
    const quint32 s = seed();
    qInfo("seed %u (set QVX_RANDOM_SEED to repeat)", s);
    QRandomGenerator rng(s);
    QElapsedTimer clock;
    clock.start();
    int cases = 0, records = 0, valid = 0;
    while (clock.elapsed() < 2000 && cases < 300000) {
        const QString text = randomText(rng);
        const QList<LogRecord> got = decodeRecords(text);
        ++cases;
        records += got.size();
        if (got != referenceDecode(text))
            QFAIL(qPrintable(QStringLiteral("text %1\ngot\n%2\nexpected\n%3")
                                 .arg(text, show(got), show(referenceDecode(text)))));
        for (const LogRecord& r : got) {
            if (!r.valid)
                continue;
            ++valid;
            QVERIFY(Log_Check(r.unitSn, r.dateText, r.timeText, r.dataNo, r.logNo, r.alcohol,
                              r.unitCode));
            QVERIFY2(!storedRecordDate(r).isNull(), qPrintable(text));
            QVERIFY2(logNumberValue(r.logNo).value_or(-1) >= 0 &&
                         logNumberValue(r.logNo).value_or(99999) <= 32767,
                     qPrintable(text));
        }
    }
    qInfo("%d texts, %d records, %d valid", cases, records, valid);
    // The generator must reach the interesting part: records that pass.
    QVERIFY(valid > 0);
}

void TstLogDecoderRandom::acceptedRecordsAreStorable()
{
    const quint32 s = seed();
    qInfo("seed %u", s);
    QRandomGenerator rng(s);
    TestApp app;
    int stored = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 300 && clock.elapsed() < 1000; ++i) {
        QString text;
        for (int j = 0; j < 10; ++j)
            text += randomText(rng);
        const DecodeOutcome outcome = Log_Decode(app.db, text, app.ctx.now);
        QVERIFY2(outcome.ok(), qPrintable(outcome.error + QLatin1Char('\n') + text));
        QCOMPARE(outcome.stored + outcome.duplicates + outcome.invalid, outcome.records);
        stored += outcome.stored;
    }
    QCOMPARE(app.count(QStringLiteral("Log_Data")), qint64(stored));
    QVERIFY(stored > 0);
}

QTEST_GUILESS_MAIN(TstLogDecoderRandom)
#include "tst_logdecoder_random.moc"
