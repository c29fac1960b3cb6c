// The operation history written by the real windows, its protection, window and CSV file.
#include "admin/frm_db.h"
#include "admin/frm_id.h"
#include "admin/frm_kiki.h"
#include "admin/frm_lmaster.h"
#include "admin/frm_rireki.h"
#include "app/frm_login.h"
#include "base/texts/app.h"
#include "base/texts/history.h"
#include "comm_window/frm_com.h"
#include "history/op_history.h"
#include "sets/frm_selection_set.h"
#include "stats_window/frm_stat.h"
#include "support/preservation_window.h"
#include "support/shown_logs.h"

#include <QStringEncoder>
#include <QTest>
#include <QtWidgets>

namespace {

// The main window on three logs, signed in as taro.
struct History : ShownLogs {
    History()
        : ShownLogs({}, kThreeLogs + ";INSERT INTO Login (ID, Name, Pass) VALUES ('taro', "
                                     "'Taro', '')")
    {
        ctx.loginId = "taro";
    }
    // The newest row: "operation|ID|details", the test folder written as "{dir}".
    QString newest()
    {
        const QStringList rows =
            rowTexts(db, "SELECT Operation, ID, Details FROM Op_History ORDER BY No DESC");
        return rows.isEmpty() ? QString() : QString(rows.first()).replace(dir.path(), "{dir}");
    }
    // Runs an operation of the preservation window; a restore over January and February.
    void preserve(int option, const QString& name = "kept.csv")
    {
        Frm_DB f(ctx);
        runPreservation(f, option, dir.filePath(name), QDate(2024, 1, 1), QDate(2024, 2, 29));
    }
    void signIn(const QString& id, const QString& pass)
    {
        Frm_Login login(ctx, program, {});
        login.Txt_Id->setText(id);
        login.Txt_Pass->setText(pass);
        dialogs.answers << MsgAnswer::No; // not now: the delivered password's question
        login.Cmd_Login->click();
    }
};

} // namespace

