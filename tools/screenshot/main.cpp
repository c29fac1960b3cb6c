// quarvenix-screenshot OUT.png [en] [WINDOW]
// Pictures the signed-in main window for the documentation: a demonstration
// database in a temporary folder (never the program's own), some of today's
// logs, the default criteria (today, the standard content set) searched.
// With "statistics": four weeks of a fleet's logs more, all dates and
// contents searched, and the statistics window over them. With "records":
// the record book window over today's measurements, most of them recorded.
// The other WINDOW names picture one window over the main window as it
// opens: "login" (the sign-in window), "sets" (the content sets, the
// standard set picked), "admin" (the administration menu), "ids" (the login
// IDs) and "preservation" (the preservation window).
// Run it under a display, e.g. `xvfb-run -a quarvenix-screenshot docs/main-window.png`.
#include "admin/frm_db.h"
#include "admin/frm_id.h"
#include "admin/frm_kanri.h"
#include "app/frm_login.h"
#include "base/app_context.h"
#include "db/database.h"
#include "db/delivered_db.h"
#include "db/log_master_file.h"
#include "db/sql_text.h"
#include "grid_view/log_grid_view.h"
#include "main/frm_main.h"
#include "records/record_save.h"
#include "records_window/frm_kiroku.h"
#include "sets/frm_selection_set.h"
#include "start/program_db.h"
#include "stats_window/frm_stat.h"
#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

struct DemoLog {
    const char* unit;
    const char* time;
    int dataNo;
    int logNo;
    const char* alcohol;
};

// A morning's checks of a small fleet: measurements (blue), alcohol found
// (red), re-measurements (yellow on dark grey) and a measuring error (red).
const DemoLog kLogs[] = {
    {"0080", "06:52:11", 1204, 8, "0.000"},  {"0080", "06:53:40", 1205, 8, "0.000"},
    {"0081", "07:01:05", 877, 8, "0.000"},   {"0082", "07:04:33", 2210, 9, "0.180"},
    {"0082", "07:09:02", 2211, 10, "0.120"}, {"0082", "07:15:47", 2212, 10, "0.050"},
    {"0082", "07:21:30", 2213, 8, "0.000"},  {"0083", "07:20:19", 431, 8, "0.000"},
    {"0084", "07:31:58", 3090, 17, nullptr}, {"0084", "07:33:12", 3091, 8, "0.000"},
    {"0085", "07:45:26", 158, 8, "0.000"},   {"0081", "12:02:44", 878, 8, "0.000"},
    {"0080", "12:30:07", 1206, 8, "0.000"},
};

const char* const kNames[][2] = {
    {"0080", "Truck 3"}, {"0081", "Truck 5"}, {"0082", "Van 12"},
    {"0083", "Bus 1"},   {"0085", "Depot"},
};

// Four weeks before today of six handsets: the morning check (start, measurement, end) of each,
// now and then alcohol found and measured again, a power cycle, a calibration.
QStringList fourWeeks(const QDate& today)
{
    QRandomGenerator random(20240515);
    QStringList rows;
    int dataNo = 5000;
    for (int day = 28; day >= 1; --day) {
        const QString date = today.addDays(-day).toString(QStringLiteral("yyyy-MM-dd"));
        for (int unit = 80; unit <= 85; ++unit) {
            if (random.bounded(7) == 0) // not driven that day
                continue;
            const auto log = [&](int minute, int logNo, const QString& alcohol) {
                rows << QStringLiteral("('00%1', '%2 %3:%4:00', '%5', %6, %7, %8)")
                            .arg(unit)
                            .arg(date)
                            .arg(6 + minute / 60, 2, 10, QLatin1Char('0'))
                            .arg(minute % 60, 2, 10, QLatin1Char('0'))
                            .arg(++dataNo)
                            .arg(logNo)
                            .arg(alcohol.isEmpty() ? QStringLiteral("NULL") : "'" + alcohol + "'",
                                 alcohol.isEmpty() ? QStringLiteral("NULL")
                                                   : QStringLiteral("'01'"));
            };
            const int at = 30 + int(random.bounded(90));
            log(at, 21, {});
            const int found = random.bounded(25) == 0 ? 150 + int(random.bounded(120)) : 0;
            const int value = found > 0 ? found : int(random.bounded(30));
            log(at + 1, 8, QStringLiteral("0.%1").arg(value, 3, 10, QLatin1Char('0')));
            if (found > 0)
                log(at + 20, 10, QStringLiteral("0.%1").arg(found / 3, 3, 10, QLatin1Char('0')));
            log(at + 2, 41, {});
            if (random.bounded(10) == 0)
                log(at + 200, random.bounded(2) == 0 ? 1 : 4, {});
        }
    }
    return rows;
}

