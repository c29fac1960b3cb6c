#pragma once

#include "main/frm_main.h"
#include "main/log_grid_model.h"
#include "main/log_grid_view.h"
#include "support/pdf_text.h"
#include "support/test_db.h"

#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

// A main window whose grid shows `logs` stored logs of unit 0001 in data number order, the
// first one a measurement, for printing through its print button.
struct PrintSession : TestApp {
    explicit PrintSession(Switches sw = {}, int logs = 2) : TestApp(sw)
    {
        QStringList values;
        for (int i = 0; i < logs; ++i)
            values << QString("('2024-05-%1 08:%2:05', '%3', '0001', %4, '0.150', '01')")
                          .arg(1 + i % 28, 2, 10, QChar('0'))
                          .arg(i % 60, 2, 10, QChar('0'))
                          .arg(i, 4, 10, QChar('0'))
                          .arg(i == 0 ? 8 : 21);
        db.execute("INSERT INTO Log_Data (Date, Data_No, Unit_SN, Log_No, Alcohol, Tani) VALUES " +
                   values.join(','));
        w.Form_Load();
        w.Opt_Ngh[0]->click();
        w.Opt_Naiyou[0]->click();
        w.Cmd_Find->click();
        w.Cmb_Sort[2]->click();
        w.Cmb_Sort[2]->click(); // data number ascending
    }
    // Prints through the print button into a PDF file; its text, "" when there is none.
    QString print(const QString& pdf = "listing.pdf")
    {
        dialogs.onPrint = [this, pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(pdf));
        };
        w.Cmd_Print->click();
        return QFile::exists(dir.filePath(pdf)) ? pdfText(dir.filePath(pdf)) : QString();
    }
    const LogGridModel& grid() const { return *w.MSFG->gridModel(); }
    Frm_Main w{ctx};
};
