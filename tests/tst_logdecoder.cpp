// The handset stream decoder: hexadecimal text in, exact records out, whole or in pieces.
#include "comm/log_decoder.h"
#include "support/random_stream.h"

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <utility>

namespace {

// Each record as "unit|data|date|time|log|alcohol|code|ok" (or "|bad").
QStringList describe(const QList<LogRecord>& records)
{
    QStringList out;
    for (const LogRecord& r : records)
        out << QStringList{r.unitSn, r.dataNo,  r.dateText, r.timeText,
                           r.logNo,  r.alcohol, r.unitCode, r.valid ? "ok" : "bad"}
                   .join(u'|');
    return out;
}

// An empty header, then the fields, each closed by the separator.
QString stream(const QStringList& fields)
{
    return "0A" + fields.join(u"0A") + "0A";
}

// Unit 0080 and one short record with the given fields.
QString oneRecord(const char* logNo, const char* date = "070111", const char* time = "094301")
{
    return stream({"0080", "0000", date, time, logNo});
}

// The text fed in pieces of random size, as text or as the bytes it spells; records are taken
// now and then, a few at a time.
QList<LogRecord> decodeInPieces(const QString& text, bool asBytes, QRandomGenerator& rng)
{
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    const qsizetype size = asBytes ? bytes.size() : text.size();
    LogStreamDecoder decoder;
    QList<LogRecord> out;
    for (qsizetype pos = 0; pos < size;) {
        const qsizetype n = std::min<qsizetype>(size - pos, rng.bounded(1, 40));
        if (asBytes)
            decoder.feedBytes(QByteArrayView(bytes).sliced(pos, n));
        else
            decoder.feedHex(QStringView(text).sliced(pos, n));
        pos += n;
        if (rng.bounded(3) == 0)
            out += decoder.take(rng.bounded(4));
    }
    return out + decoder.take();
}

// The stream read literally, one pair at a time: header, unit, then data number, date, time,
// log number and, after "08", "09" or "10", the alcohol field, cut with Left, Mid and Right. The
// verdict is left out: the rows of decodesRecords and checksRecords write it out.
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
        out << r;
        f.resize(2);
    }
    return out;
}

} // namespace

