// The log master change through its window, from files written in Shift_JIS by the test.
#include "admin/frm_lmaster.h"
#include "base/sjis_text.h"
#include "base/texts/sets.h"
#include "support/failing_trigger.h"
#include "support/handset_sim.h"
#include "support/test_db.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString kHeader = QStringLiteral("No,日本語,英語\r\n");

enum { Confirm, Done, NotMaster, Wrong, NoFile, AnsweredNo = -1 };

// Each box of the change as "title|text|icon".
QString box(int which, bool english)
{
    namespace t = texts::lmaster;
    const BiText* const text[] = {&t::Confirm, &t::Done, &t::NotMasterFile, &t::WrongContent,
                                  &t::NoFile};
    const char* const icon = which == Confirm ? "|1+YesNo" : which == Done ? "|1" : "|2";
    return t::Title.pick(english) + '|' + text[which]->pick(english) + icon;
}

struct Change : TestApp {
    explicit Change(bool english = false) : TestApp(Switches{.Eng_Flg = english}) {}
    QString file(const QByteArray& bytes, const QString& name = "master.mst")
    {
        if (!writeFile(dir.filePath(name), bytes))
            qFatal("cannot write the test file");
        return dir.filePath(name);
    }
    // Picks the path in the open dialog ("" cancels it), then changes, answering the question.
    void change(const QString& path, bool yes = true)
    {
        dialogs.fileAnswers << path;
        QTest::mouseClick(w.Cmd_Sansyou, Qt::LeftButton);
        QVERIFY(w.focusWidget() == w.Txt_FName); // the path box takes the focus
        dialogs.answers << (yes ? MsgAnswer::Yes : MsgAnswer::No);
        QTest::mouseClick(w.Cmd_Henkou, Qt::LeftButton);
    }
    // "no|Japanese|English" of each row in log-number order.
    QString rows(const QString& table)
    {
        return rowTexts(db, "SELECT Log_No, Naiyou, Naiyou2 FROM " + table + " ORDER BY Log_No")
            .join(';');
    }
    Frm_LMaster w{ctx, nullptr};
};

} // namespace

