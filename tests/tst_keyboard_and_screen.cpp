// The windows as a keyboard user and a small screen meet them, on a private X server of 1024×768
// pixels, where the focus really moves: Tab leaves the grid, Return presses the focused button,
// the File menu has the standard shortcuts, and every window fits the screen in both languages.
#include "admin/frm_db.h"
#include "admin/frm_id.h"
#include "admin/frm_kanri.h"
#include "admin/frm_kiki.h"
#include "admin/frm_ver.h"
#include "app/frm_login.h"
#include "comm/frm_com.h"
#include "sets/frm_lmaster.h"
#include "sets/frm_selection_set.h"
#include "support/modal.h"
#include "support/shown_logs.h"
#include "support/xvfb.h"

#include <QTest>
#include <QtWidgets>
#include <functional>
#include <memory>

namespace {

// The name of the widget that has the focus after a key pressed on the focused one.
QString focusAfter(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    const QWidget* focused = QApplication::focusWidget();
    return focused ? focused->objectName() : QString("(none)");
}

// A control shows whole when it has the size it asks for at least; a button, also one sized to
// a grid column, when its caption and icon fit inside its frame.
bool whole(const QWidget* c)
{
    if (const auto* b = qobject_cast<const QPushButton*>(c)) {
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        const int frame = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
        return b->fontMetrics().horizontalAdvance(b->text()) + icon <= b->width() - 2 * frame;
    }
    const QSize needed = c->minimumSizeHint();
    return c->width() >= needed.width() && c->height() >= needed.height();
}

// What a window needs beyond its own size on a desktop: its title bar and a panel.
constexpr int kTitleBarAndPanel = 72;

} // namespace

class TstKeyboardAndScreen : public QObject {
    Q_OBJECT

public:
    static void initMain() { useXvfb(QSize(1024, 768)); }

private slots:
    // Return on the focused 検索 searches; Tab runs from it through the heading buttons and the
    // grid, which Tab and Shift+Tab leave at once, whatever cell is current.
    void tabLeavesTheGrid()
    {
        ShownLogs s({}, kThreeLogs);
        QVERIFY(showActive(&s.w));
        s.w.Cmd_Find->setFocus();
        QTRY_VERIFY(s.w.Cmd_Find->hasFocus());
        QCOMPARE(focusAfter(Qt::Key_Return), "Cmd_Find");
        QCOMPARE(s.grid().Rows(), 4);
        QStringList chain;
        for (int i = 0; i < 9; ++i)
            chain << focusAfter(Qt::Key_Tab);
        QCOMPARE(chain.join(' '), "Cmb_Sort(0) Cmb_Sort(1) Cmb_Sort(2) Cmb_Sort(3) Cmb_Sort(4) "
                                  "Cmb_Sort(5) MSFG Cmd_Read Cmd_Save");
        s.w.MSFG->setFocus();
        s.w.MSFG->setCurrentIndex(s.w.MSFG->model()->index(1, 2));
        QCOMPARE(focusAfter(Qt::Key_Backtab), "Cmb_Sort(5)");
        s.w.MSFG->setFocus();
        QCOMPARE(focusAfter(Qt::Key_Tab), "Cmd_Read");
        QCOMPARE(s.w.MSFG->currentIndex(), s.w.MSFG->model()->index(1, 2));
    }

