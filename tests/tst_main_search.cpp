// Searching and sorting through the main window on a real database.
#include "base/texts/grid.h"
#include "base/texts/main.h"
#include "db/sql_text.h"
#include "support/pg_cluster.h"
#include "support/shown_logs.h"

#include <QTest>
#include <QtWidgets>

namespace {

struct Session : ShownLogs {
    using ShownLogs::ShownLogs;
    // The first column of every result row, then the row's colour if it has one.
    QStringList rows() const
    {
        QStringList out;
        for (int r = 1; r < grid().Rows(); ++r)
            out << grid().TextMatrix(r, 0) +
                       (grid().rowColor(r).isValid() ? " " + grid().rowColor(r).name() : "");
        return out;
    }
};

// Logs enough for a search that the event loop runs during, on any machine.
constexpr int kLongSearch = 300000;

// Picks the entry with this text, or types it when the box has no such entry.
void choose(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    index >= 0 ? box->setCurrentIndex(index) : box->setEditText(text);
    QCOMPARE(box->currentText(), text);
}

} // namespace

class TstMainSearch : public QObject {
    Q_OBJECT

private slots:
    void searchesOnTheSample()
    {
        Session s(Switches{.Test_Flg = 1}); // the test feed is pressed in the test build only
        Frm_Main& w = s.w;
        w.Cmd_Sousa->click();
        w.Cmd_Sousa->click(); // everything is stored already
        QCOMPARE(s.count("Log_Data"), qint64(30000));
        s.db.execute("INSERT INTO UFukusu (No, Name, Unit_SN) VALUES "
                     "(1, 'East', '0099'), (2, 'East', '0080'), (1, 'West', '0099')");
        s.db.execute("INSERT INTO Fukusu (No, Name, Log_No) VALUES "
                     "(1, 'Start+End', 21), (2, 'Start+End', 41)");
        w.Unit_Read();
        w.Master_Read();
        QString shown; // each message
        s.dialogs.onMessage = [&](const ScriptedDialogs::Message& m) {
            QVERIFY2(!QApplication::overrideCursor(), "a message shown under the busy pointer");
            shown += ' ' + m.title + ": " + m.text;
        };
        // "date range|unit|content=rows found and messages"; an empty criterion means all.
        const QStringList searches =
            QString("2024/05/15-2024/05/15||複数選択　　標準セット=0;||=30000;|0080 ( )|=30000;"
                    "|0099 ( )|=0;|複数選択　　East|=30000;||測定開始=10000;"
                    "||複数選択　　Start+End=20000;2007/01/12-2007/01/10||=0;"
                    "2007/01/11-2007/01/11|複数選択　　East|複数選択　　Start+End=20000;"
                    "2007/02/31-2007/03/01||=0 検索: %1")
                .arg(texts::grid::BadDate.ja_().arg("2007/02/31"))
                .split(';');
        QStringList results;
        for (const QString& search : searches) {
            const QString criteria = search.section('=', 0, 0);
            const QStringList f = criteria.split('|'), ymd = f[0].split(QRegularExpression("[-/]"));
            w.Opt_Ngh[f[0].isEmpty() ? 0 : 1]->click();
            for (int i = 0; ymd.size() == 6 && i < 6; ++i) // year, month and day of each end
                choose(std::array{w.Cmb_Nen, w.Cmb_Tuki, w.Cmb_Hi}[i % 3][i / 3], ymd[i]);
            w.Opt_User[f[1].isEmpty() ? 0 : 1]->click();
            if (!f[1].isEmpty())
                choose(w.Cmb_User, f[1]);
            w.Opt_Naiyou[f[2].isEmpty() ? 0 : 1]->click();
            if (!f[2].isEmpty())
                choose(w.Cmb_Naiyou, f[2]);
            shown.clear();
            w.Cmd_Find->click();
            // The status line counts what was found; a search that failed counts nothing.
            const QString found = search.section('=', 1).section(' ', 0, 0);
            const QMap<QString, QString> label{{"0", texts::search_status::NoneFound.ja_()},
                                               {"10000", "10,000件"},
                                               {"20000", "20,000件"},
                                               {"30000", "30,000件"}};
            QCOMPARE(w.LB_Count->text(), shown.isEmpty() ? label.value(found) : QString());
            results << criteria + '=' + QString::number(s.grid().Rows() - 1) + shown +
                           (QApplication::overrideCursor() ? " (busy after)" : "");
        }
        QCOMPARE(results, searches);
    }

