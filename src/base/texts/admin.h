#pragma once

#include "base/texts/bi_text.h"

// The administration windows: version, menu, login IDs, handset names, preservation.
namespace texts {

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
inline constexpr BiText Cmd_Rireki{"操作履歴", "Operation history"};
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
inline constexpr BiText Chk_Kanri{"管理者", "Administrator"};
inline constexpr BiText NotAdministrator{"このログインIDでは管理を行えません。",
                                         "This login ID may not administer."};
inline constexpr BiText PassTooShort{"パスワードは4文字以上で入力して下さい。",
                                     "The password needs at least 4 characters."};
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
// The same when a file was to be written: it was not, and an earlier one is as it was.
inline constexpr BiText DbFailedNoFile{
    "データベースの保存・削除に失敗しました。データベースは変更しておらず、"
    "保存ファイルも作成していません。\n%1",
    "The preservation or deletion of the data base failed. The database was not changed, "
    "and no preservation file was written.\n%1"};
// The connection was lost while the deletion was committed.
inline constexpr BiText DeletionUnknown{
    "データベースとの接続が切れたため、ログが削除されたかどうか分かりません。"
    "検索して確かめてください。\n%1",
    "The connection to the database was lost while the logs were deleted: they may or may "
    "not have been deleted. Search for them to make sure.\n%1"};
inline constexpr BiText DeletionUnknownFile{
    "データベースとの接続が切れたため、ログが削除されたかどうか分かりません。"
    "保存ファイルは作成しました。"
    "ファイルを削除する前に、ログが残っているか検索して確かめてください。\n%1",
    "The connection to the database was lost while the logs were deleted: they may or may "
    "not have been deleted. The preservation file was written. Search for the logs before "
    "you delete the file.\n%1"};
// The logs were deleted, but the finished file could not take its name.
inline constexpr BiText FileNotPlaced{
    "ログは削除しましたが、保存ファイルに名前を付けられませんでした。"
    "ファイルは次の名前で残っています。\n%1",
    "The logs were deleted, but the preservation file could not be given its name. It is "
    "kept under another name.\n%1"};
// The progress window of an operation (title: Title).
inline constexpr BiText ProgressWriting{"ファイルに書き込んでいます：%1 / %2件",
                                        "Writing the file: %1 of %2 logs"};
inline constexpr BiText ProgressBackingUp{"ログをバックアップしています…", "Backing up the logs…"};
inline constexpr BiText ProgressDeleting{"ログを削除しています…", "Deleting the logs…"};
inline constexpr BiText ProgressArchiving{"ログを保管しています…", "Archiving the logs…"};

// The archived logs (保管ログ, the archive's own word): restoring them, and
// reading an earlier preservation file into them.
inline constexpr BiText Opt_Del3{"保管ログの復元", "Restore archived logs"};
inline constexpr BiText Opt_Del4{"保存ファイルの読込", "Load a preservation file"};
inline constexpr BiText Hozon3{"復　元", "Restore"};
inline constexpr BiText Hozon4{"読　込", "Load"};
inline constexpr BiText Tip_Hozon3{"保管ログを期間で復元", ""};
inline constexpr BiText Tip_Hozon4{"以前の保存ファイルを保管ログに読込", ""};
// The period of a restore, or of a save-and-delete or delete limited to one.
inline constexpr BiText Label6{"期間：", "Period"};
inline constexpr BiText Label7{"～", "to"};
inline constexpr BiText BadPeriod{"期間の始めが終わりより後です。",
                                  "The first day of the period is after the last."};
inline constexpr BiText NothingToRestore{"この期間に復元する保管ログはありません。",
                                         "There are no archived logs to restore in this period."};
inline constexpr BiText Ask3{"%1件の保管ログを復元しても宜しいですか？",
                             "Restore %1 archived logs?"};
inline constexpr BiText End3{"%1件の保管ログを復元しました。", "%1 archived logs were restored."};
inline constexpr BiText Ask4{"%1を保管ログに読み込んでも宜しいですか？",
                             "Load %1 into the archived logs?"};
// %2 already in the archive, %3 in the log table ("already stored", as a read says).
inline constexpr BiText End4{"%1件のログを読み込みました。（保管済み %2件、保存済み %3件）",
                             "%1 logs were loaded (%2 already archived, %3 already stored)."};
inline constexpr BiText ProgressRestoring{"ログを復元しています：%1 / %2件",
                                          "Restoring the logs: %1 of %2"};
inline constexpr BiText ProgressLoading{"保存ファイルを読み込んでいます…",
                                        "Loading the preservation file…"};
inline constexpr BiText LoadFileFailed{
    "保存ファイルを読めませんでした。何も読み込んでいません。\n%1",
    "The preservation file could not be read. Nothing was loaded.\n%1"};
inline constexpr BiText LoadLineFailed{
    "保存ファイルの%1行目を読めません。何も読み込んでいません。\n%2",
    "Line %1 of the preservation file cannot be read. Nothing was loaded.\n%2"};
inline constexpr BiText ArchiveDbFailed{"保管ログの読み書きに失敗しました。\n%1",
                                        "Reading or writing the archived logs failed.\n%1"};

// Save-and-delete and delete limited to a period (the restore's date row).
inline constexpr BiText Chk_Kikan{"期間を指定する", "Limit to a period"};
inline constexpr BiText Ask1Period{"%1～%2の%3件のログを保存して削除しても宜しいですか？",
                                   "Preserve and delete the %3 logs from %1 to %2?"};
inline constexpr BiText Ask2Period{"%1～%2の%3件のログを削除しても宜しいですか？",
                                   "Delete the %3 logs from %1 to %2?"};
inline constexpr BiText NothingInPeriod{"この期間のログはありません。",
                                        "There are no logs in this period."};
// Saving into a file that exists.
inline constexpr BiText Overwrite{"%1は既にあります。上書きしても宜しいですか？",
                                  "%1 exists already. Overwrite it?"};
// A line of a preservation file longer than %2 bytes; %3 its start.
inline constexpr BiText LoadLineTooLong{
    "保存ファイルの%1行目が長すぎます（%2バイトを超えています）。何も読み込んでいません。\n%3…",
    "Line %1 of the preservation file is too long (over %2 bytes). Nothing was loaded.\n%3…"};
} // namespace db_keep

// Login ID maintenance: the list's column of who may administer.
namespace login_id {
inline constexpr BiText HeadKanri{"管理者", "ADMIN"};
inline constexpr BiText KanriMark{"○", "Yes"};
} // namespace login_id

// The question before a save-and-delete or a delete: the logs leaving
// Log_Data that are younger than a year and have check records.
namespace db_keep {
inline constexpr BiText YoungRecords{
    "\n\nこのうち%1件は1年以内のログで、記録簿の記録があります。"
    "ログは保管ログに移り、記録は記録簿に残ります。",
    "\n\n%1 of these logs are less than a year old and have check records. The logs go to "
    "the archive, and their records stay in the record book."};
} // namespace db_keep

} // namespace texts
