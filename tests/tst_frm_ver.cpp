// The version window in every combination of language and edition.
#include "admin/frm_ver.h"
#include "app/app_context.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TstFrmVer : public QObject {
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void closeButtonCloses();
};

void TstFrmVer::texts_data()
{
    QTest::addColumn<int>("eng");
    QTest::addColumn<int>("editionA");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("close");
    QTest::addColumn<bool>("addresses");
    QTest::newRow("japanese") << 0 << 0 << "クアルヴェニクス　システム"
                              << "バージョン：　2.09"
                              << "閉じる" << true;
    QTest::newRow("english") << 1 << 0 << "QUARVENIX SYSTEM"
                             << "Version : 2.08"
                             << "CLOSE" << false;
    QTest::newRow("japanese A") << 0 << 1 << "クアルヴェニクス　システム"
                                << "バージョン：　2.09A"
                                << "閉じる" << true;
    QTest::newRow("english A") << 1 << 1 << "QUARVENIX SYSTEM"
                               << "Version : 2.08A"
                               << "CLOSE" << false;
}

void TstFrmVer::texts()
{
    QFETCH(int, eng);
    QFETCH(int, editionA);
    QFETCH(QString, title);
    QFETCH(QString, version);
    QFETCH(QString, close);
    QFETCH(bool, addresses);
    AppContext ctx;
    ctx.sw.Eng_Flg = eng;
    ctx.sw.A_Flg = editionA;
    Frm_Ver window(ctx);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The title stays Japanese in both languages.
    QCOMPARE(window.windowTitle(), QStringLiteral("バージョン"));
    QCOMPARE(window.objectName(), QStringLiteral("Frm_Ver"));
    QCOMPARE(window.Label1->text(), title);
    QCOMPARE(window.Label2->text(), version);
    QCOMPARE(window.Cmd_Modoru->text(), close);
    QCOMPARE(window.Label3->isVisible(), addresses);
    QCOMPARE(window.Label4->isVisible(), addresses);
    QVERIFY(window.Label3->text().startsWith(QLatin1String("https://")));
    QVERIFY(window.Label4->text().contains(QLatin1Char('@')));
}

void TstFrmVer::closeButtonCloses()
{
    AppContext ctx;
    Frm_Ver window(ctx);
    QTimer::singleShot(0, &window, [&] { window.Cmd_Modoru->click(); });
    window.exec();
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TstFrmVer)
#include "tst_frm_ver.moc"
