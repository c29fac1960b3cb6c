// The handset stream decoder: hexadecimal text in, exact records out, and the
// validity rules of a record.
#include "comm/log_decoder.h"
#include "comm/sample_stream.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

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
QString oneRecord(const char* date, const char* time, const char* logNo)
{
    return stream({"0080", "0000", date, time, logNo});
}

// The text fed to the stream decoder in pieces of random size, as text or, when it is whole
// bytes written in upper-case hexadecimal digits, as the bytes themselves.
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

bool isHexBytes(const QString& text)
{
    static const QRegularExpression hex(QStringLiteral("^([0-9A-F]{2})*$"));
    return hex.match(text).hasMatch();
}

} // namespace

class TstLogDecoder : public QObject {
    Q_OBJECT

private slots:
    void decodesRecords_data();
    void decodesRecords();
    void checksRecords_data();
    void checksRecords();
    void sampleStreamHoldsItsRecords();
};

void TstLogDecoder::decodesRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    const auto row = [](const char* name, const QString& text, const QStringList& expected) {
        QTest::newRow(name) << text << expected;
    };
    // 0A | 0080 0A | 0000 0A | 070111 0A | 094301 0A | 21 0A
    const QString worked = QStringLiteral("0A00800A00000A0701110A0943010A210A");
    const QString workedRecord = QStringLiteral("0080|0000|2007/01/11|09:43:01|21|||ok");
    row("worked example", worked, {workedRecord});
    row("alcohol after 08", stream({"0080", "0001", "070111", "094301", "08", "015001"}),
        {"0080|0001|2007/01/11|09:43:01|08|0.150|01|ok"});
    row("alcohol after 09 and 10",
        stream({"0080", "0002", "070111", "094301", "09", "025002", "0003", "070111", "094302",
                "10", "100003"}),
        {"0080|0002|2007/01/11|09:43:01|09|0.250|02|ok",
         "0080|0003|2007/01/11|09:43:02|10|1.000|03|ok"});
    // Two bytes 00 08 are not "08": the next field opens the next record.
    row("log number 0008 has no alcohol field",
        stream({"0080", "0001", "070111", "094301", "0008", "015001", "070111", "094302", "21"}),
        {"0080|0001|2007/01/11|09:43:01|0008|||ok", "0080|015001|2007/01/11|09:43:02|21|||ok"});
    row("log number 32767", oneRecord("070111", "094301", "032767"),
        {"0080|0000|2007/01/11|09:43:01|032767|||ok"});
    row("log number 32768", oneRecord("070111", "094301", "032768"),
        {"0080|0000|2007/01/11|09:43:01|032768|||bad"});
    row("log number 1A", oneRecord("070111", "094301", "1A"),
        {"0080|0000|2007/01/11|09:43:01|1A|||bad"});
    row("log number 1E02 is bytes 1E 02, not a number", oneRecord("070111", "094301", "1E02"),
        {"0080|0000|2007/01/11|09:43:01|1E02|||bad"});
    row("12-character unit spoils every record",
        stream({"008000800080", "0000", "070111", "094301", "21", "0001", "070111", "094302", "08",
                "015001"}),
        {"008000800080|0000|2007/01/11|09:43:01|21|||bad",
         "008000800080|0001|2007/01/11|09:43:02|08|0.150|01|bad"});
    row("month 13 between valid records",
        stream({"0080", "0000", "070111", "094301", "21", "0001", "071311", "094301", "21", "0002",
                "070111", "094302", "41"}),
        {workedRecord, "0080|0001|2007/13/11|09:43:01|21|||bad",
         "0080|0002|2007/01/11|09:43:02|41|||ok"});
    row("day 32", oneRecord("070132", "094301", "21"), {"0080|0000|2007/01/32|09:43:01|21|||bad"});
    row("29 February 2007", oneRecord("070229", "094301", "21"),
        {"0080|0000|2007/02/29|09:43:01|21|||bad"});
    row("29 February 2008", oneRecord("080229", "094301", "21"),
        {"0080|0000|2008/02/29|09:43:01|21|||ok"});
    row("minute 61", oneRecord("070111", "096101", "21"),
        {"0080|0000|2007/01/11|09:61:01|21|||bad"});
    // The data number is kept as received, up to the 50 characters its column holds.
    row("data number of 52 characters",
        stream({"0080", QString(52, u'1'), "070111", "094301", "21"}),
        {"0080|" + QString(52, u'1') + "|2007/01/11|09:43:01|21|||bad"});
    row("empty text", QString(), {});
    row("unit alone", QStringLiteral("0A0080"), {});
    row("no final separator", worked.chopped(2), {});
    row("alcohol field without final separator",
        stream({"0080", "0001", "070111", "094301", "08"}) + "015001", {});
    row("garbage before the first separator", QStringLiteral("FFEE1234") + worked, {workedRecord});
    // "10 A1" holds the characters 0A across a byte boundary: not a separator.
    row("header with 0A across bytes", QStringLiteral("10A1") + worked, {workedRecord});
    row("odd length", worked + QLatin1Char('0'), {workedRecord});
    row("lower-case 0a is not a separator", QStringLiteral("0a") + worked.mid(2), {});
    // A field longer than any handset sends spoils its record, even where its ends read well.
    row("date field beyond the limit",
        stream({"0080", "0000", "0701" + QString(LogStreamDecoder::kFieldLimit, u'1') + "11",
                "094301", "21", "0001", "070111", "094302", "41"}),
        {"0080|0000|2007/01/11|09:43:01|21|||bad", "0080|0001|2007/01/11|09:43:02|41|||ok"});
    row("long header", QStringLiteral("FF").repeated(50000) + worked, {workedRecord});
}