class TstLogDecoder : public QObject {
    Q_OBJECT

private slots:
    void decodesRecords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* name, const QString& text, const QStringList& expected) {
            QTest::newRow(name) << text << expected;
        };
        const QString worked = stream({"0080", "0000", "070111", "094301", "21"});
        const QString u = "0080|0000|", at = "2007/01/11|09:43:01|",
                      workedRecord = u + at + "21|||ok";
        row("worked example", worked, {workedRecord});
        row("alcohol after 08", stream({"0080", "0001", "070111", "094301", "08", "015001"}),
            {"0080|0001|" + at + "08|0.150|01|ok"});
        row("log number 0008 has no alcohol field",
            stream(
                {"0080", "0001", "070111", "094301", "0008", "015001", "070111", "094302", "21"}),
            {"0080|0001|" + at + "0008|||ok", "0080|015001|2007/01/11|09:43:02|21|||ok"});
        row("log number 32768", oneRecord("032768"), {u + at + "032768|||bad"});
        row("log number 1E02 is bytes 1E 02, not a number", oneRecord("1E02"),
            {u + at + "1E02|||bad"});
        row("month 13 between valid records",
            stream({"0080", "0000", "070111", "094301", "21", "0001", "071311", "094301", "21",
                    "0002", "070111", "094302", "41"}),
            {workedRecord, "0080|0001|2007/13/11|09:43:01|21|||bad",
             "0080|0002|2007/01/11|09:43:02|41|||ok"});
        row("date of two bytes", oneRecord("21", "0701"), {u + "2007/01/01|09:43:01|21|||bad"});
        row("date of four bytes", oneRecord("21", "07011111"), {u + at + "21|||bad"});
        row("time of four bytes", oneRecord("21", "070111", "09430101"), {u + at + "21|||bad"});
        row("data number of 52 characters",
            stream({"0080", QString(52, u'1'), "070111", "094301", "21"}),
            {"0080|" + QString(52, u'1') + "|" + at + "21|||bad"});
        row("unit alone", QStringLiteral("0A0080"), {});
        row("no final separator", worked.chopped(2), {});
        row("alcohol field without final separator",
            stream({"0080", "0001", "070111", "094301", "08"}) + "015001", {});
        // "10 A1" holds the characters 0A across a byte boundary: not a separator.
        row("header with 0A across bytes", QStringLiteral("10A1") + worked, {workedRecord});
        row("odd length", worked + QLatin1Char('0'), {workedRecord});
        row("lower-case 0a is not a separator", QStringLiteral("0a") + worked.mid(2), {});
        row("date field beyond the limit",
            stream({"0080", "0000", "0701" + QString(LogStreamDecoder::kFieldLimit, u'1') + "11",
                    "094301", "21", "0001", "070111", "094302", "41"}),
            {u + at + "21|||bad", "0080|0001|2007/01/11|09:43:02|41|||ok"});
        row("long header", QStringLiteral("FF").repeated(50000) + worked, {workedRecord});
    }
    void decodesRecords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(describe(decodeRecords(text)), expected);
        static const QRegularExpression hexBytes(QStringLiteral("^([0-9A-F]{2})*$"));
        QRandomGenerator rng(qHash(text));
        for (int round = 0; round < 20; ++round) {
            QCOMPARE(describe(decodeInPieces(text, false, rng)), expected);
            if (hexBytes.match(text).hasMatch())
                QCOMPARE(describe(decodeInPieces(text, true, rng)), expected);
        }
    }
    // Log_Check's limits: "unit|data|date|time|log|alcohol|code" and the verdict.
    void checksRecords()
    {
        for (const char* row :
             {"0123456789|0000|2007/01/11|09:43:01|21|||1",
              "01234567890|0000|2007/01/11|09:43:01|21|||0", "0080|0000|201B/01/11|09:43:01|21|||0",
              "0080|0000|2007/01/11|09:43:01|99999999999999999999|||0",
              "0080|0000|2007/01/11|09:43:01|0000000000000021|||1",
              "0080|0000|2007/01/11|09:43:01| 21|||0", "0080|0000|2007/02/29|09:43:01|21|||0",
              "0080|0000|2008/02/29|09:43:01|21|||1", "0080|0000|2007/01/11|09:43:01|-1|||0",
              "0080|0000|2007/01/11|09:43:01|08|0.12345678|01|1",
              "0080|0000|2007/01/11|09:43:01|08|0.123456789|01|0",
              "0080|0000|2007/01/11|09:43:01|08|0.150|ABCDEFG|0",
              "0080|not even hex|2007/01/11|09:43:01|21|||1"}) {
            const QStringList f = QString::fromLatin1(row).split(u'|');
            QVERIFY2(Log_Check(f[0], f[2], f[3], f[1], f[4], f[5], f[6]) == (f[7] == "1"), row);
        }
    }
    // Random text for about 2.5 s: the decoder reads the fields as the literal reading does, also
    // fed in pieces.
    void randomTextAgreesWithLiteralReading()
    {
        QRandomGenerator rng(randomSeed());
        for (QDeadlineTimer deadline(2500); !deadline.hasExpired();) {
            const QString text = randomText(rng);
            QList<LogRecord> got = decodeRecords(text);
            QVERIFY2(decodeInPieces(text, false, rng) == got, qPrintable(text));
            for (LogRecord& r : got)
                r.valid = false;
            QVERIFY2(got == referenceDecode(text), qPrintable(text));
        }
    }
};

QTEST_GUILESS_MAIN(TstLogDecoder)
#include "tst_logdecoder.moc"
