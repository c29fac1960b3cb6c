#pragma once

#include "admin/frm_db.h"
#include "support/shown_logs.h"
#include "support/test_db.h"

#include <QDate>
#include <QtWidgets>

// Runs an operation of the preservation window (0 save, 1 save and delete, 2 delete, 3 restore,
// 4 load into the archive) on the file, over the period when one is given.
inline void runPreservation(Frm_DB& w, int option, const QString& path, QDate from = {},
                            QDate to = {})
{
    w.Opt_Del[option]->click();
    w.Txt_FName->setText(path);
    if (from.isValid()) {
        w.Dtp_Kikan[0]->setDate(from);
        w.Dtp_Kikan[1]->setDate(to);
    }
    w.Cmd_Hozon->click();
}

// A window on a delivered database holding logs and contents of the test's own.
struct Preservation : TestApp {
    explicit Preservation(Switches sw = {}) : TestApp(sw) {}

    // Rows of fields joined by "|", "~" for a null value.
    void insert(const QString& into, const QStringList& rows)
    {
        for (const QString& row : rows) {
            QStringList values;
            for (const QString& f : row.split('|'))
                values << (f == "~" ? "NULL" : "'" + f + "'");
            db.execute("INSERT INTO " + into + " VALUES (" + values.join(',') + ")");
        }
    }
    void addLogs(const QStringList& logs) // "unit|date|data no|log no|alcohol|tani"
    {
        insert("Log_Data (Unit_SN, Date, Data_No, Log_No, Alcohol, Tani)", logs);
    }
    QString table(const QString& name)
    {
        return rowTexts(db, "SELECT * FROM " + name + " ORDER BY Unit_SN, Date, Data_No")
            .join('\n');
    }
    void run(int option, const QString& path) { runPreservation(w, option, path); }
    QString file(const QString& name) const { return dir.filePath(name); }

    Frm_DB w{ctx};
};

inline const QStringList kTwoLogs{"0080|2024-05-01 08:30:05|0001|8|0.150|01",
                                  "0081|2024-05-02 09:00:00|0002|17|~|~"};

// The main window beside the preservation window, signed in as admin, for the archive.
struct Archive : ShownLogs {
    Archive() : ShownLogs({}, "INSERT INTO Log_Master (Log_No, Naiyou) VALUES (90, 'Door')")
    {
        ctx.loginId = "admin";
    }
    // Runs an operation of the preservation window; the messages it showed.
    QStringList run(int option, const QString& path = {})
    {
        dialogs.clear();
        Frm_DB f(ctx);
        runPreservation(f, option, path.isEmpty() ? dir.filePath("kept.csv") : path,
                        QDate(2024, 5, 1), QDate(2024, 5, 31));
        QStringList shown;
        for (const auto& m : dialogs.messages)
            shown << m.text + (m.buttons == MsgButtons::YesNoDefaultNo ? " [No]" : "");
        return shown;
    }
    // Searches every log, or May 2024 ("05"), with the preserved logs or not: the data numbers
    // shown, and the count.
    QString search(bool withArchive, const QString& month = {})
    {
        w.Chk_Hozonzumi->setChecked(withArchive);
        w.Opt_Ngh[month.isEmpty() ? 0 : 1]->click();
        for (int end = 0; end < 2 && !month.isEmpty(); ++end) {
            const QString ymd[] = {"2024", month, end == 0 ? "01" : "31"};
            const std::array boxes{w.Cmb_Nen[end], w.Cmb_Tuki[end], w.Cmb_Hi[end]};
            for (int i = 0; i < 3; ++i) {
                const int index = boxes[i]->findText(ymd[i]);
                index >= 0 ? boxes[i]->setCurrentIndex(index) : boxes[i]->setEditText(ymd[i]);
            }
        }
        w.Cmd_Find->click();
        QStringList shown;
        for (int r = 1; r < grid().Rows(); ++r)
            shown << grid().TextMatrix(r, 2);
        shown.sort();
        return shown.join(',') + ' ' + w.LB_Count->text();
    }
};
