#pragma once

#include "grid/log_grid_model.h"
#include "grid_view/log_grid_view.h"
#include "main/frm_main.h"
#include "support/pdf_text.h"
#include "support/test_db.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>

// A loaded main window on a delivered database changed by `sql` (statements separated by ";"), with
// all dates and contents chosen, for saving and printing what its grid shows.
struct ShownLogs : TestApp {
    explicit ShownLogs(Switches sw = {}, const QString& sql = {}) : TestApp(sw)
    {
        for (const QString& statement : sql.split(';', Qt::SkipEmptyParts))
            db.execute(statement);
        w.Form_Load();
        w.Opt_Ngh[0]->click();
        w.Opt_Naiyou[0]->click();
    }
    // Saves through the save button into `name` in the test folder; the file's bytes.
    QByteArray save(const QString& name = "saved.csv")
    {
        dialogs.fileAnswers << dir.filePath(name);
        w.Cmd_Save->click();
        return QFile::exists(dir.filePath(name)) ? fileBytes(dir.filePath(name)) : "(no file)";
    }
    // Prints through the print button into a PDF file (through the print dialog, or without a
    // print queue through the offer of a PDF file); its text, "" when there is none.
    QString print(const QString& pdf = "listing.pdf")
    {
        dialogs.onPrint = [this, pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(pdf));
        };
        if (QPrinterInfo::availablePrinterNames().isEmpty()) {
            dialogs.answers << MsgAnswer::Yes;
            dialogs.fileAnswers << dir.filePath(pdf);
        }
        w.Cmd_Print->click();
        return QFile::exists(dir.filePath(pdf)) ? pdfText(dir.filePath(pdf)) : QString();
    }
    const LogGridModel& grid() const { return *w.MSFG->gridModel(); }
    Frm_Main w{ctx};
};

// A measurement of a named unit, an alarm, a log number without a content.
inline const QString kThreeLogs =
    "INSERT INTO Kiki_Name (Unit_SN, Name) VALUES ('0002', 'Truck 3');"
    "INSERT INTO Log_Data (Date, Data_No, Unit_SN, Log_No, Alcohol, Tani) VALUES "
    "('2024-03-01 09:00:00', '1', '0002', 8, '0.150', '01'), "
    "('2024-01-01 08:00:00', '2', '0003', 99, NULL, NULL), "
    "('2024-02-01 17:00:00', '3', '0001', 9, '0.300', '01')";

// The statement storing `count` logs of unit 0001, one a day, the first one a measurement.
inline QString logsOfOneUnit(int count)
{
    QStringList values;
    for (int i = 0; i < count; ++i)
        values << QString("('2024-05-%1 08:%2:05', '%3', '0001', %4, '0.150', '01')")
                      .arg(1 + i % 28, 2, 10, QChar('0'))
                      .arg(i % 60, 2, 10, QChar('0'))
                      .arg(i, 4, 10, QChar('0'))
                      .arg(i == 0 ? 8 : 21);
    return "INSERT INTO Log_Data (Date, Data_No, Unit_SN, Log_No, Alcohol, Tani) VALUES " +
           values.join(',');
}
