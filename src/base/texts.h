#pragma once

#include "base/switches.h"

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

// The administration menu.
namespace kanri {
inline constexpr BiText Caption{"管理", "CONTROL"};
inline constexpr BiText Label1{"管　　理", "CONTROL"};
// "・" after the first word is full-width, "･" before the last half-width.
inline constexpr BiText Cmd_Id{"ログインIDの登録・変更･削除", "Login ID registration"};
inline constexpr BiText Cmd_Kiki{"ﾊﾝﾄﾞｾｯﾄの名称登録・変更･削除",
                                 "Registration of name of hand set"};
inline constexpr BiText Cmd_LMaster{"ログマスターの変更", "Change in log mastering"};
inline constexpr BiText Cmd_DB{"データベースの保存・削除", "Preservation of data base"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};
} // namespace kanri

// Shared by the login ID and handset name windows.
namespace list_edit {
inline constexpr BiText Cmd_Add{"登録", "ADD"};
inline constexpr BiText Cmd_Del{"削除", "DEL"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};
inline constexpr BiText No{"No", "No"};
inline constexpr BiText Deleted{"削除しました。", "It deleted it. "};
inline constexpr BiText DbFailed{"データベースの読み書きに失敗しました。\n%1",
                                 "Reading or writing the database failed.\n%1"};
} // namespace list_edit

// Login ID maintenance.
namespace login_id {
inline constexpr BiText Caption{"ログインID", "LOGIN ID"}; // title and heading
inline constexpr BiText Label2{"ログインID", "Login ID"};
inline constexpr BiText Label5{"名　前", "Name"};
inline constexpr BiText Label3{"パスワード", "Password"};
inline constexpr BiText Label4{"確認パスワード", "Confirmation"};
inline constexpr BiText Cmd_New{"新規", "New"};
inline constexpr BiText HeadId{"ログインID", "LOGIN ID"};
inline constexpr BiText HeadName{"名前", "NAME"};
// Tooltips of the boxes (Japanese mode only) and of the buttons (both modes).
inline constexpr BiText Tip_Txt_Id{"10文字以内英数字を入力して下さい", ""};
inline constexpr BiText Tip_Txt_Name{"10文字以内の文字を入力して下さい。", ""};
inline constexpr BiText Tip_Txt_Pass{"10文字以内英数字を入力して下さい", ""};
inline constexpr BiText Tip_Txt_PassK{"パスワードと同一の文字を入力して下さい。", ""};
inline constexpr BiText Tip_Cmd_New{"ログインIDの新規", "ログインIDの新規"};
inline constexpr BiText Tip_Cmd_Add{"ログインIDの登録・変更", "ログインIDの登録・変更"};
inline constexpr BiText Tip_Cmd_Del{"ログインIDの削除", "ログインIDの削除"};
inline constexpr BiText PassKEmpty{"確認パスワードが未入力です。",
                                   "The confirmation password is a uninput."};
inline constexpr BiText PassEmpty{"パスワードが未入力です。", "The password is a uninput."};
inline constexpr BiText IdEmpty{"ログインIDが未入力です。", "Login ID is a uninput."};
inline constexpr BiText PassDiffer{"パスワードと確認パスワードが違います。",
                                   "The password and the confirmation password are different."};
inline constexpr BiText Registered{"登録しました。", "It registered. "};
inline constexpr BiText DelEmpty{"削除するログインIDを選択して下さい。",
                                 "Please select deleted login ID."};
inline constexpr BiText AdminKept{"adminは、削除出来ません。", "Admin cannot be deleted. "};
inline constexpr BiText DelQuestion{"%1を削除しても宜しいですか？",
                                    "Even if %1 is deleted, is it good?"};
inline constexpr BiText IdTooLong{"ログインIDは10文字以内で入力して下さい。",
                                  "The login ID can hold at most 10 characters."};
inline constexpr BiText NameTooLong{
    "名前は全角10文字（半角20文字）以内で、使える文字だけを入力して下さい。",
    "The name can hold at most 10 full-width or 20 half-width characters, and only "
    "characters that can be stored."};
inline constexpr BiText PassTooLong{"パスワードは10文字以内で入力して下さい。",
                                    "The password can hold at most 10 characters."};
} // namespace login_id

