// The windows by keyboard on a private 1024×768 X server, where the focus really moves.
#include "admin/frm_db.h"
#include "admin/frm_id.h"
#include "admin/frm_kanri.h"
#include "admin/frm_kiki.h"
#include "admin/frm_lmaster.h"
#include "admin/frm_rireki.h"
#include "app/frm_login.h"
#include "base/texts/admin.h"
#include "base/texts/grid.h"
#include "comm_window/frm_com.h"
#include "main/frm_ver.h"
#include "records_window/frm_kiroku.h"
#include "sets/frm_selection_set.h"
#include "stats_window/frm_stat.h"
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

// The captions, titles, headings and tooltips of a window that hold kana or kanji, but for those
// the catalogue keeps Japanese in English too; what grids and lists hold is data.
QStringList japaneseCaptions(const QWidget* w)
{
    namespace a = texts;
    QStringList kept = {a::version::Caption.en_(),      a::db_keep::Caption.en_(),
                        a::login_id::Tip_Cmd_New.en_(), a::login_id::Tip_Cmd_Add.en_(),
                        a::login_id::Tip_Cmd_Del.en_(), a::kiki::Tip_Cmd_Add.en_(),
                        a::kiki::Tip_Cmd_Del.en_()};
    for (const BiText& heading : a::grid::Headings)
        kept << heading.en_();
    QStringList shown{w->windowTitle()};
    for (const QAction* action : w->findChildren<QAction*>())
        shown << action->text() << action->toolTip();
    for (const QWidget* c : w->findChildren<QWidget*>()) {
        if (!c->isVisibleTo(w))
            continue;
        shown << c->toolTip();
        if (const auto* label = qobject_cast<const QLabel*>(c))
            shown << label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(c))
            shown << button->text();
        else if (const auto* header = qobject_cast<const QHeaderView*>(c))
            for (int i = 0; i < header->count(); ++i)
                shown << header->model()->headerData(i, header->orientation()).toString();
    }
    QStringList found;
    for (const QString& text : shown)
        if (!kept.contains(text) && std::any_of(text.begin(), text.end(), [](QChar ch) {
                return ch.script() == QChar::Script_Han || ch.script() == QChar::Script_Hiragana ||
                       ch.script() == QChar::Script_Katakana;
            }))
            found << w->objectName() + ' ' + text;
    return found;
}

} // namespace

class TstKeyboardAndScreen : public QObject {
    Q_OBJECT

public:
    static void initMain() { useXvfb(QSize(1024, 768)); }

private slots:
    // Return presses the focused button; Tab runs from 検索 through the heading buttons and the
    // grid, which Tab and Shift+Tab leave at once. The File menu shows the desktop's shortcuts,
    // which work.
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
        QVERIFY(s.w.Cmb_Sort[3]->accessibleDescription() == "▼" &&
                s.dialogs.fileRequests.size() == 1);

        QStringList entries;
        for (const QAction* a : s.w.M_File->actions())
            entries << a->text() + ' ' + a->shortcut().toString();
        QCOMPARE(entries.join('|'),
                 "読　込 | |保　存 Ctrl+S| |印　刷 Ctrl+P| |記録簿 Ctrl+K| |統　計 Ctrl+T| |"
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
    // and shows each of its controls whole inside it (the narrow heading button with its arrow);
    // in English it shows no Japanese caption.
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
                                             std::make_unique<Frm_LMaster>(c, main),
                                             std::make_unique<Frm_Rireki>(c, main),
                                             std::make_unique<Frm_Kiroku>(c, main),
                                             std::make_unique<Frm_Stat>(c, s.grid(), main)};
        QStringList misfits, japanese;
        for (const std::unique_ptr<QWidget>& window : opened) {
            QWidget* w = window ? window.get() : main;
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QCoreApplication::processEvents(); // the layouts settle
            const QRect frame = w->frameGeometry();
            // The statistics window sizes itself to the free desktop, panels known or not.
            const int room = w->objectName() == "Frm_Stat" ? 0 : 72;
            if (!screen.contains(frame) || frame.height() > screen.height() - room)
                misfits << w->objectName();
            for (const QWidget* control : w->findChildren<QWidget*>())
                if (control->isVisibleTo(w) && !control->isWindow() &&
                    !control->objectName().isEmpty() &&
                    !control->objectName().startsWith("qt_") && // Qt's own parts of a control
                    (!w->rect().contains(QRect(control->mapTo(w, QPoint()), control->size())) ||
                     !whole(control)))
                    misfits << w->objectName() + ' ' + control->objectName();
            if (english)
                japanese << japaneseCaptions(w);
            if (window)
                w->hide();
        }
        QCOMPARE(misfits.join(", "), QString());
        QCOMPARE(japanese.join(", "), QString());
    }
};

QTEST_MAIN(TstKeyboardAndScreen)
#include "tst_keyboard_and_screen.moc"