    void searchAfterServerRestart_data()
    {
        QTest::addColumn<QString>("change"); // made by the administrator before the restart
        QTest::newRow("none") << "";
        QTest::newRow("the password") << "password";
        QTest::newRow("the role in quarvenix.ini") << "role";
    }
    // The server restarts between two searches, perhaps with a new password or role in the files:
    // the second search connects again, reading both files anew, without a message.
    void searchAfterServerRestart()
    {
        QFETCH(QString, change);
        if (testEngine() != DbEngine::Postgresql)
            QSKIP("a server only");
        Session s;
        PgCluster* cluster = PgCluster::instance();
        static int roles = 0;
        bool written = true;
        const auto signIn = [&](const QString& password) {
            const QString role = QString("qvx_searcher%1").arg(++roles);
            cluster->addPasswordRole(role, password);
            cluster->exec("GRANT ALL ON ALL TABLES IN SCHEMA public TO " + role, s.serverDb);
            const ServerAddress a = cluster->address(s.serverDb);
            written =
                writeFile(s.dir.filePath("quarvenix.ini"),
                          QString("[database]\ndriver=postgresql\nhost=%1\nport=%2\ndbname=%3\n"
                                  "user=%4\n")
                              .arg(a.host, a.port, a.dbname, role)
                              .toUtf8()) &&
                writeFile(s.dir.filePath("pgpass"), ("*:*:*:" + role + ":" + password).toUtf8());
            QFile::setPermissions(s.dir.filePath("pgpass"), QFile::ReadOwner | QFile::WriteOwner);
            return role;
        };
        qputenv("PGPASSFILE", s.dir.filePath("pgpass").toUtf8());
        const auto unset = qScopeGuard([] { qunsetenv("PGPASSFILE"); });
        QString role = signIn("old-one");
        QVERIFY(written);
        s.db.open(DbSetting::fromIniFile(s.dir.filePath(kDbSettingFile)).server);
        addLogs(s.db, 30, "0080", 0);
        s.w.Cmd_Find->click();
        const QStringList shown = s.rows();
        QCOMPARE(shown.size(), 30);
        if (change == "password") {
            cluster->exec("ALTER ROLE " + role + " PASSWORD 'new-one'");
            QVERIFY(writeFile(s.dir.filePath("pgpass"), ("*:*:*:" + role + ":new-one").toUtf8()));
        } else if (change == "role") {
            role = signIn("other-one");
            QVERIFY(written);
        }
        QVERIFY(cluster->stop());
        QVERIFY(cluster->start());
        s.w.Cmd_Find->click();
        QCOMPARE(s.rows(), shown);
        QVERIFY2(s.dialogs.messages.isEmpty(), qPrintable(s.dialogs.messages.value(0).text));
        QCOMPARE(firstColumn(s.db, "SELECT current_user"), QStringList{role});
    }