class TstLogMaster : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(home_.isValid() && QDir(home_.path()).mkdir("Desktop"));
        qputenv("HOME", home_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.path().toUtf8());
    }

    void files_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QByteArray>("bytes"); // of the file, written as master.mst
        QTest::addColumn<QString>("picked");   // in the dialog ("" cancels), %1: the folder
        QTest::addColumn<int>("outcome");      // the box after the confirmation
        QTest::addColumn<QString>("after");    // Log_Master after a change
        const auto row = [](const char* name, const QByteArray& bytes, int outcome,
                            const QString& after = {}, bool english = false,
                            const QString& picked = "%1/master.mst") {
            QTest::newRow(name) << english << bytes << picked << outcome << after;
        };
        const auto sjis = [](const QString& text) { return sjis::encode(text).value(); };
        row("header only", sjis(kHeader), Done);
        row("header without line end", sjis("No,日本語,英語"), Done, {}, true);
        row("lone CR ends lines", sjis("No,日本語,英語\r1,a,b\r2,c,d"), Done, "1|a|b;2|c|d");
        row("later line wins", sjis(kHeader + "3,A,B\r\n3,C,D\r\n"), Done, "3|C|D");
        row("blanks, empty texts, quotes",
            sjis(kHeader + "5,,Door open\r\n6,O'Hara,\"x\"\r\n7, Door , Open\r\n"), Done,
            "5||Door open;6|O'Hara|\"x\";7| Door | Open");
        row("bounds of a number", sjis(kHeader + "32767,a,b\r\n-32768,c,d\r\n+7,e,f\r\n"), Done,
            "-32768|c|d;7|e|f;32767|a|b");
        row("empty file", "", NotMaster, {}, true);
        row("LF line ends", sjis("No,日本語,英語\n1,a,b\n"), NotMaster);
        row("header with trailing blank", sjis("No,日本語,英語 \r\n1,a,b\r\n"), NotMaster);
        row("four fields", sjis(kHeader + "7,a,b,c\r\n"), Wrong, {}, true);
        row("empty line between", sjis(kHeader + "1,a,b\r\n\r\n2,c,d\r\n"), Wrong);
        row("wrong after valid", sjis(kHeader + "1,a,b\r\n2,c,d\r\n3,e\r\n"), Wrong);
        for (const char* number : {"x", "", " 7", "7 ", "7.0", "32768", "-32769", "0x10"})
            row(qPrintable(QString("number '%1'").arg(number)), sjis(kHeader + number + ",a,b\r\n"),
                Wrong);
        QString hundred = kHeader, expected;
        for (int n = 1; n <= 100; ++n) {
            hundred += QString("%1,内容%1,Content %1\r\n").arg(n);
            expected += QString(n > 1 ? ";" : "") + QString("%1|内容%1|Content %1").arg(n);
        }
        row("100 entries", sjis(hundred), Done, expected);
        row("101 entries", sjis(hundred + "101,a,b\r\n"), Wrong);
        const QString longest(255, QChar(0x3042)); // あ: two bytes each, counted as one
        row("texts of 255", sjis(kHeader + "1," + longest + ',' + longest), Done,
            "1|" + longest + '|' + longest);
        row("a text of 256", sjis(kHeader + "1,a," + QString(256, 'b')), Wrong, {}, true);
        row("bytes that are not Shift_JIS", sjis(kHeader) + "1,\x82,b\r\n", Wrong);
        row("LF in a text", sjis(kHeader + "1,a\nb,c\r\n"), Wrong);
        row("NUL in a text", sjis(kHeader) + QByteArray("1,a\0b,c\r\n", 9), Wrong);
        row("ESC in a text", sjis(kHeader + "1,a,\x1b[31mb\r\n"), Wrong);
        row("larger than any valid file", sjis(kHeader) + QByteArray(2 << 20, 'x'), Wrong);
        row("dialog cancelled", sjis(kHeader), NoFile, {}, false, "");
        row("a folder", sjis(kHeader), NoFile, {}, true, "%1");
        row("answered no", sjis(kHeader), AnsweredNo);
    }
    void files()
    {
        QFETCH(bool, english);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, picked);
        QFETCH(int, outcome);
        const bool yes = outcome != AnsweredNo;
        QFETCH(QString, after);
        Change c(english);
        const QString before = c.rows("Log_Master");
        QVERIFY(before.startsWith("1|電源オン|Power on;2|電源オフ|Power off;"));
        c.file(bytes);
        c.w.Txt_FName->setText("typed.mst"); // replaced by the dialog's answer, even ""
        c.w.show();
        QVERIFY(QTest::qWaitForWindowActive(&c.w));
        c.change(picked.replace("%1", c.dir.path()), yes);
        QCOMPARE(shown(c.dialogs), QStringList{box(Confirm, english)} +
                                       (yes ? QStringList{box(outcome, english)} : QStringList{}));
        const bool done = outcome == Done;
        QCOMPARE(c.rows("Log_Master"), done ? after : before);
        QCOMPARE(c.rows("Log_Master_Bak"), done ? before : QString());
        QCOMPARE(c.count("Log_Master WHERE Date = '2024-05-15 10:30:00'"),
                 c.count("Log_Master") * done);
        // The open dialog starts on the desktop; the path is kept after the change.
        QCOMPARE(c.dialogs.fileRequests.size(), 1);
        QCOMPARE(c.dialogs.fileRequests[0].request.startFolder, home_.filePath("Desktop"));
        QCOMPARE(c.w.Txt_FName->text(), picked);
    }

    void secondChange_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("message"); // after the confirmation
        namespace t = texts::lmaster;
        const QString failed = t::Title.ja_() + "|%1|2";
        QTest::newRow("none") << "" << box(Done, false);
        QTest::newRow("database fails in the middle")
            << "trigger" << failed.arg(t::WriteFailed.ja_().arg("disk full"));
    }
    void secondChange()
    {
        QFETCH(QString, trouble);
        QFETCH(QString, message);
        Change c;
        const QString delivered = c.rows("Log_Master");
        c.change(c.file(sjis::encode(kHeader + "1,一,One\r\n").value(), "first.mst"));
        QCOMPARE(c.rows("Log_Master_Bak"), delivered);
        const QString second = c.file(sjis::encode(kHeader + "2,二,Two\r\n3,三,Three\r\n").value());
        if (trouble == "trigger")
            addFailingTrigger(c.db, "Full", "Log_Master", "INSERT", "NEW.Log_No = 3", "disk full");
        c.dialogs.clear();
        c.change(second);
        // The engine's own words follow the cause; the statement it names is not checked.
        const QStringList seen = shown(c.dialogs);
        QCOMPARE(seen.value(0), box(Confirm, false));
        QVERIFY2(seen.value(1).section('|', 0, -2).startsWith(message.section('|', 0, -2)) &&
                     seen.value(1).endsWith(message.section('|', -1)) && seen.size() == 2,
                 qPrintable(seen.join('\n')));
        QCOMPARE(c.rows("Log_Master"), trouble.isEmpty() ? "2|二|Two;3|三|Three" : "1|一|One");
        QCOMPARE(c.rows("Log_Master_Bak"), trouble.isEmpty() ? "1|一|One" : delivered);
        QVERIFY(!QApplication::overrideCursor());
    }

private:
    QTemporaryDir home_;
};

QTEST_MAIN(TstLogMaster)
#include "tst_log_master.moc"