    void returnPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("pressed"); // what the press did
        QTest::newRow("heading button") << "Cmb_Sort(3)"
                                        << "sorted";
        QTest::newRow("save") << "Cmd_Save"
                              << "save dialog";
        QTest::newRow("port window's close button") << "Cmd_Setei Cmd_Modoru"
                                                    << "closed";
        QTest::newRow("port window's register button") << "Cmd_Setei Cmd_Add"
                                                       << "message";
    }
    // Return on a focused button of the main window and of the port window presses it.
    void returnPressesTheFocusedButton()
    {
        QFETCH(QString, button);
        QFETCH(QString, pressed);
        ShownLogs s({}, kThreeLogs);
        QVERIFY(showActive(&s.w));
        s.w.Cmd_Find->click();
        const QStringList path = button.split(' ');
        QString did = "nothing";
        const auto pressReturn = [&did](QWidget* window, const QString& name) {
            auto* b = window->findChild<QPushButton*>(name);
            b->setFocus();
            QTRY_VERIFY(b->hasFocus());
            QTest::keyClick(b, Qt::Key_Return);
            if (!window->isVisible())
                did = "closed";
        };
        if (path.size() > 1) {
            onNextModal([&](QWidget* modal) {
                pressReturn(modal, path[1]);
                if (modal->isVisible())
                    modal->close();
            });
            s.w.findChild<QPushButton*>(path[0])->click();
        } else {
            pressReturn(&s.w, path[0]);
        }
        if (s.w.Sort_State[3])
            did = "sorted";
        else if (!s.dialogs.fileRequests.isEmpty())
            did = "save dialog";
        else if (!s.dialogs.messages.isEmpty())
            did = "message";
        QCOMPARE(did, pressed);
    }

    // The File menu's entries keep their captions and have the desktop's shortcuts, which work.
    void menuShortcuts()
    {
        ShownLogs s({}, kThreeLogs);
        QVERIFY(showActive(&s.w));
        s.w.Cmd_Find->click();
        QStringList entries;
        for (const QAction* a : s.w.M_File->actions())
            if (!a->isSeparator())
                entries << a->text() + ' ' + a->shortcut().toString();
        QCOMPARE(entries.join('|'), "読　込 |保　存 Ctrl+S|印　刷 Ctrl+P|統　計 Ctrl+T|通　信 |"
                                    "管　理 |終了 Ctrl+Q");
        QTest::keyClick(&s.w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(s.dialogs.fileRequests.size(), 1);
        QTest::keyClick(&s.w, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(s.quitCalls, 1);
    }

    void everyWindowFits_data()
    {
        QTest::addColumn<bool>("english");
        QTest::newRow("japanese") << false;
        QTest::newRow("english") << true;
    }
    // Every window of the program, as it opens on a 1024×768 screen, leaves room for a title bar
    // and a panel, and shows each of its controls whole, inside the window.
    void everyWindowFits()
    {
        QFETCH(bool, english);
        ShownLogs s({.Eng_Flg = english}, kThreeLogs);
        AppContext& ctx = s.ctx;
        QWidget* main = &s.w;
        const std::pair<const char*, std::function<std::unique_ptr<QWidget>()>> windows[] = {
            {"Frm_Login", [&] { return std::make_unique<Frm_Login>(ctx, s.program, [] {}); }},
            {"Frm_Main", [] { return std::unique_ptr<QWidget>(); }},
            {"Frm_Com", [&] { return std::make_unique<Frm_Com>(ctx, main); }},
            {"Frm_Kanri", [&] { return std::make_unique<Frm_Kanri>(ctx, main); }},
            {"Frm_Ver", [&] { return std::make_unique<Frm_Ver>(ctx, main); }},
            {"Frm_ID", [&] { return std::make_unique<Frm_ID>(ctx, main); }},
            {"Frm_Kiki", [&] { return std::make_unique<Frm_Kiki>(ctx, main); }},
            {"Frm_DB", [&] { return std::make_unique<Frm_DB>(ctx, main); }},
            {"Frm_Sentaku", [&] { return std::make_unique<Frm_Sentaku>(ctx, main); }},
            {"Frm_USentaku", [&] { return std::make_unique<Frm_USentaku>(ctx, main); }},
            {"Frm_LMaster", [&] { return std::make_unique<Frm_LMaster>(ctx, main); }}};
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1024, 768));
        QVERIFY(showActive(main));
        s.w.Cmd_Find->click();
        s.w.Cmb_Sort[0]->click(); // its narrow button shows the arrow
        QStringList misfits;
        for (const auto& [name, make] : windows) {
            const std::unique_ptr<QWidget> opened = make();
            QWidget* w = opened ? opened.get() : main;
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QCoreApplication::processEvents();
            const QRect frame = w->frameGeometry();
            if (!screen.contains(frame) || frame.height() > screen.height() - kTitleBarAndPanel)
                misfits << QString("%1 %2x%3").arg(name).arg(frame.width()).arg(frame.height());
            for (const QWidget* c : w->findChildren<QWidget*>()) {
                if (!c->isVisibleTo(w) || c->isWindow() || c->objectName().isEmpty())
                    continue;
                const QRect at(c->mapTo(w, QPoint()), c->size());
                if (!w->rect().contains(at) || !whole(c))
                    misfits << QString("%1 %2").arg(name, c->objectName());
            }
        }
        QCOMPARE(misfits, QStringList());
    }
};

QTEST_MAIN(TstKeyboardAndScreen)
#include "tst_keyboard_and_screen.moc"
