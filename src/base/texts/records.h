#pragma once

#include "base/texts/bi_text.h"

// The check record book: its fields and their values, the record book
// window, the printed book and the record's history details.
namespace texts {

namespace records {
// The fields of a record, as the window, the CSV heading and the print name them.
inline constexpr BiText HeadStatus{"状態", "Status"};
inline constexpr BiText HeadWhen{"日時", "Date and time"};
inline constexpr BiText HeadHandset{"機器", "Handset"};
inline constexpr BiText HeadValue{"測定値", "Value"};
inline constexpr BiText HeadDetected{"酒気帯び", "Alcohol detected"};
inline constexpr BiText HeadDriver{"運転者", "Driver"};
inline constexpr BiText HeadVehicle{"車両番号", "Vehicle"};
inline constexpr BiText HeadPhase{"確認区分", "Check"};
inline constexpr BiText HeadChecker{"確認者名", "Checker"};
inline constexpr BiText HeadMethod{"確認方法", "Method"};
inline constexpr BiText HeadInstructions{"指示事項", "Instructions"};
inline constexpr BiText HeadRemarks{"備考", "Remarks"};
inline constexpr BiText HeadRecorded{"記録日時", "Recorded"};
inline constexpr BiText HeadRecordedBy{"記録ID", "Recorded by"};

// The values of the fields that take one of a few.
inline constexpr BiText BeforeDriving{"運転前", "Before driving"};
inline constexpr BiText AfterDriving{"運転後", "After driving"};
inline constexpr BiText FaceToFace{"対面・検知器使用", "Face to face with the detector"};
inline constexpr BiText Telephone{"電話・検知器使用", "Telephone with the detector"};
inline constexpr BiText VideoCall{"ビデオ通話・検知器使用", "Video call with the detector"};
inline constexpr BiText OtherMethod{"その他", "Other"};
inline constexpr BiText Detected{"有", "Yes"};
inline constexpr BiText NotDetected{"無", "No"};

// How a row of the window stands out (besides its colour).
inline constexpr BiText NoRecord{"未記録", "No record"};
inline constexpr BiText AlcoholFound{"酒気帯び有", "Alcohol detected"};
inline constexpr BiText MarkJoin{"・", ", "};

// The window.
inline constexpr BiText Caption{"記録簿", "Check records"};
inline constexpr BiText Label2{"期間", "Period"};
inline constexpr BiText Label4{"～", "to"};
inline constexpr BiText Chk_Hozonzumi{"保管ログも含める", "Include archived logs"};
inline constexpr BiText Cmd_Find{"検索", "Search"};
inline constexpr BiText Cmd_Add{"登録", "Record"};
inline constexpr BiText Cmd_Print{"印刷", "Print"};
inline constexpr BiText Cmd_Save{"保　存", "Save"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};
inline constexpr BiText Count{"%1件（未記録 %2件）", "%1 logs (%2 without a record)"};
inline constexpr BiText Recorded{"記録しました：%1", "Recorded: %1"};
inline constexpr BiText Unchanged{"変更はありません：%1", "Nothing changed: %1"};
inline constexpr BiText AllRecorded{"表示されているログはすべて記録済みです。",
                                    "Every log shown has a record."};
inline constexpr BiText Editing{"%1 %2 %3", "%1 %2 %3"}; // date and time, handset, value

// Refusals of a save.
inline constexpr BiText EmptyField{"%1を入力してください。", "Enter the %1."};
inline constexpr BiText TooLong{"%1は%2文字以内で入力してください。",
                                "The %1 takes at most %2 characters."};
inline constexpr BiText BadCharacter{
    "%1に記録できない文字があります（Shift_JISにない文字や制御文字）。",
    "The %1 holds a character that cannot be recorded (one Shift_JIS does not have, or a "
    "control character)."};
inline constexpr BiText Cleared{"記録は消去できません。運転者と車両番号を入力してください。",
                                "A record cannot be cleared. Enter the driver and the vehicle."};
inline constexpr BiText NotAdministrator{"管理者でないIDは記録を変更できません。",
                                         "An ID without administrator rights cannot change a "
                                         "record."};
inline constexpr BiText NoMeasurement{"このログは測定値のあるログとして保存されていません。",
                                      "This log is not stored as a log with a measured value."};
inline constexpr BiText NoRowChosen{"記録するログを選んでください。", "Choose the log to record."};
inline constexpr BiText SaveFailed{"記録を保存できませんでした。\n%1",
                                   "The record could not be saved.\n%1"};
inline constexpr BiText ReadFailed{"記録簿を読めませんでした。\n%1",
                                   "The check records could not be read.\n%1"};

// Saving and printing the book.
inline constexpr BiText NothingShown{"記録簿に表示されているログがありません。",
                                     "No logs are shown."};
inline constexpr BiText SaveBase{"記録簿", "CHECKRECORDS"};
inline constexpr BiText Saved{"CSVファイルを作成しました。", "The CSV file was created."};
inline constexpr BiText CsvFailed{"CSVファイルを作成できませんでした。\n%1\n%2",
                                  "The CSV file could not be created.\n%1\n%2"};
inline constexpr BiText Printed{"記録簿を印刷しました。", "The check records were printed."};
inline constexpr BiText PrintFailed{"記録簿を印刷できませんでした。\n%1",
                                    "The check records could not be printed.\n%1"};

// The printed book.
inline constexpr BiText BookTitle{"アルコールチェック記録簿", "Alcohol check record"};
inline constexpr BiText BookPeriod{"期間：%1～%2", "Period: %1 to %2"};
inline constexpr BiText BookDepot{"事業所名：%1", "Depot: %1"};
inline constexpr BiText BookPage{"%1／%2 ページ", "Page %1 of %2"};
inline constexpr BiText BookPrinted{"印刷日：%1", "Printed: %1"};
inline constexpr BiText BookSeal{"安全運転管理者 確認印", "Safe driving manager's seal"};
inline constexpr BiText BookDate{"yyyy年MM月dd日", "yyyy/MM/dd"}; // a QDate format

// The operation history's details of a record saved, in the PC's language:
// the log (unit, date and time, data number), then what it held before.
inline constexpr BiText HistoryAdded{"追加 %1", "added %1"};
inline constexpr BiText HistoryChanged{"変更 %1 変更前：%2", "changed %1, before: %2"};
inline constexpr BiText HistoryLog{"%1 %2 No.%3", "%1 %2 No.%3"};
inline constexpr BiText HistoryValue{"%1=%2", "%1=%2"};
inline constexpr BiText HistoryJoin{"、", ", "};
} // namespace records

} // namespace texts
