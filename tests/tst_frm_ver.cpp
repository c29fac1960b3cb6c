// The version window in every combination of language and edition.
#include "admin/frm_ver.h"
#include "app/app_context.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class TstFrmVer : public QObject {
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<int>("eng");
        QTest::addColumn<int>("editionA");
        QTest::addColumn<QStringList>("texts"); // title, version, close button, addresses shown
        const QString ja =
            QStringLiteral("バージョン|クアルヴェニクス　システム|バージョン：　2.09");
        const QString en = QStringLiteral("バージョン|QUARVENIX SYSTEM|Version : 2.08");
        QTest::newRow("japanese") << 0 << 0 << (ja + "|閉じる|shown").split('|');
        QTest::newRow("english") << 1 << 0 << (en + "|CLOSE|hidden").split('|');
        QTest::newRow("japanese A") << 0 << 1 << (ja + "A|閉じる|shown").split('|');
        QTest::newRow("english A") << 1 << 1 << (en + "A|CLOSE|hidden").split('|');
    }
    void texts()
    {
        QFETCH(int, eng);
        QFETCH(int, editionA);
        QFETCH(QStringList, texts);
        AppContext ctx;
        ctx.sw.Eng_Flg = eng;
        ctx.sw.A_Flg = editionA;
        Frm_Ver window(ctx);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The window title stays Japanese in both languages.
        const bool shown = window.Label3->isVisible();
        QCOMPARE((QStringList{window.windowTitle(), window.Label1->text(), window.Label2->text(),
                              window.Cmd_Modoru->text(), shown ? "shown" : "hidden"}),
                 texts);
        QCOMPARE(window.Label4->isVisible(), shown);
        QVERIFY(window.Label3->text().startsWith("https://") &&
                window.Label4->text().contains('@'));
        window.Cmd_Modoru->click();
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TstFrmVer)
#include "tst_frm_ver.moc"