// The morning's checks recorded, the afternoon's not yet.
void recordMorning(Database& db, const QDateTime& now)
{
    using namespace check_records;
    const QString today = now.date().toString(QStringLiteral("yyyy-MM-dd "));
    const char* const drivers[][2] = {{"山田 一郎", "品川500あ1203"}, {"鈴木 花子", "品川500い88"},
                                      {"佐藤 健", "社用車12"},        {"高橋 誠", "多摩300う45"},
                                      {"田中 美咲", "社用車7"},       {"伊藤 翔", "品川500え9"}};
    int next = 0;
    for (const DemoLog& log : kLogs) {
        if (!log.alcohol || QLatin1String(log.time) > QLatin1String("12:00:00"))
            continue;
        const int d = QLatin1String(log.unit).right(1).toInt() % 6;
        const bool found = QLatin1String(log.alcohol) != QLatin1String("0.000");
        const Entry e{QString::fromUtf8(drivers[d][0]),
                      QString::fromUtf8(drivers[d][1]),
                      Phase::BeforeDriving,
                      QStringLiteral("安全 管理"),
                      next++ % 4 == 3 ? Method::Telephone : Method::FaceToFace,
                      found,
                      found ? QStringLiteral("乗務させない") : QString(),
                      QString()};
        save(db,
             {QLatin1String(log.unit), today + QLatin1String(log.time),
              QStringLiteral("%1").arg(log.dataNo, 4, 10, QLatin1Char('0'))},
             e, {QStringLiteral("admin"), now, false, QStringLiteral("X00 ")});
    }
}

// Login IDs beside admin, one of them an administrator.
const char* const kLogins[][3] = {{"tanaka", "田中", "0"}, {"suzuki", "鈴木", "1"}};

const QStringList kWindows = {QStringLiteral("statistics"), QStringLiteral("login"),
                              QStringLiteral("sets"),       QStringLiteral("admin"),
                              QStringLiteral("ids"),        QStringLiteral("preservation"),
                              QStringLiteral("records")};

