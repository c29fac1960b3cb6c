#pragma once

#include "app/switches.h"

#include <QString>

// The text catalogue: every caption and message of the program in Japanese
// and English, grouped by window. Texts are used exactly as they stand,
// trailing blanks and full-width characters included.
struct BiText {
    const char* ja;
    const char* en;

    QString ja_() const { return QString::fromUtf8(ja); }
    QString en_() const { return QString::fromUtf8(en); }
    QString pick(bool english) const { return english ? en_() : ja_(); }
    QString in(const Switches& sw) const { return pick(sw.english()); }
};

namespace texts {

// Start-up and exit. The refusal of a start is shown in Japanese whatever the
// language switch says; its reason, on a line of its own, follows the switch.
namespace startup {
inline constexpr BiText DbOpenError{"データベースに接続出来ません！！\nプログラムを終了します。",
                                    "データベースに接続出来ません！！\nプログラムを終了します。"};
inline constexpr BiText DbOpenErrorTitle{"エラーメッセージ", "エラーメッセージ"};
inline constexpr BiText ReasonMissing{"データベースファイルがありません。",
                                      "The database file does not exist."};
inline constexpr BiText ReasonSecondCopy{
    "このプログラムはすでに起動しています（これは2つ目の起動です）。",
    "The program is already running (this is a second copy)."};
inline constexpr BiText ReasonReadOnly{
    "データベースファイルまたはそのフォルダーに書き込む権限がありません。",
    "No permission to write the database file or its folder."};
inline constexpr BiText ReasonNotDatabase{"このプログラムのデータベースではありません。",
                                          "The file is not a database of this program."};
inline constexpr BiText ReasonDamaged{"データベースファイルが壊れています。",
                                      "The database file is damaged."};
inline constexpr BiText ReasonBusy{"データベースファイルは他のプログラムが使用中です。",
                                   "Another program is using the database file."};
inline constexpr BiText CompactDamaged{"データベースが壊れています（%1）。\n"
                                       "最適化は行わず、データベースは変更されていません。",
                                       "The database is damaged (%1).\n"
                                       "It was not optimised, and it was not changed."};
inline constexpr BiText CompactError{"データベースの最適化に失敗しました。\n"
                                     "データベースは変更されていません。",
                                     "The optimisation of the database failed.\n"
                                     "The database was not changed."};
inline constexpr BiText CompactErrorTitle{"エラーメッセージ", "Error message"};
} // namespace startup

namespace login {
inline constexpr BiText Caption{"ログイン画面", "LOGIN"};
inline constexpr BiText LB_Dai{"クアルヴェニクス　システム", "QUARVENIX SYSTEM"};
inline constexpr BiText LB_Login{"ログインID：", "Login ID:"};
inline constexpr BiText LB_Pass{"パスワード：", "Password:"};
inline constexpr BiText Cmd_Login{"ログイン", "LOGIN"};
inline constexpr BiText Cmd_End{"終　了", "END"};
inline constexpr BiText ClockWrong{
    "パソコンの日付が合ってません。\nパソコンの日付を合わせてから起動してください。",
    "The date of the computer is not suitable.\nPlease start after matching the date of the "
    "computer."};
inline constexpr BiText ClockTitle{"クアルヴェニクス", "QUARVENIX"};
inline constexpr BiText IdEmpty{"ログインIDが未入力です。", "Login ID is a uninput. "};
inline constexpr BiText PassEmpty{"パスワードが未入力です。", "The password is a uninput."};
inline constexpr BiText NoMatch{"ログインID または パスワードが違います。",
                                "Login ID or the password is different."};
inline constexpr BiText ErrorTitle{"ログインエラー", "Login Error"};
inline constexpr BiText DbError{"データベースの読み込みに失敗しました。\n%1",
                                "Reading the database failed.\n%1"};
} // namespace login

// ---- main window, version window and placeholders (add below) ----

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
} // namespace main_window

// The version window.
namespace version {
inline constexpr BiText Caption{"バージョン", "バージョン"};
inline constexpr BiText Label1{"クアルヴェニクス　システム", "QUARVENIX SYSTEM"};
inline constexpr BiText Label2{"バージョン：　2.09", "Version : 2.08"};
inline constexpr BiText Label3{"https://www.quarvenix.example/", "https://www.quarvenix.example/"};
inline constexpr BiText Label4{"support@quarvenix.example", "support@quarvenix.example"};
inline constexpr BiText EditionSuffix{"A", "A"};
inline constexpr BiText Cmd_Modoru{"閉じる", "CLOSE"};
} // namespace version

