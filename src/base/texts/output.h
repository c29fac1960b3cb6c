#pragma once

#include "base/texts/bi_text.h"

// Saving the grid as CSV and printing it.
namespace texts {

// Saving the grid as CSV and printing it (Cmd_Save, Cmd_Print).
namespace output {
// The save dialog's file types (also used by the preservation window).
inline constexpr BiText CsvFilter{"CSV形式(*.csv)|*.csv|すべて(*.*)|*.*",
                                  "CSV形式(*.csv)|*.csv|すべて(*.*)|*.*"};
inline constexpr BiText SaveTitle{"保存", "SAVE"};
inline constexpr BiText SaveNothing{"ログが表示されてません。", "The log is not displayed. "};
inline constexpr BiText SaveBase{"ログ", "LOG"}; // proposed name: base, time stamp, ".csv"
inline constexpr BiText CsvDone{"CSVファイルを作成しました。", "CSVファイルを作成しました。"};
inline constexpr BiText CsvDoneTitle{"CSV作成", "CSV作成"};
inline constexpr BiText CsvFailed{"CSVファイルを作成できませんでした。\n%1\n%2",
                                  "The CSV file could not be created.\n%1\n%2"};
inline constexpr BiText CsvReplaced{
    "Shift_JISで書けない文字があったため、「?」に置き換えて保存しました。",
    "Some characters cannot be written in Shift_JIS; they were saved as \"?\"."};
inline constexpr BiText PrintTitle{"印刷", "Print"};
inline constexpr BiText PrintNothing{"ログが表示されてません。", "The log is not displayed."};
inline constexpr BiText PrintDone{"ログを印刷しました。", "ログを印刷しました。"};
inline constexpr BiText PrintDoneTitle{"ログ作成", "ログ作成"};
inline constexpr BiText PrintFailed{"ログを印刷できませんでした。\n%1",
                                    "The log could not be printed.\n%1"};
inline constexpr BiText NoPrinter{"プリンターが選ばれていないか、使用できません。",
                                  "No printer is chosen, or the printer cannot be used."};
inline constexpr BiText PrinterStopped{"印刷の途中でプリンターがエラーになりました。",
                                       "The printer failed during the job."};
inline constexpr BiText FileNotWritten{"ファイルを書き込めませんでした。（%1）",
                                       "The file could not be written (%1)."};
inline constexpr BiText FileIncomplete{
    "ファイルを最後まで書けませんでした。ディスクの空きを確かめてください。",
    "The file could not be written to its end; check the free space on the disk."};
// With no print queue installed the print dialog has no printer to offer.
inline constexpr BiText NoQueuePdf{
    "プリンターがインストールされていません。\nログをPDFファイルに印刷しますか？",
    "No printer is installed.\nPrint the log into a PDF file instead?"};
inline constexpr BiText PdfFilter{"PDF形式(*.pdf)|*.pdf|すべて(*.*)|*.*",
                                  "PDF形式(*.pdf)|*.pdf|すべて(*.*)|*.*"};
inline constexpr BiText JobRefused{"プリンターが印刷を受け付けませんでした。（%1）",
                                   "The printer refused the job (%1)."};
} // namespace output

} // namespace texts
