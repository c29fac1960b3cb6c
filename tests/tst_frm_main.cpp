// The main window through its real controls, on real database files.
#include "grid_view/log_grid_view.h"
#include "main/frm_main.h"
#include "support/test_db.h"
#include "ui/work_progress.h"

#include <QTest>
#include <QtWidgets>

namespace {

// A loaded main window on a delivered database, on `today`.
struct Session : TestApp {
    explicit Session(Switches sw = {}, QDate today = {2024, 5, 15}) : TestApp(sw)
    {
        now.setDate(today);
        w.Form_Load();
    }
    Frm_Main w{ctx};
};

QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

} // namespace

class TstFrmMain : public QObject {
    Q_OBJECT

private slots:
    void loadedWindow_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("day"); // of December 2030: ten days on, still 2030 or 2031
        QTest::newRow("japanese, 21st") << false << 21;
        QTest::newRow("english, 22nd") << true << 22;
    }
    void loadedWindow()
    {
        QFETCH(bool, english);
        QFETCH(int, day);
        Session s({.Eng_Flg = english}, {2030, 12, day});
        Frm_Main& w = s.w;
        // After load, then after each option click: the checked option of each group, then the
        // enabling of the six date boxes, the unit box and sets button, the content box and button.
        const auto optionState = [&w] {
            QString state;
            for (const QRadioButton* b : {w.Opt_Ngh[1], w.Opt_User[1], w.Opt_Naiyou[1]})
                state += b->isChecked() ? '1' : '0';
            state += '/';
            for (const QWidget* box : std::initializer_list<const QWidget*>{
                     w.Cmb_Nen[0], w.Cmb_Tuki[0], w.Cmb_Hi[0], w.Cmb_Nen[1], w.Cmb_Tuki[1],
                     w.Cmb_Hi[1], w.Cmb_User, w.Cmd_Fuku[1], w.Cmb_Naiyou, w.Cmd_Fuku[0]})
                state += box->isEnabled() ? '1' : '0';
            return state;
        };
        QString states = optionState();
        for (const char* name :
             {"Opt_Ngh(0)", "Opt_Ngh(1)", "Opt_User(1)", "Opt_User(0)", "Opt_Naiyou(0)",
              "Opt_Naiyou(1)", "Opt_User(1)", "Opt_Naiyou(0)", "Opt_Ngh(0)", "Opt_User(0)"}) {
            w.findChild<QRadioButton*>(name)->click();
            states += ' ' + optionState();
        }
        QCOMPARE(states, "101/1111110011 001/0000000011 101/1111110011 111/1111111111 "
                         "101/1111110011 100/1111110000 101/1111110011 111/1111111111 "
                         "110/1111111100 010/0000001100 000/0000000000");

        // Years 2006 to that of today + 10 days, plus 10; months and days from "01"; today chosen.
        const auto range = [](const QComboBox* b) {
            return QString("%1-%2=%3 ")
                .arg(b->itemText(0), b->itemText(b->count() - 1), b->currentText());
        };
        for (int i = 0; i < 2; ++i)
            QCOMPARE(
                range(w.Cmb_Nen[i]) + range(w.Cmb_Tuki[i]) + range(w.Cmb_Hi[i]),
                QString("2006-%1=2030 01-12=12 01-31=%2 ").arg(day < 22 ? 2040 : 2041).arg(day));

        // The default set first with its prefix, then the log master, each in its language or
        // else the other; units that have logs, with their handset names.
        QVERIFY(w.Cmb_Naiyou->currentIndex() == 0 && w.Cmb_User->currentIndex() == -1);
        for (const char* sql :
             {"INSERT INTO Log_Master (Log_No, Naiyou, Naiyou2) VALUES (90, '', 'Only English'), "
              "(91, '日本語', NULL)",
              "INSERT INTO Log_Data (Unit_SN) VALUES ('0081'), ('0080'), ('0080')",
              "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0080', 'Truck 3')"})
            s.db.execute(QString::fromUtf8(sql));
        w.Master_Read();
        w.Unit_Read();
        const QStringList list = items(w.Cmb_Naiyou);
        QCOMPARE(
            list.mid(0, 3) + list.mid(21),
            QString(english // the prefix ends in two U+3000
                        ? "SELECT　　Standard set|Power on|Power off|Data transfer|Only English|"
                        : "複数選択　　標準セット|電源オン|電源オフ|データ送信|Only English|日本語")
                .split('|'));
        QCOMPARE(items(w.Cmb_User), (QStringList{"0080 (Truck 3 )", "0081 ( )"}));
    }

    // Each command opens its window modally; only a set window's or the menu's own button
    // reloads a list, and sets made while the window is open show once it is closed.
    void windowsOpenedModally()
    {
        // command, and " Escape" if its window is not closed by its own button|window name and
        // title|the list reloaded afterwards
        for (const char* row :
             {"M_Ver|Frm_Ver バージョン|", "Cmd_Fuku(0)|Frm_Sentaku 内容複数選択|Cmb_Naiyou",
              "Cmd_Fuku(1)|Frm_USentaku ユニット複数選択|Cmb_User",
              "Cmd_Fuku(1) Escape|Frm_USentaku ユニット複数選択|",
              "M_Kanri|Frm_Kanri 管理|Cmb_User", "M_Kanri Escape|Frm_Kanri 管理|",
              "Cmd_Setei|Frm_Com 通信設定|", "M_Setei|Frm_Com 通信設定|"}) {
            const QStringList f = QString::fromUtf8(row).split('|');
            const QString command = f[0].section(' ', 0, 0);
            Session s;
            s.w.Opt_User[1]->click(); // enables the unit sets button
            QString actual = f[0] + ' ';
            QTimer::singleShot(0, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                if (!modal)
                    return;
                actual += modal->objectName() + " " + modal->windowTitle() +
                          (qobject_cast<QDialog*>(modal) ? "" : " (no QDialog)");
                s.db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES (1, 'New', 1)");
                s.db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES (1, 'New', '0080')");
                if (f[0].endsWith("Escape"))
                    QTest::keyClick(modal, Qt::Key_Escape);
                else if (auto* close = modal->findChild<QPushButton*>("Cmd_Modoru"))
                    close->click();
                if (modal->isVisible() && modal->close()) // never leave the test waiting on it
                    actual += " (not closed)";
            });
            if (auto* action = s.w.findChild<QAction*>(command))
                action->trigger();
            else
                s.w.findChild<QPushButton*>(command)->click();
            for (QComboBox* box : {s.w.Cmb_User, s.w.Cmb_Naiyou}) // no choice made on reload
                if (items(box).contains("複数選択　　New"))
                    actual += " reloads " + box->objectName() +
                              (box->currentIndex() == -1 ? "" : " and chooses");
            QCOMPARE(actual, f[0] + ' ' + f[1] + (f[2].isEmpty() ? "" : " reloads " + f[2]));
        }
    }

    // The frame's way out after a resize; the others are tried during a read (tst_serial_read).
    void shownWindowAndWayOut()
    {
        Session s;
        Frm_Main& w = s.w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(!w.Cmd_Sousa->isVisible() && !w.Cmd_Sousa->isEnabled() && !w.Txt_Yomi->isVisible());
        // Each heading button covers exactly its column's heading, also when resized and scrolled.
        QHeaderView* header = w.MSFG->horizontalHeader();
        const auto misplaced = [&] {
            QCoreApplication::processEvents();
            QString out;
            for (int i = 0; i < 6; ++i) {
                const QRect column(header->mapTo(&w, QPoint(header->sectionViewportPosition(i), 0)),
                                   QSize(header->sectionSize(i), header->height()));
                if (QRect(w.Cmb_Sort[i]->mapTo(&w, QPoint()), w.Cmb_Sort[i]->size()) != column)
                    out += QString::number(i);
            }
            return out;
        };
        QString wrong = misplaced();
        w.resize(w.minimumWidth(), w.height());
        QScrollBar* bar = w.MSFG->horizontalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        wrong += '/' + misplaced();
        header->resizeSection(1, header->sectionSize(1) + 37);
        QCOMPARE(wrong + '/' + misplaced(), "//"); // loaded/scrolled/resized: buttons misplaced

        // The window cannot shrink below what its controls need; when it widens, the last
        // column takes the width.
        w.resize(1, 1);
        const auto tooNarrow = [&] {
            QStringList out;
            for (const QWidget* c : w.centralWidget()->findChildren<QWidget*>())
                if (c->isVisible() && !w.MSFG->isAncestorOf(c) &&
                    (c->width() < c->minimumSizeHint().width() ||
                     (qobject_cast<const QComboBox*>(c) && c->width() < c->sizeHint().width())))
                    out << c->objectName();
            return out;
        };
        QTRY_COMPARE(tooNarrow(), QStringList());
        w.resize(w.width() + 600, w.height());
        QTRY_COMPARE(header->sectionViewportPosition(5) + header->sectionSize(5),
                     w.MSFG->viewport()->width());
        // Coming back from another program leaves the window where the operator put it.
        w.move(3, 5);
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&w);
        QCOMPARE(w.pos(), QPoint(3, 5));

        // Activation centres the window on the usable desktop (Form_Center), title bar on it.
        const QRect screen = w.screen()->availableGeometry();
        w.resize(760, screen.height() + 300);
        w.Form_Activate();
        QCOMPARE(w.frameGeometry().top(), screen.top());
        QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 1);

        // The exit path runs once; a later way out does not run it again.
        QVERIFY(w.close());
        w.Cmd_End->click();
        w.M_End->trigger();
        QCOMPARE(s.quitCalls, 1);
        QVERIFY(!s.db.isOpen() && s.dialogs.messages.isEmpty());
    }

    // The window of long work: absent while the work is short, then shown with its bar and
    // the stage's text, and never with a button that could stop the work halfway.
    void progressOfLongWork()
    {
        QWidget owner;
        {
            WorkProgress quick(&owner, "t");
            quick.setStage("quick", 10);
            quick.setDone(10);
            const auto* dialog = owner.findChild<QProgressDialog*>();
            QVERIFY(!dialog || !dialog->isVisible());
        }
        WorkProgress slow(&owner, "t");
        slow.setStage("slow", 10);
        const QProgressDialog* dialog = nullptr;
        QTRY_VERIFY((slow.setDone(5, "half"), dialog = owner.findChild<QProgressDialog*>(),
                     dialog && dialog->isVisible()));
        QCOMPARE(dialog->labelText(), "half");
        QCOMPARE(dialog->value() * 2, dialog->maximum());
        QVERIFY(dialog->findChildren<QPushButton*>().isEmpty());
    }
};

QTEST_MAIN(TstFrmMain)
#include "tst_frm_main.moc"