// Handset names.
namespace kiki {
inline constexpr BiText Caption{"ハンドセット名称", "Hand Set Name"}; // title and heading
inline constexpr BiText Title{"機器名称", "Equipment name"};          // of the message boxes
inline constexpr BiText Label2{"ユニットS/N", "Unit S/N"};
inline constexpr BiText Label5{"名　称", "Name"};
inline constexpr BiText HeadUnit{"ユニットS/N", "UnitS/N"};
inline constexpr BiText HeadName{"名称", "Name"};
inline constexpr BiText Tip_Cmd_Add{"ハンディセット名称の登録変更", "ハンディセット名称の登録変更"};
inline constexpr BiText Tip_Cmd_Del{"ハンディセット名称の削除", "ハンディセット名称の削除"};
inline constexpr BiText NameEmpty{"名称が未入力です。", "The name is a uninput. "};
inline constexpr BiText UnitEmpty{"ユニットS/Nが未選択です。", "Unit S/N is a unselection. "};
inline constexpr BiText Registered{"登録しました。", "It registered."};
inline constexpr BiText DelEmpty{"削除するユニットS/Nを選択して下さい。",
                                 "Please select deleted unit S/N."};
// No blank between the serial number and "is" in English.
inline constexpr BiText DelQuestion{"%1を削除しても宜しいですか？",
                                    "Even if %1is deleted, is it good?"};
inline constexpr BiText UnitTooLong{"ユニットS/Nは10文字以内で入力して下さい。",
                                    "The unit S/N can hold at most 10 characters."};
inline constexpr BiText NameTooLong{
    "名称は全角10文字（半角20文字）以内で、使える文字だけを入力して下さい。",
    "The name can hold at most 10 full-width or 20 half-width characters, and only "
    "characters that can be stored."};
} // namespace kiki

// Preservation of the stored logs.
namespace db_keep {
// The window's title stays Japanese in English.
inline constexpr BiText Caption{"データベースの保存・削除", "データベースの保存・削除"};
inline constexpr BiText Title{"データベースの保存・削除", "Preservation of data base"};
inline constexpr BiText Label1{"データベースの保存・削除", "Preservation of data base"};
inline constexpr BiText Opt_Del0{"データベースを保存", "Preservation"};
inline constexpr BiText Opt_Del1{"データベースを保存して削除", "Preservation and deletion"};
inline constexpr BiText Opt_Del2{"データベースを削除", "Deletion"};
inline constexpr BiText Label5{"保存ファイル名：", "File name"};
inline constexpr BiText Cmd_Sansyou{"参　照", "Reference"};
inline constexpr BiText Cmd_Modoru{"戻る", "Close"};
// The caption of Cmd_Hozon names the operation ("･" is half-width); the
// tooltips are shown in Japanese mode only.
inline constexpr BiText Hozon0{"保　存", "Preservation"};
inline constexpr BiText Hozon1{"保存･削除", "Preservation･Delete"};
inline constexpr BiText Hozon2{"削　除", "Delete"};
inline constexpr BiText Tip_Hozon0{"データベースを保存", ""};
inline constexpr BiText Tip_Hozon1{"データベースを保存して削除", ""};
inline constexpr BiText Tip_Hozon2{"データベースを削除", ""};
inline constexpr BiText AllLogBase{"全ログ", "ALL LOG"};
inline constexpr BiText NoFileName{"保存ファイル名を入力してください",
                                   "Please input the preservation file name."};
inline constexpr BiText Ask0{"データベースを、保存しても宜しいですか？",
                             "Even if the data base is preserved, is it good?"};
inline constexpr BiText Ask1{
    "データベースを保存して、全て削除しても宜しいですか？",
    "Even if the data base is preserved, and everything is deleted, is it good?"};
inline constexpr BiText Ask2{"データベースを、全て削除しても宜しいですか？",
                             "Even if all data bases are deleted, is it good?"};
inline constexpr BiText End0{"データベースの保存が終了しました。",
                             "The preservation of the data base ended."};
inline constexpr BiText End1{"データベースの保存・削除が終了しました。",
                             "Preservation and the deletion of the data base ended."};
inline constexpr BiText End2{"データベースの削除が終了しました。",
                             "The deletion of the data base ended."};
// Content of a log whose log number has no content text, whatever the language.
inline constexpr BiText SetError{"セットエラー", "セットエラー"};
inline constexpr BiText FileFailed{
    "保存ファイルを書き込めませんでした。データベースは変更していません。\n%1",
    "The preservation file could not be written. The database was not changed.\n%1"};
inline constexpr BiText DbFailed{
    "データベースの保存・削除に失敗しました。データベースは変更していません。\n%1",
    "The preservation or deletion of the data base failed. The database was not "
    "changed.\n%1"};
} // namespace db_keep

