// The windows as a keyboard user and a small screen meet them, on a private X server of 1024×768
// pixels, where the focus really moves: Tab leaves the grid, Return presses the focused button,
// the File menu has the standard shortcuts, and every window fits the screen in both languages.
#include "admin/frm_db.h"
#include "admin/frm_id.h"
#include "admin/frm_kanri.h"
#include "admin/frm_kiki.h"
#include "admin/frm_ver.h"
#include "app/frm_login.h"
#include "comm_window/frm_com.h"
#include "sets/frm_lmaster.h"
#include "sets/frm_selection_set.h"
#include "support/modal.h"
#include "support/shown_logs.h"
#include "support/xvfb.h"

#include <QTest>
#include <QtWidgets>

namespace {

// Presses a key on the focused widget (first focusing `on`); the name of the one focused then.
QString press(Qt::Key key, QWidget* on = nullptr)
{
    if (on)
        on->setFocus();
    if (on && !QTest::qWaitFor([on] { return on->hasFocus(); }, 2000))
        return "(not focused)";
    QTest::keyClick(QApplication::focusWidget(), key);
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "(none)";
}

// A control shows whole when it has the size it asks for at least (a box sized to its entries:
// their size, as Qt keeps its minimum from before it had any); a button, also one sized to a
// grid column, when its caption and icon fit inside its frame.
bool whole(const QWidget* c)
{
    if (const auto* box = qobject_cast<const QComboBox*>(c);
        box && box->sizeAdjustPolicy() == QComboBox::AdjustToContents)
        return box->width() >= box->sizeHint().width();
    if (const auto* b = qobject_cast<const QPushButton*>(c)) {
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        const int frame = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
        return b->fontMetrics().horizontalAdvance(b->text()) + icon <= b->width() - 2 * frame;
    }
    return c->width() >= c->minimumSizeHint().width() &&
           c->height() >= c->minimumSizeHint().height();
}

} // namespace

class TstKeyboardAndScreen : public QObject {
    Q_OBJECT

public:
    static void initMain() { useXvfb(QSize(1024, 768)); }

private slots:
    // Return on a focused button presses it (検索, a heading button, 保　存, the port window's
    // close button); Tab runs from 検索 through the heading buttons and the grid, which Tab and
    // Shift+Tab leave at once, whatever its current cell. The File menu keeps its captions and
    // shows the desktop's shortcuts, which work.
    void keys()
    {
        ShownLogs s({}, kThreeLogs);
        QVERIFY(showActive(&s.w));
        QCOMPARE(press(Qt::Key_Return, s.w.Cmd_Find), "Cmd_Find");
        QCOMPARE(s.grid().Rows(), 4);
        QStringList chain;
        for (int i = 0; i < 9; ++i)
            chain << press(Qt::Key_Tab);
        QCOMPARE(chain.join(' '), "Cmb_Sort(0) Cmb_Sort(1) Cmb_Sort(2) Cmb_Sort(3) Cmb_Sort(4) "
                                  "Cmb_Sort(5) MSFG Cmd_Read Cmd_Save");
        s.w.MSFG->setCurrentIndex(s.grid().index(1, 2));
        QCOMPARE(press(Qt::Key_Backtab, s.w.MSFG) + ' ' + press(Qt::Key_Tab, s.w.MSFG),
                 "Cmb_Sort(5) Cmd_Read");
        QCOMPARE(s.w.MSFG->currentIndex(), s.grid().index(1, 2));

        press(Qt::Key_Return, s.w.Cmb_Sort[3]);
        press(Qt::Key_Enter, s.w.Cmd_Save);
        QVERIFY(s.w.Sort_State[3] && s.dialogs.fileRequests.size() == 1);

        QStringList entries;
        for (const QAction* a : s.w.M_File->actions())
            entries << a->text() + ' ' + a->shortcut().toString();
        QCOMPARE(entries.join('|'), "読　込 | |保　存 Ctrl+S| |印　刷 Ctrl+P| |統　計 Ctrl+T| |"
                                    "通　信 | |管　理 | |終了 Ctrl+Q");
        QTest::keyClick(&s.w, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(&s.w, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(s.dialogs.fileRequests.size() == 2 && s.quitCalls == 1);
        bool closed = false;
        onNextModal([&closed](QWidget* port) {
            press(Qt::Key_Return, port->findChild<QPushButton*>("Cmd_Modoru"));
            closed = !port->isVisible() || !port->close();
        });
        s.w.Cmd_Setei->click();
        QVERIFY(closed);
    }

    void everyWindowFits_data()
    {
        QTest::addColumn<bool>("english");
        QTest::newRow("japanese") << false;
        QTest::newRow("english") << true;
    }
    // Every window, as it opens on a 1024×768 screen, leaves room for a title bar and a panel
    // and shows each of its controls whole inside it (the narrow heading button with its arrow).
    void everyWindowFits()
    {
        QFETCH(bool, english);
        ShownLogs s({.Eng_Flg = english}, kThreeLogs);
        AppContext& c = s.ctx;
        QWidget* main = &s.w;
        QVERIFY(showActive(main));
        s.w.Cmd_Find->click();
        s.w.Cmb_Sort[0]->click();
        const QRect screen = main->screen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1024, 768));
        std::unique_ptr<QWidget> opened[] = {nullptr, // the main window
                                             std::make_unique<Frm_Login>(c, s.program, [] {}),
                                             std::make_unique<Frm_Com>(c, main),
                                             std::make_unique<Frm_Kanri>(c, main),
                                             std::make_unique<Frm_Ver>(c, main),
                                             std::make_unique<Frm_ID>(c, main),
                                             std::make_unique<Frm_Kiki>(c, main),
                                             std::make_unique<Frm_DB>(c, main),
                                             std::make_unique<Frm_Sentaku>(c, main),
                                             std::make_unique<Frm_USentaku>(c, main),
                                             std::make_unique<Frm_LMaster>(c, main)};
        QStringList misfits;
        for (const std::unique_ptr<QWidget>& window : opened) {
            QWidget* w = window ? window.get() : main;
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QCoreApplication::processEvents(); // the layouts settle
            const QRect frame = w->frameGeometry();
            if (!screen.contains(frame) || frame.height() > screen.height() - 72)
                misfits << w->objectName();
            for (const QWidget* control : w->findChildren<QWidget*>())
                if (control->isVisibleTo(w) && !control->isWindow() &&
                    !control->objectName().isEmpty() &&
                    !control->objectName().startsWith("qt_") && // Qt's own parts of a control
                    (!w->rect().contains(QRect(control->mapTo(w, QPoint()), control->size())) ||
                     !whole(control)))
                    misfits << w->objectName() + ' ' + control->objectName();
            if (window)
                w->hide();
        }
        QCOMPARE(misfits.join(", "), QString());
    }
};

QTEST_MAIN(TstKeyboardAndScreen)
#include "tst_keyboard_and_screen.moc"