// The window a WINDOW name pictures, opened over the main window; none for
// the main window itself and for the statistics.
std::unique_ptr<QWidget> openWindow(const QString& name, AppContext& ctx, ProgramDb& program,
                                    Frm_Main& main)
{
    if (name == QLatin1String("login")) {
        auto login = std::make_unique<Frm_Login>(ctx, program, [] {});
        login->Txt_Id->setText(QStringLiteral("admin"));
        return login;
    }
    if (name == QLatin1String("sets")) {
        auto sets = std::make_unique<Frm_Sentaku>(ctx, &main);
        if (sets->Cmb_Name->count() > 0) {
            sets->Cmb_Name->setCurrentIndex(0);
            sets->Cmb_Name_Click();
        }
        return sets;
    }
    if (name == QLatin1String("admin"))
        return std::make_unique<Frm_Kanri>(ctx, &main);
    if (name == QLatin1String("ids"))
        return std::make_unique<Frm_ID>(ctx, &main);
    if (name == QLatin1String("preservation"))
        return std::make_unique<Frm_DB>(ctx, &main);
    if (name == QLatin1String("records"))
        return std::make_unique<Frm_Kiroku>(ctx, &main);
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool english = args.contains(QStringLiteral("en"));
    const QString pictured = args.size() > 2 + int(english) ? args.last() : QString();
    const bool statistics = pictured == QLatin1String("statistics");
    if (args.size() < 2 || args.size() > 3 + int(english) ||
        (!pictured.isEmpty() && !kWindows.contains(pictured))) {
        std::fprintf(stderr, "usage: quarvenix-screenshot OUT.png [en] [%s]\n",
                     qPrintable(kWindows.join(QLatin1Char('|'))));
        return 2;
    }
    QFile masterFile(QDir(app.applicationDirPath()).filePath(QStringLiteral("log_master.mst")));
    if (!masterFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quarvenix-screenshot: no log_master.mst beside the tool\n");
        return 1;
    }
    const auto master = log_master_file::parse(masterFile.readAll());

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "quarvenix-screenshot: no temporary folder\n");
        return 1;
    }
    const QDateTime now = QDateTime::currentDateTime();
    QString error = delivered_db::createMissing(dir.path(), master.entries, now);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "quarvenix-screenshot: %s\n", qPrintable(error));
        return 1;
    }

    Database db;
    QtDialogs dialogs;
    AppContext ctx;
    ctx.sw.Eng_Flg = english ? 1 : 0;
    ctx.appDir = dir.path();
    ctx.db = &db;
    ctx.dialogs = &dialogs;
    ctx.quit = [] {};
    if (!DB_Open(db, ctx.appDir, ctx.sw, &error)) {
        std::fprintf(stderr, "quarvenix-screenshot: %s\n", qPrintable(error));
        return 1;
    }
    const QString today = now.date().toString(QStringLiteral("yyyy-MM-dd "));
    for (const DemoLog& log : kLogs) {
        db.execute(QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, "
                                  "Tani, WDate) VALUES ('%1', '%2', '%3', %4, %5, %6, '%7')")
                       .arg(QLatin1String(log.unit), today + QLatin1String(log.time))
                       .arg(log.dataNo, 4, 10, QLatin1Char('0'))
                       .arg(log.logNo)
                       .arg(log.alcohol ? QStringLiteral("'%1'").arg(QLatin1String(log.alcohol))
                                        : QStringLiteral("NULL"),
                            log.alcohol ? QStringLiteral("'01'") : QStringLiteral("NULL"),
                            storedDateTime(now)));
    }
    for (const auto& name : kNames) {
        db.execute(QStringLiteral("INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('%1', '%2')")
                       .arg(QLatin1String(name[0]), QLatin1String(name[1])));
    }
    for (const auto& login : kLogins) {
        db.execute(QStringLiteral("INSERT INTO Login (ID, Name, Pass, Date, Kanri) "
                                  "VALUES ('%1', '%2', '-', '%3', %4)")
                       .arg(QLatin1String(login[0]), QString::fromUtf8(login[1]),
                            storedDateTime(now), QLatin1String(login[2])));
    }

    if (statistics) {
        db.execute(QStringLiteral("INSERT INTO Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, "
                                  "Tani) VALUES ") +
                   fourWeeks(now.date()).join(QLatin1Char(',')));
    }

    Frm_Main window(ctx);
    window.Form_Load();
    window.show();
    if (statistics) {
        window.Opt_Ngh[0]->setChecked(true);
        window.Opt_Naiyou[0]->setChecked(true);
    }
    window.Cmd_Find_Click();
    if (!statistics) { // sorted by time, the heading's arrow pointing up
        window.Cmb_Sort_Click(4);
        window.Cmb_Sort_Click(4);
    }
    if (pictured == QLatin1String("records")) { // the morning's checks recorded
        recordMorning(db, now);
        ctx.loginId = QStringLiteral("admin");
    }
    ProgramDb program;
    std::unique_ptr<QWidget> other =
        statistics ? std::make_unique<Frm_Stat>(ctx, *window.MSFG->gridModel(), &window)
                   : openWindow(pictured, ctx, program, window);
    if (other)
        other->show();
    QWidget& shown = other ? *other : static_cast<QWidget&>(window);
    QTimer::singleShot(500, &window, [&] {
        const bool saved = shown.grab().save(args[1]);
        if (!saved)
            std::fprintf(stderr, "quarvenix-screenshot: cannot write %s\n", qPrintable(args[1]));
        QApplication::exit(saved ? 0 : 1);
    });
    const int code = QApplication::exec();
    db.close();
    return code;
}