// The selection-set windows. The content window's texts; the unit window
// shares its buttons, Label2, tooltips, title and questions.
namespace sentaku {
inline constexpr BiText Caption{"内容複数選択", "Content Selection"};
inline constexpr BiText Label1{"内容　複数選択", "Content Selection"};
inline constexpr BiText Label3{"内　容", "Content"};
inline constexpr BiText Label2{"複数名", "Name"};
inline constexpr BiText Cmd_New{"新規", "New"};
inline constexpr BiText Cmd_Add{"登録", "ADD"};
inline constexpr BiText Cmd_Del{"削除", "DEL"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};
// Tooltips; English shows none.
inline constexpr BiText Tip_List_Nai{
    "クリックすると選択、選択されているのをクリックすると解除されます。", ""};
inline constexpr BiText Tip_Cmb_Name{"10文字以内の文字を入力して下さい。", ""};
inline constexpr BiText Tip_Cmd_New{"複数選択新規", ""};
inline constexpr BiText Tip_Cmd_Add{"複数選択登録・変更", ""};
inline constexpr BiText Tip_Cmd_Del{"複数選択削除", ""};
inline constexpr BiText Tip_Cmd_Modoru{"メイン画面に戻ります。", ""};

inline constexpr BiText Title{"複数選択", "Selection"};
inline constexpr BiText StandardRefused{"標準セットは、変更できません。",
                                        "A standard set is not revokable."};
inline constexpr BiText StandardNotDeleted{"標準セットは、削除できません。",
                                           "A standard set cannot be deleted."};
inline constexpr BiText NothingSelected{"内容が選択されてません。", "The content is not selected."};
inline constexpr BiText Done{"登録しました｡", "It registered."};
inline constexpr BiText NoName{"複数名が入力､選択されてません｡",
                               "The name is input, and not selected. "};
inline constexpr BiText Overwrite{"%1を上書きしても宜しいですか？",
                                  "Even if %1 is overwrited, is it good?"};
inline constexpr BiText Delete{"%1を削除しても宜しいですか？",
                               "Even if %1 is deleted, is it good?"};
// A name longer than the table's field; a failure of the database.
inline constexpr BiText NameTooLong{"複数名は%1文字以内で入力してください。",
                                    "Enter a name of at most %1 characters."};
inline constexpr BiText DbFailed{"複数選択の読み書きに失敗しました。\n%1",
                                 "Reading or writing the selection failed.\n%1"};
} // namespace sentaku
// Where the unit window differs from the content window.
namespace usentaku {
inline constexpr BiText Caption{"ユニット複数選択", "UNIT Selection"};
inline constexpr BiText Label1{"ユニット　複数選択", "UNIT Selection"};
inline constexpr BiText Label3{"ユニット", "Unit"};
inline constexpr BiText NothingSelected{"ユニットが選択されてません。",
                                        "The unit is not selected."};
inline constexpr BiText Done{"登録しました。", "It registered."};
inline constexpr BiText NoName{"複数名が入力、選択されてません。",
                               "The name is input, and not selected."};
} // namespace usentaku

// The log master change.
namespace lmaster {
inline constexpr BiText Caption{"ログマスターの変更", "Change in log mastering"};
inline constexpr BiText Label1{"ログマスターの変更", "Change in log mastering"};
inline constexpr BiText Label5{"マスターファイル名：", "Master file name:"};
inline constexpr BiText Cmd_Sansyou{"参　照", "Reference"};
inline constexpr BiText Cmd_Henkou{"変　更", "Change"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};
inline constexpr BiText Title{"ログマスター変更", "Log master"};
inline constexpr BiText Confirm{"ログマスターを変更しても宜しいですか？",
                                "Even if the log mastering is changed, is it good?"};
inline constexpr BiText NoFile{"ログマスターファイルがありません。",
                               "There is no log master file."};
inline constexpr BiText NotMasterFile{"ログマスターファイルではありません。\r\n"
                                      "ログマスターファイルを参照してください。",
                                      "It is not a log master file. \r\n"
                                      "Please refer to the log master file. "};
inline constexpr BiText WrongContent{"ログマスターファイルの内容が間違っています。\r\n"
                                     "正常なログマスターファイルを参照してください。",
                                     "The content of the log master file is wrong.\r\n"
                                     "Please refer to a normal log master file. "};
inline constexpr BiText Done{"ログマスターの変更が終了しました。",
                             "The change in the log mastering ended."};
// A file that cannot be read; a failure of the database while replacing.
inline constexpr BiText ReadFailed{"ログマスターファイルを読み込めません。\n%1",
                                   "The log master file cannot be read.\n%1"};
inline constexpr BiText WriteFailed{
    "ログマスターの変更に失敗しました。ログマスターは変更されていません。\n%1",
    "Changing the log master failed. The log master was not changed.\n%1"};
} // namespace lmaster

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

// Saving the grid as CSV and printing it (Cmd_Save, Cmd_Print).
namespace output {
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
inline constexpr BiText JobRefused{"プリンターが印刷を受け付けませんでした。（%1）",
                                   "The printer refused the job (%1)."};
} // namespace output

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
