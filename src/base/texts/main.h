#pragma once

#include "base/texts/bi_text.h"

// The main window and its status line.
namespace texts {

// The main window.
namespace main_window {
inline constexpr BiText Caption{"クアルヴェニクス　システム", "QUARVENIX SYSTEM"};
inline constexpr BiText Frame1{"年月日", "DATE"};
inline constexpr BiText Opt_Ngh0{"全て", "ALL"};
inline constexpr BiText Opt_Ngh1{"日付指定", "DATE"};
inline constexpr BiText LabelYear{"年", "Y"};
inline constexpr BiText LabelMonth{"月", "M"};
inline constexpr BiText LabelDay{"日", "D"};
inline constexpr BiText Label7{"～", "～"};
inline constexpr BiText Frame3{"ユニット", "UNIT"};
inline constexpr BiText Opt_User0{"全て", "ALL"};
inline constexpr BiText Opt_User1{"ユニット指定", "UNIT"};
inline constexpr BiText Frame4{"内容", "CONTENTS"};
inline constexpr BiText Opt_Naiyou0{"全て", "ALL"};
inline constexpr BiText Opt_Naiyou1{"内容指定", "CONTENTS"};
inline constexpr BiText Cmd_Fuku{"複数選択指定", "SELECT"};
inline constexpr BiText Cmd_Find{"検索", "SEARCH"};
inline constexpr BiText Cmb_Sort0{"ユニット", "Unit"};
inline constexpr BiText Cmb_Sort1{"機器名称", "Name"};
inline constexpr BiText Cmb_Sort2{"No", "No"};
inline constexpr BiText Cmb_Sort3{"年月日", "Date"};
inline constexpr BiText Cmb_Sort4{"時間", "Time"};
inline constexpr BiText Cmb_Sort5{"内容", "Contents"};
inline constexpr BiText Cmd_Read{"読　込", "Read"};
inline constexpr BiText Cmd_Save{"保　存", "Save"};
inline constexpr BiText Cmd_Print{"印刷", "Print"};
inline constexpr BiText Cmd_Setei{"通　信", "Port Set"};
inline constexpr BiText Cmd_kanri{"管　理", "Control"};
inline constexpr BiText Cmd_End{"終　了", "End"};
inline constexpr BiText Cmd_Sousa{"テスト", "テスト"};
inline constexpr BiText Txt_Yomi{"読込み中", "Reading"};
inline constexpr BiText Chk_Hozonzumi{"保管ログも含める", "Include archived logs"};

// Tooltips; English shows none, except on the hidden test button.
inline constexpr BiText Tip_Cmd_Find{"ログを検索し表示します。", ""};
inline constexpr BiText Tip_Cmd_Fuku0{"内容の複数選択画面を表示します。", ""};
inline constexpr BiText Tip_Cmd_Fuku1{"ユニットの複数選択画面を表示します。", ""};
inline constexpr BiText Tip_Cmd_Read{"ハンドセットのログを読込みます。", ""};
inline constexpr BiText Tip_Cmd_Save{"表示されているログを保存します。", ""};
inline constexpr BiText Tip_Cmd_Print{"表示されているログを印刷します。", ""};
inline constexpr BiText Tip_Cmd_Setei{"COMポートの番号を変更します。", ""};
inline constexpr BiText Tip_Cmd_kanri{"ログインIDの登録・変更・削除、機器名称の登録・変更・削除",
                                      ""};
inline constexpr BiText Tip_Cmd_End{"システムを終了します。", ""};
inline constexpr BiText Tip_Cmd_Sousa{"ログを保存・削除", "ログを保存・削除"};

inline constexpr BiText M_File{"ファイル", "File"};
inline constexpr BiText M_Read{"読　込", "Read"};
inline constexpr BiText M_Save{"保　存", "Save"};
inline constexpr BiText M_Print{"印　刷", "Print"};
inline constexpr BiText M_Stat{"統　計", "Statistics"};
inline constexpr BiText M_Setei{"通　信", "Port Set"};
inline constexpr BiText M_Kanri{"管　理", "Control"};
inline constexpr BiText M_End{"終了", "End"};
inline constexpr BiText M_Ver{"バージョン", "Version"};

// A selection set in the unit and content lists: this prefix, then the name.
inline constexpr BiText SetPrefix{"複数選択　　", "SELECT　　"};

// Title of the search's messages and of the test feed's.
inline constexpr BiText SearchTitle{"検索", "SEARCH"};
inline constexpr BiText ListReadError{"一覧の読み込みに失敗しました。\n%1",
                                      "Reading the lists failed.\n%1"};
inline constexpr BiText SousaTitle{"テスト", "テスト"};
// A command that arrives while a search still fills the grid (title: SearchTitle).
inline constexpr BiText SearchRunning{
    "検索中です。検索が終わってから、もう一度操作してください。",
    "A search is still running. Please try again when it has finished."};
} // namespace main_window

// The main window's status line: what the last read did.
namespace read_status {
// Records received, newly stored, already stored (in Log_Data), already
// archived (preserved before: not stored again), invalid; %6: how the read
// ended (the first line of its closing message).
inline constexpr BiText Figures{
    "前回の読込：受信 %1件　新規保存 %2件　保存済み %3件　保管済み %4件　無効 %5件　— %6",
    "Last read: %1 received, %2 newly stored, %3 already stored, %4 already archived, %5 "
    "invalid — %6"};
// A read that could not start: why.
inline constexpr BiText NotRead{"前回の読込：%1", "Last read: %1"};
// While a read runs: what it is doing.
inline constexpr BiText Connecting{"ポートに接続しています…", "Connecting to the port…"};
inline constexpr BiText Receiving{"受信中：%1件", "Receiving: %1 records"};
inline constexpr BiText Storing{"受信したログを保存しています…", "Storing the received logs…"};
} // namespace read_status

// The status line's count of the rows a search found (%1 with thousands
// separators), while it reads them and when it has.
namespace search_status {
inline constexpr BiText Reading{"検索中：%1件", "Searching: %1 logs"};
inline constexpr BiText Found{"%1件", "%1 logs"};
inline constexpr BiText FoundOne{"1件", "1 log"};
inline constexpr BiText NoneFound{"0件 — 条件に合うログはありません", "0 logs match"};
// With the preserved logs: how many of those found come from the archive.
inline constexpr BiText FoundArchived{"%1件（うち保管ログ %2件）", "%1 logs (%2 archived)"};
} // namespace search_status

} // namespace texts