void TstLogDecoder::decodesRecords()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(decodeRecords(text)), expected);
    // The same stream arriving in pieces gives the same records.
    QRandomGenerator rng(qHash(text));
    for (int round = 0; round < 20; ++round) {
        QCOMPARE(describe(decodeInPieces(text, false, rng)), expected);
        if (isHexBytes(text))
            QCOMPARE(describe(decodeInPieces(text, true, rng)), expected);
    }
}

void TstLogDecoder::checksRecords_data()
{
    QTest::addColumn<QString>("record"); // unit|data|date|time|log|alcohol|code
    QTest::addColumn<bool>("valid");
    const auto row = [](const char* name, const char* record, bool valid) {
        QTest::newRow(name) << QString::fromLatin1(record) << valid;
    };
    row("unit of 10", "0123456789|0000|2007/01/11|09:43:01|21||", true);
    row("unit of 11", "01234567890|0000|2007/01/11|09:43:01|21||", false);
    row("hex in date", "0080|0000|201B/01/11|09:43:01|21||", false);
    row("log of many digits", "0080|0000|2007/01/11|09:43:01|99999999999999999999||", false);
    row("log with leading zeros", "0080|0000|2007/01/11|09:43:01|0000000000000021||", true);
    row("log empty", "0080|0000|2007/01/11|09:43:01|||", false);
    row("log signed", "0080|0000|2007/01/11|09:43:01|-1||", false);
    row("log with blank", "0080|0000|2007/01/11|09:43:01| 21||", false);
    row("alcohol of 10", "0080|0000|2007/01/11|09:43:01|08|0.12345678|01", true);
    row("alcohol of 11", "0080|0000|2007/01/11|09:43:01|08|0.123456789|01", false);
    row("unit code of 6", "0080|0000|2007/01/11|09:43:01|08|0.150|ABCDEF", true);
    row("unit code of 7", "0080|0000|2007/01/11|09:43:01|08|0.150|ABCDEFG", false);
    row("data number not examined", "0080|not even hex|2007/01/11|09:43:01|21||", true);
}

void TstLogDecoder::checksRecords()
{
    QFETCH(QString, record);
    QFETCH(bool, valid);
    const QStringList f = record.split(u'|');
    QCOMPARE(Log_Check(f[0], f[2], f[3], f[1], f[4], f[5], f[6]), valid);
}

void TstLogDecoder::sampleStreamHoldsItsRecords()
{
    // 30,003 records are sent; the last one has no closing separator.
    const QList<LogRecord> records = decodeRecords(sampleStream());
    QCOMPARE(records.size(), 30002);
    QCOMPARE(describe({records.at(0), records.at(1), records.at(9999), records.at(10000),
                       records.at(30001)}),
             (QStringList{
                 "0080|0000|2007/01/11|09:43:01|21|||ok", "0080|0001|2007/01/11|09:42:58|41|||ok",
                 "0080|9999|2007/01/11|09:43:01|21|||ok", "0080|0000|2007/01/11|09:42:58|41|||ok",
                 "0080|0001|2007/01/11|09:42:58|41|||ok"}));
}

QTEST_GUILESS_MAIN(TstLogDecoder)
#include "tst_logdecoder.moc"
