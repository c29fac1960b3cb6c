#pragma once

#include "base/texts/bi_text.h"

// The operation history: what each row's operation is called, its details,
// and the history window.
namespace texts {

namespace history {
// The operations, as the window lists them (the table keeps a code).
inline constexpr BiText SignIn{"ログイン", "Sign-in"};
inline constexpr BiText SignInRefused{"ログイン拒否", "Sign-in refused"};
inline constexpr BiText Read{"読込", "Read"};
inline constexpr BiText CsvSave{"CSV保存", "CSV save"};
inline constexpr BiText Print{"印刷", "Print"};
inline constexpr BiText Save{"データベースの保存", "Preservation"};
inline constexpr BiText SaveAndDelete{"データベースの保存・削除", "Preservation and deletion"};
inline constexpr BiText Delete{"データベースの削除", "Deletion"};
inline constexpr BiText Restore{"保管ログの復元", "Restore archived logs"};
inline constexpr BiText ArchiveLoad{"保存ファイルの読込", "Preservation file load"};
inline constexpr BiText LogMaster{"ログマスターの変更", "Log master change"};
inline constexpr BiText LoginId{"ログインID", "Login ID"};
inline constexpr BiText Password{"パスワード変更", "Password change"};
inline constexpr BiText HandsetName{"ハンドセット名称", "Handset name"};
inline constexpr BiText Set{"複数選択", "Selection set"};
inline constexpr BiText Port{"通信ポート", "Port"};
inline constexpr BiText Limit{"基準値", "Limit"};

// Details of a row, in the language of the PC that did the operation.
// The words of the read's status line: 保存済み (already stored), 保管済み
// (already archived), 無効 (invalid).
inline constexpr BiText ReadDetails{
    "受信 %1件、新規保存 %2件、保存済み %3件、保管済み %4件、無効 %5件",
    "received %1, newly stored %2, already stored %3, already archived %4, invalid %5"};
inline constexpr BiText FileRows{"%1（%2件）", "%1 (%2 logs)"};
inline constexpr BiText PrintDetails{"%1件、%2", "%1 logs, %2"};
inline constexpr BiText Rows{"%1件", "%1 logs"};
inline constexpr BiText RangeRows{"%1～%2、%3件", "%1 to %2, %3 logs"};
inline constexpr BiText LoadDetails{"%1：追加 %2件、保管済み %3件、保存済み %4件",
                                    "%1: %2 logs added, %3 already archived, %4 already stored"};
inline constexpr BiText MasterDetails{"%1（%2項目）", "%1 (%2 entries)"};
inline constexpr BiText Added{"追加 %1", "added %1"};
inline constexpr BiText Changed{"変更 %1", "changed %1"};
inline constexpr BiText Removed{"削除 %1", "deleted %1"};
// A check box of a registration: its caption, on or off.
inline constexpr BiText CheckOn{"%1：あり", "%1: yes"};
inline constexpr BiText CheckOff{"%1：なし", "%1: no"};
inline constexpr BiText ContentSet{"内容 %1", "contents %1"};
inline constexpr BiText UnitSet{"ユニット %1", "units %1"};
inline constexpr BiText PortDetails{"COM%1", "COM%1"};
inline constexpr BiText LimitDetails{"%1（単位 %2）", "%1 (unit %2)"};

inline constexpr BiText NotWritten{"操作履歴を書き込めませんでした。操作は行われています。\n%1",
                                   "The operation history could not be written. The operation "
                                   "was done.\n%1"};

// The history window.
inline constexpr BiText Caption{"操作履歴", "Operation history"};
inline constexpr BiText Label2{"期間", "Period"};
inline constexpr BiText Label3{"ログインID", "Login ID"};
inline constexpr BiText Label4{"～", "to"};
inline constexpr BiText Cmd_Find{"検索", "Search"};
inline constexpr BiText Cmd_Save{"保　存", "Save"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};
inline constexpr BiText HeadWhen{"日時", "Date and time"};
inline constexpr BiText HeadId{"ログインID", "Login ID"};
inline constexpr BiText HeadPc{"パソコン", "PC"};
inline constexpr BiText HeadOperation{"操作", "Operation"};
inline constexpr BiText HeadDetails{"内容", "Details"};
inline constexpr BiText Count{"%1件", "%1 rows"};
inline constexpr BiText SaveBase{"操作履歴", "HISTORY"};
inline constexpr BiText NothingShown{"操作履歴が表示されてません。", "No history is shown."};
inline constexpr BiText Saved{"CSVファイルを作成しました。", "The CSV file was created."};
inline constexpr BiText SaveFailed{"CSVファイルを作成できませんでした。\n%1\n%2",
                                   "The CSV file could not be created.\n%1\n%2"};
inline constexpr BiText ReadFailed{"操作履歴を読めませんでした。\n%1",
                                   "The operation history could not be read.\n%1"};
// A save-and-delete or delete limited to a period: the file, the period, the logs.
inline constexpr BiText FilePeriodRows{"%1（%2～%3、%4件）", "%1 (%2 to %3, %4 logs)"};

// Rows the database writes itself.
inline constexpr BiText TableChange{"テーブルの変更", "Table change"};
inline constexpr BiText HistoryRepair{"操作履歴の修復", "History repair"};
inline constexpr BiText CheckRecord{"記録簿", "Check record"};

// The database server's row (what a connection found), and a row the server
// did not confirm in time.
inline constexpr BiText Server{"データベースサーバー", "Database server"};
inline constexpr BiText NotConfirmed{
    "操作履歴が書き込まれたかどうか分かりません。操作は行われています。\n%1",
    "It is not known whether the operation history was written. The operation was done.\n%1"};
} // namespace history

} // namespace texts