class TstHistory : public QObject {
    Q_OBJECT

private slots:
    void rowPerOperation_data()
    {
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* operation, const char* expected) {
            QTest::newRow(operation) << QString(expected);
        };
        row("sign-in", "SignIn|admin|");
        row("sign-in refused, known ID", "SignInRefused|admin|");
        row("sign-in refused, unknown ID", "SignInRefused||"); // never what was typed
        row("CSV save", "CsvSave|taro|{dir}/saved.csv（3件）");
        row("print", "Print|taro|3件、");
        row("save", "Save|taro|{dir}/kept.csv（3件）");
        row("save and delete", "SaveAndDelete|taro|{dir}/kept.csv（3件）");
        row("delete", "Delete|taro|3件");
        row("restore", "Restore|taro|2024/01/01～2024/02/29、2件");
        row("archive load", "ArchiveLoad|taro|{dir}/old.csv：追加 1件、保管済み 0件、保存済み 0件");
        row("log master", "LogMaster|taro|{master}（%1項目）");
        row("login ID", "LoginId|taro|追加 hanako 花子 管理者：なし");
        row("password", "Password|taro|admin");
        row("handset name", "HandsetName|taro|変更 0002 Truck 9");
        row("set", "Set|taro|追加 内容 Mine");
        row("port", "Port|taro|COM3");
        row("limit", "Limit|taro|0.200（単位 01）");
    }
    void rowPerOperation()
    {
        QFETCH(QString, expected);
        History h;
        useProgramRole(h);
        const QString op = QTest::currentDataTag();
        h.w.Cmd_Find->click(); // the grid shows the three logs
        if (op == "sign-in") {
            h.signIn("admin", "846");
        } else if (op.startsWith("sign-in refused")) {
            h.signIn(op.contains("unknown") ? "someone" : "admin", "wrong");
        } else if (op == "CSV save") {
            h.save();
        } else if (op == "print") {
            h.print();
        } else if (op.startsWith("save") || op == "delete" || op == "restore") {
            h.preserve(op == "save" ? 0 : op == "save and delete" ? 1 : 2);
            if (op == "restore")
                h.preserve(3);
        } else if (op == "archive load") {
            QVERIFY(writeFile(h.dir.filePath("old.csv"), "X00 0080,2023/05/01,7,Door\r\n"));
            h.db.execute("INSERT INTO Log_Master (Log_No, Naiyou) VALUES (90, 'Door')");
            h.preserve(4, "old.csv");
        } else if (op == "log master") {
            const auto tableChanges = [&h] {
                return firstColumn(h.db, "SELECT count(*) FROM Op_History WHERE Operation = "
                                         "'TableChange'");
            };
            const QStringList before = tableChanges();
            Frm_LMaster f(h.ctx, nullptr);
            f.Txt_FName->setText(QVX_LOG_MASTER_FILE);
            f.Cmd_Henkou->click();
            // A server records a change per statement: the emptying and the one insertion.
            QCOMPARE(tableChanges().value(0).toInt() - before.value(0).toInt(),
                     h.engine == DbEngine::Postgresql ? 2 : 0);
            expected =
                expected.replace("{master}", QVX_LOG_MASTER_FILE).arg(deliveredLogMaster().size());
        } else if (op == "login ID" || op == "password") {
            Frm_ID f(h.ctx);
            f.Txt_Id->setText(op == "password" ? "admin" : "hanako");
            f.Txt_Name->setText("花子");
            f.Txt_Pass->setText("newpass");
            f.Txt_PassK->setText("newpass");
            f.Chk_Kanri->setChecked(false); // stays on for admin
            f.Cmd_Add->click();
        } else if (op == "handset name") {
            Frm_Kiki f(h.ctx);
            f.Cmb_SN->setEditText("0002");
            f.Txt_Name->setText("Truck 9");
            f.Cmd_Add->click();
        } else if (op == "set") {
            Frm_Sentaku f(h.ctx, nullptr);
            f.List_Nai->item(0)->setSelected(true);
            f.Cmb_Name->setEditText("Mine");
            f.Cmd_Add->click();
        } else if (op == "port") {
            Frm_Com f(h.ctx);
            f.Cmb_Port->setCurrentText("3");
            f.Cmd_Add->click();
        } else if (op == "limit") {
            const auto f = Frm_Stat::forGrid(h.ctx, h.grid(), &h.w);
            f->Txt_Limit->setText("0.200");
            f->Cmd_Limit->click();
        }
        // A print names the printer chosen; this one prints into a file.
        const QString newest = h.newest();
        QCOMPARE(op == "print" ? newest.section("、", 0, 0) + "、" : newest, expected);
        QVERIFY2(!h.dialogs.lastText().contains(texts::history::Caption.ja_()),
                 qPrintable(h.dialogs.lastText()));
    }

    // Rows can only be added, on both engines, also by the program's role on a server.
    void rowsStay()
    {
        History h;
        useProgramRole(h);
        op_history::add(h.ctx, nullptr, op_history::Op::SignIn);
        const qint64 rows = h.count("Op_History"); // on a server also the seeding's changes
        for (const char* change : {"UPDATE Op_History SET ID = 'x'", "DELETE FROM Op_History"})
            QVERIFY_THROWS_EXCEPTION(DbError, h.db.execute(change));
        QCOMPARE(h.count("Op_History"), rows);
    }

    void repaired_data()
    {
        QTest::addColumn<QStringList>("sql");
        QTest::addColumn<QString>("repair");
        QTest::newRow("trigger dropped") << QStringList{"DROP TRIGGER op_history_kept_delete"}
                                         << "op_history_kept_delete: missing";
        QTest::newRow("trigger changed")
            << QStringList{"DROP TRIGGER op_history_kept_delete",
                           "CREATE TRIGGER op_history_kept_delete BEFORE DELETE ON Op_History "
                           "BEGIN SELECT 1; END"}
            << "op_history_kept_delete: changed";
        QTest::newRow("trigger that drops new rows")
            << QStringList{"CREATE TRIGGER quiet BEFORE INSERT ON Op_History BEGIN SELECT "
                           "RAISE(IGNORE); END"}
            << "quiet: not the program's, dropped";
        QTest::newRow("table dropped") // its triggers go with it
            << QStringList{"DROP TABLE Op_History"}
            << "Op_History: missing; op_history_kept_update: missing; op_history_kept_delete: "
               "missing";
    }
    // A file whose history was tampered with is repaired when the program starts; the history
    // says so, and admin is told at sign-in, once.
    void repaired()
    {
        QFETCH(QStringList, sql);
        QFETCH(QString, repair);
        if (testEngine() == DbEngine::Postgresql)
            QSKIP("a server's history belongs to the tables' owner");
        TestApp app(DbEngine::Sqlite, Switches{}, false);
        app.db.open(app.dbPath());
        app.db.execute("INSERT INTO Op_History (Date, ID, PC, Operation, Details) VALUES "
                       "('2024-05-01 08:00:00', 'taro', 'pc', 'Print', '')");
        for (const QString& statement : sql)
            app.db.execute(statement);
        app.db.close();
        for (int start = 0; start < 2; ++start) {
            Frm_Login login(app.ctx, app.program, {});
            QVERIFY(login.Form_Load());
            login.Txt_Id->setText("admin");
            login.Txt_Pass->setText("846");
            app.dialogs.answers << MsgAnswer::No; // not now: the delivered password's question
            login.Cmd_Login->click();
            app.db.close();
            app.program.claim.release();
        }
        const QString told =
            texts::login::HistoryRepaired.ja_().arg(QString(repair).replace("; ", "\n"));
        QCOMPARE(app.dialogs.shown().filter(told).size(), 1);
        app.db.open(app.dbPath());
        QStringList expected{"Print|taro|", "HistoryRepair||" + repair, "SignIn|admin|",
                             "SignIn|admin|"};
        if (repair.startsWith("Op_History"))
            expected.removeFirst(); // the dropped table took its rows along
        QCOMPARE(rowTexts(app.db, "SELECT Operation, ID, Details FROM Op_History ORDER BY No"),
                 expected);
        QVERIFY_THROWS_EXCEPTION(DbError, app.db.execute("DELETE FROM Op_History"));
    }

    // The window: newest first, a period and an ID; its CSV file as the program writes CSV.
    void window()
    {
        History h;
        const QString pc = QSysInfo::machineHostName();
        // Dated as they are stored (a server dates the program's rows by its own clock).
        const auto add = [&](const char* when, const char* id, const char* details) {
            h.db.execute("INSERT INTO Op_History (Date, ID, PC, Operation, Details) VALUES (?, ?, "
                         "?, 'CsvSave', ?)",
                         {when, id, pc, details});
        };
        add("2024-04-30 23:59:00", "taro", "too early");
        add("2024-05-01 08:00:00", "taro", "a,b");
        add("2024-05-02 09:00:00", "hanako", "other ID");
        add("2024-05-03 10:00:00", "taro", "last");
        Frm_Rireki f(h.ctx);
        QCOMPARE(f.MSFG->model()->rowCount(), 4); // the last month
        f.Dtp_Kikan[0]->setDate(QDate(2024, 5, 1));
        f.Cmb_Id->setCurrentText("taro");
        f.Cmd_Find->click();
        QCOMPARE(f.LB_Count->text(), "2件");
        h.dialogs.fileAnswers << h.dir.filePath("history.csv");
        f.Cmd_Save->click();
        QCOMPARE(h.dialogs.fileRequests.constLast().request.fileName, "操作履歴20240515103000.csv");
        QCOMPARE(fileBytes(h.dir.filePath("history.csv")),
                 QStringEncoder("Shift_JIS")
                     .encode(QString("日時,ログインID,パソコン,操作,内容\r\n"
                                     "2024/05/03 10:00:00,taro,%1,CSV保存,last\r\n"
                                     "2024/05/01 08:00:00,taro,%1,CSV保存,a，b\r\n")
                                 .arg(pc)));
    }
};

QTEST_MAIN(TstHistory)
#include "tst_history.moc"
