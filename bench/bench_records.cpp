// A day of 200 check records entered by the keyboard alone in the record book window: 100
// drivers, each checked before driving (driver and vehicle typed, Return) and after driving (the
// proposals kept, Tab Tab Down for 運転後, Return). The key events go through QTest to the
// focused control, as typed. Floor: the same key events into a bare window of line edits and a
// combo box, each Return storing one row and one history row through bare SQLite in a
// transaction of its own.
#include "records_window/frm_kiroku.h"
#include "support.h"
#include "support/test_db.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <cstdio>
#include <sqlite3.h>
#include <variant>

namespace {

constexpr int kDrivers = 100;
constexpr int kRuns = 3;

using Step = std::variant<QString, Qt::Key>;

// The keys of the day, in the book's order: the mornings, then the evenings.
QList<Step> dayOfKeys()
{
    QList<Step> keys;
    for (int d = 0; d < kDrivers; ++d)
        keys << QStringLiteral("運転者%1").arg(d) << Qt::Key_Tab
             << QStringLiteral("品川500あ%1").arg(1000 + d) << Qt::Key_Return;
    for (int d = 0; d < kDrivers; ++d)
        keys << Qt::Key_Tab << Qt::Key_Tab << Qt::Key_Down << Qt::Key_Return;
    return keys;
}

void type(QWidget& window, const QList<Step>& keys)
{
    for (const Step& step : keys) {
        QWidget* focused = window.focusWidget();
        if (const auto* text = std::get_if<QString>(&step))
            for (const QChar c : *text) // as an input method hands over each character
                QTest::sendKeyEvent(QTest::Click, focused, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        else
            QTest::keyClick(focused, std::get<Qt::Key>(step));
    }
}

// The floor's window: a driver and a vehicle box and a combo box; Return stores a row.
class BareWindow : public QWidget {
public:
    explicit BareWindow(sqlite3* db) : db_(db)
    {
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w : std::initializer_list<QWidget*>{driver_, vehicle_, phase_})
            layout->addWidget(w);
        phase_->addItems({QStringLiteral("運転前"), QStringLiteral("運転後")});
        for (QWidget* w : std::initializer_list<QWidget*>{driver_, vehicle_, phase_})
            w->installEventFilter(this);
        driver_->setFocus();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_Return)
            return QWidget::eventFilter(watched, event);
        store();
        driver_->setFocus();
        driver_->selectAll();
        return true;
    }

private:
    void store()
    {
        const QByteArray row = QStringLiteral("INSERT INTO r VALUES ('%1', '%2', %3, %4)")
                                   .arg(driver_->text(), vehicle_->text())
                                   .arg(phase_->currentIndex())
                                   .arg(++count_)
                                   .toUtf8();
        const QByteArray history =
            QStringLiteral("INSERT INTO h VALUES ('%1')").arg(driver_->text()).toUtf8();
        for (const char* sql : {"BEGIN IMMEDIATE", row.constData(), history.constData(), "COMMIT"})
            if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
                std::exit(1);
    }

    sqlite3* db_;
    int count_ = 0;
    QLineEdit* driver_ = new QLineEdit(this);
    QLineEdit* vehicle_ = new QLineEdit(this);
    QComboBox* phase_ = new QComboBox(this);
};

// Today's 200 measurements: each driver's handset in the morning and the evening.
void storeDay(TestApp& app)
{
    QStringList values;
    for (int d = 0; d < kDrivers; ++d)
        for (const char* time : {"06:%1:00", "18:%1:00"})
            values << QStringLiteral("('%1', '2024-05-15 %2', '%3', 8, '0.000', '01')")
                          .arg(d + 1, 4, 10, QLatin1Char('0'))
                          .arg(QString::fromLatin1(time).arg(d % 60, 2, 10, QLatin1Char('0')))
                          .arg(values.size());
    app.db.execute(QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, "
                                  "Tani) VALUES ") +
                   values.join(QLatin1Char(',')));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestApp book(DbEngine::Sqlite, Switches{});
    book.ctx.loginId = QStringLiteral("admin");
    storeDay(book);
    const QList<Step> keys = dayOfKeys();
    std::printf("a day of %d check records by keyboard in the record book window (floor: the same "
                "key events into bare line edits, each Return one bare SQLite transaction)\n",
                2 * kDrivers);

    std::unique_ptr<Frm_Kiroku> window;
    const auto prepare = [&] {
        book.db.execute(QStringLiteral("DELETE FROM Check_Record"));
        window = std::make_unique<Frm_Kiroku>(book.ctx);
        window->show();
        if (!QTest::qWaitForWindowActive(window.get()))
            std::exit(1);
    };
    sqlite3* bare = nullptr;
    sqlite3_open(book.dir.filePath(QStringLiteral("floor.db")).toUtf8().constData(), &bare);
    sqlite3_exec(bare, "CREATE TABLE r (d TEXT, v TEXT, p INT, n INT); CREATE TABLE h (d TEXT)",
                 nullptr, nullptr, nullptr);
    BareWindow floorWindow(bare);
    floorWindow.show();
    if (!QTest::qWaitForWindowExposed(&floorWindow))
        return 1;
    const auto [ours, floor] = bench::measureInTurns(
        kRuns, [&] { type(*window, keys); },
        [&] {
            floorWindow.activateWindow();
            type(floorWindow, keys);
        },
        prepare);
    bench::report("200 records by keyboard", ours, floor);
    const qint64 stored = book.count(QStringLiteral("Check_Record"));
    std::printf("    %lld records stored; %.1f ms per record (floor %.1f ms)\n", stored,
                ours.wallMs / (2 * kDrivers), floor.wallMs / (2 * kDrivers));
    window.reset();
    sqlite3_close(bare);
    return stored == 2 * kDrivers ? 0 : 1;
}