// Windows opened from the main window that are still being built: a title
// and a close button each.
namespace kanri {
inline constexpr BiText Caption{"管理", "CONTROL"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};
} // namespace kanri
namespace sentaku {
inline constexpr BiText Caption{"内容複数選択", "Content Selection"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};
} // namespace sentaku
namespace usentaku {
inline constexpr BiText Caption{"ユニット複数選択", "UNIT Selection"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};
} // namespace usentaku

// ---- search and result grid (add below) ----
namespace grid {
// Content cell of a log number without a content text (followed by the measured value).
inline constexpr BiText SetError{"セットエラー ", "Set Error "};
inline constexpr BiText BadDate{"指定された日付（%1）は存在しません。\n日付を確認してください。",
                                "The date %1 does not exist.\nPlease check the date."};
inline constexpr BiText EmptyUnitSet{"複数選択「%1」にユニットが登録されていません。",
                                     "The selection \"%1\" holds no units."};
inline constexpr BiText EmptyContentSet{"複数選択「%1」に内容が登録されていません。",
                                        "The selection \"%1\" holds no contents."};
inline constexpr BiText SearchFailed{"ログの検索に失敗しました。\n%1",
                                     "The log search failed.\n%1"};
} // namespace grid

// ---- serial port window and handset reading (add below) ----

// The port window.
namespace com {
inline constexpr BiText Caption{"通信設定", "Prot Set"};
inline constexpr BiText Label1{"通信設定", "Prot Set"};
inline constexpr BiText Label2{"COMポート：", "COM Prot:"};
inline constexpr BiText Cmd_Add{"変更", "Change"};
inline constexpr BiText Cmd_Modoru{"戻る", "Close"};
inline constexpr BiText Changed{"COMポートを%1に変更しました。", "The COM port was changed to %1"};
// Beside the port box: the device the chosen number opens on this computer.
inline constexpr BiText Device{"接続先：%1", "Device: %1"};
inline constexpr BiText DeviceLink{"接続先：%1（%2）", "Device: %1 (%2)"};
// A link beside the program whose device has gone: it is still the port.
inline constexpr BiText DeviceLinkGone{"接続先：%1（%2 は見つかりません）",
                                       "Device: %1 (%2 is missing)"};
inline constexpr BiText NoDevice{"接続先：このパソコンにはありません",
                                 "Device: none on this computer"};
inline constexpr BiText BadPort{"COMポートには1から16までの数字を入力してください。",
                                "Enter a COM port number from 1 to 16."};
inline constexpr BiText DbError{"COMポートの読み書きに失敗しました。\n%1",
                                "Reading or writing the COM port setting failed.\n%1"};
inline constexpr BiText NoPortRow{
    "COMポートの設定がデータベースにないため、変更できません。",
    "The COM port cannot be changed: the database holds no port setting."};
} // namespace com

// The read command (Cmd_Read, M_Read).
namespace handset_read {
inline constexpr BiText Idle{"読　込", "Read"};
inline constexpr BiText ReceptionEnd{"受信終了", "Reception end"};
inline constexpr BiText NoCommunication{"ハンドセットと通信できません。",
                                        "It is not possible to communicate with the hand set."};
inline constexpr BiText Stop{"停　止", "Stop"};
inline constexpr BiText Title{"読込み", "Reading"};
inline constexpr BiText StoreFailed{"受信したログの保存に失敗しました。\n%1",
                                    "Storing the received logs failed.\n%1"};
inline constexpr BiText PortSettingFailed{"COMポートの番号を読めません。\n%1",
                                          "The COM port number cannot be read.\n%1"};
// Added on its own line to entry 3 when the port went away during a read.
inline constexpr BiText PortLostStored{"接続が切れました。保存したログ：%1件",
                                       "The connection was lost. Logs stored: %1"};
} // namespace handset_read

// The main window's status line: what the last read did.
namespace read_status {
inline constexpr BiText Figures{
    "前回の読込：受信 %1件　新規保存 %2件　保存済み %3件　無効（スキップ） %4件",
    "Last read: %1 received, %2 newly stored, %3 already stored, %4 invalid (skipped)"};
} // namespace read_status

} // namespace texts