    void interruptedSearch_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("end button") << "Cmd_End";
        QTest::newRow("frame closed") << "close";
        QTest::newRow("asked again, by the read") << "Cmd_Find_Click";
    }

    // While a long search fills the grid, busy, only the end command is taken (it stops the search
    // and the program); a search asked for meanwhile starts over. Nothing half-filled is left.
    void interruptedSearch()
    {
        QFETCH(QString, way);
        const int ends = way == "Cmd_Find_Click" ? 0 : 1; // runs of the program's exit path
        Session s;
        addLogs(s.db, kLongSearch, "0080", 0);
        addLogs(s.db, 1000, "0081", 0);
        Frm_Main& w = s.w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QStringList during;
        // A timer, as the clicks stand for: a posted call would already run while the server's
        // first rows are awaited, and timers and clicks wait for the search's own event processing.
        QTimer::singleShot(1, &w, [&] {
            // The first rows show before the last are read, and the count grows.
            const int shownRows = s.grid().Rows() - 1;
            during << (shownRows > 0 && shownRows < kLongSearch ? "first rows"
                                                                : QString::number(shownRows))
                   << w.LB_Count->text().replace(QLocale(QLocale::English).toString(shownRows), "n")
                   << (QApplication::overrideCursor() ? "busy" : "not busy");
            QTest::mouseClick(w.Cmb_Sort[3], Qt::LeftButton);
            QTest::mouseClick(w.Opt_User[1], Qt::LeftButton);
            during << (!w.Cmb_Sort[3]->accessibleDescription().isEmpty() ||
                               w.Opt_User[1]->isChecked()
                           ? "clicks taken"
                           : "refused");
            if (way == "Cmd_End") {
                QTest::mouseClick(w.Cmd_End, Qt::LeftButton);
            } else if (way == "close") {
                w.close();
            } else {
                w.Opt_User[1]->click();
                choose(w.Cmb_User, "0081 ( )");
                w.Cmd_Find_Click();
            }
        });
        w.Cmd_Find->click();
        QCOMPARE(during, (QStringList{"first rows", texts::search_status::Reading.ja_().arg("n"),
                                      "busy", "refused"}));
        QCOMPARE(s.grid().Rows() - 1, ends ? 0 : 1000);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(s.quitCalls, ends);
        QCOMPARE(s.db.isOpen(), ends == 0);
        QVERIFY(s.dialogs.messages.isEmpty());
    }

    // A command arriving while a search fills the grid (an accessibility action, a shortcut) is
    // refused with a message under the normal pointer, and does nothing else.
    void commandsRefusedDuringAFill()
    {
        Session s(Switches{.Test_Flg = 1}); // the test feed stores logs in the test build
        addLogs(s.db, kLongSearch, "0080", 0);
        Frm_Main& w = s.w;
        QTimer closer; // a window that a command opens is closed, and the command counts as taken
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        closer.start(20);
        const std::pair<QString, std::function<void()>> commands[] = {
            {"Cmd_Read_Click", [&] { w.Cmd_Read_Click(); }},
            {"Cmd_Save_Click", [&] { w.Cmd_Save_Click(); }},
            {"Cmd_Print_Click", [&] { w.Cmd_Print_Click(); }},
            {"M_Stat_Click", [&] { w.M_Stat_Click(); }},
            {"M_Kiroku_Click", [&] { w.M_Kiroku_Click(); }},
            {"Cmb_Sort_Click", [&] { w.Cmb_Sort_Click(3); }},
            {"Cmd_Setei_Click", [&] { w.Cmd_Setei_Click(); }},
            {"Cmd_kanri_Click", [&] { w.Cmd_kanri_Click(); }},
            {"Cmd_Fuku_Click(0)", [&] { w.Cmd_Fuku_Click(0); }},
            {"Cmd_Fuku_Click(1)", [&] { w.Cmd_Fuku_Click(1); }},
            {"M_Ver_Click", [&] { w.M_Ver_Click(); }},
            {"Cmd_Sousa_Click", [&] { w.Cmd_Sousa_Click(); }}};
        QStringList refused;
        bool normalPointer = false; // over the search's busy one, while the message shows
        s.dialogs.onMessage = [&](const auto&) {
            const QCursor* pointer = QApplication::overrideCursor();
            normalPointer = pointer && pointer->shape() == Qt::ArrowCursor;
        };
        QTimer::singleShot(0, &w, [&] {
            const QString running = texts::main_window::SearchRunning.ja_();
            const auto call = [&](const QString& name, const std::function<void()>& command) {
                const qsizetype before = s.dialogs.messages.size();
                command();
                const bool told = s.dialogs.messages.size() == before + 1 &&
                                  s.dialogs.lastText() == running && normalPointer;
                refused << name + (told ? "" : " taken");
            };
            for (const auto& [name, command] : commands)
                call(name, command);
            for (QAction* action : {w.M_Read, w.M_Save, w.M_Print, w.M_Kiroku, w.M_Stat, w.M_Setei,
                                    w.M_Kanri, w.M_Ver})
                call(action->objectName(), [action] { action->trigger(); });
        });
        w.Cmd_Find->click();
        QCOMPARE(refused.filter(" taken") << QString::number(refused.size()), QStringList{"20"});
        // The search went on to its end, its rows all shown; nothing was stored meanwhile.
        QCOMPARE(QString("%1 %2 %3")
                     .arg(w.LB_Count->text())
                     .arg(s.grid().Rows() - 1)
                     .arg(s.count("Log_Data")),
                 "300,000件 300000 300000");
    }

    // The heading buttons (each build's row texts are read back in tst_log_grid and
    // tst_csv_export).
    void sorting()
    {
        Session s(Switches{.A_Flg = 1}, kThreeLogs);
        s.w.Cmd_Find->click();
        // The button clicked, the units top to bottom and the arrow: date descending then
        // ascending, another column starts descending, the date column's memory.
        const QString blue = "X00 0002 #0000ff", red = "X00 0001 #ff0000", plain = "X00 0003";
        const auto arrow = [&] {
            QString shown;
            for (int i = 0; i < 6; ++i)
                if (!s.w.Cmb_Sort[i]->icon().isNull())
                    shown += QString::number(i) + s.w.Cmb_Sort[i]->accessibleDescription();
            return shown;
        };
        const std::tuple<int, QStringList, QString> steps[] = {{3, {blue, red, plain}, "3▼"},
                                                               {3, {plain, red, blue}, "3▲"},
                                                               {4, {red, blue, plain}, "4▼"},
                                                               {3, {blue, red, plain}, "3▼"}};
        for (const auto& [button, units, shown] : steps) {
            s.w.Cmb_Sort[button]->click();
            QCOMPARE(s.rows(), units);
            QCOMPARE(arrow(), shown);
        }
        s.w.Cmd_Find->click(); // rows in the database's order again: no arrow
        QCOMPARE(arrow(), QString());
        // Also when the heading was clicked over an empty grid.
        s.w.MSFG->gridModel()->clearRows();
        s.w.Cmb_Sort[3]->click();
        s.w.Cmd_Find->click();
        QCOMPARE(arrow(), QString());
        QVERIFY(s.dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TstMainSearch)
#include "tst_main_search.moc"
