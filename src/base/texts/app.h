#pragma once

#include "base/texts/bi_text.h"

// Start-up, exit and the sign-in window.
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
inline constexpr BiText ReasonNewerSchema{
    "このデータベースは、新しいバージョンのプログラムで更新されています。"
    "このプログラムは古いため使えません。新しいバージョンのプログラムを使ってください。",
    "This database was updated by a newer version of the program. This program is older and "
    "cannot use it; please use the newer version."};
inline constexpr BiText ReasonOlderSchema{
    "サーバーのデータベースが古いバージョンのままです。"
    "管理者が quarvenix-initdb --postgresql を実行して更新してください。",
    "The database on the server is of an older version. An administrator must update it by "
    "running quarvenix-initdb --postgresql."};
inline constexpr BiText CompactDamaged{"データベースが壊れています（%1）。\n"
                                       "最適化は行わず、データベースは変更されていません。",
                                       "The database is damaged (%1).\n"
                                       "It was not optimised, and it was not changed."};
inline constexpr BiText CompactError{"データベースの最適化に失敗しました。\n"
                                     "データベースは変更されていません。",
                                     "The optimisation of the database failed.\n"
                                     "The database was not changed."};
inline constexpr BiText CompactErrorTitle{"エラーメッセージ", "Error message"};
// The progress window of the compaction at the exit.
inline constexpr BiText CompactTitle{"データベースの最適化", "Optimising the database"};
inline constexpr BiText CompactCopying{"データベースを詰めてコピーしています…",
                                       "Copying the database into a compact file…"};
inline constexpr BiText CompactChecking{"コピーしたデータベースを検査しています…",
                                        "Checking the compacted copy…"};
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
// The first start of an installed program made its database.
inline constexpr BiText NewDatabase{
    "新しいデータベースを作成しました。ログはこのファイルに保存されます。\n%1",
    "A new database was created. The logs are kept in this file:\n%1"};
inline constexpr BiText NoMatch{"ログインID または パスワードが違います。",
                                "Login ID or the password is different."};
inline constexpr BiText ErrorTitle{"ログインエラー", "Login Error"};
// After signing in as admin with the delivered password (title: ClockTitle).
inline constexpr BiText DeliveredPassword{
    "出荷時のパスワードのまま使われています。\n今すぐパスワードを変更しますか？",
    "The delivered password is still in use.\nDo you want to change it now?"};
inline constexpr BiText DbError{"データベースの読み込みに失敗しました。\n%1",
                                "Reading the database failed.\n%1"};
// Shown to admin at the first sign-in of a start while rows share a key
// (title: ClockTitle); %1: one line per key.
inline constexpr BiText SharedKeys{
    "データベースに、キーが重複している行があります（末尾の空白は区別しません）。\n"
    "各キーの行を1つにするまで、重複を防ぐ索引を付けられません。"
    "ログインIDやハンドセット名は、そのキーを削除して登録し直してください。\n%1",
    "Some rows of the database share a key (trailing blanks do not count).\n"
    "Until one row of each key is left, the database cannot be protected against such "
    "duplicates. Delete the login ID or handset name and register it again.\n%1"};
// Shown to admin at the first sign-in of a start whose file had its operation
// history repaired (title: ClockTitle); %1: what was missing or changed.
inline constexpr BiText HistoryRepaired{
    "操作履歴のテーブルまたはその保護（トリガー）が、このプログラム以外によって削除または"
    "変更されていたため、作り直しました。修復は操作履歴に記録されています。\n%1",
    "The operation history's table or its protection (triggers) had been deleted or changed "
    "outside this program and was made again. The repair is recorded in the history.\n%1"};
} // namespace login

namespace startup {
inline constexpr BiText ReasonBadVersion{
    "データベースのバージョン（Db_Version）が正しくありません。"
    "このプログラム以外で変更されています。管理者に連絡してください。",
    "The database's version (Db_Version) is not valid: it was changed outside this program. "
    "Please contact the administrator."};
// Another user holds the database's claim, or owns its lock file: %1 that
// user, %2 the lock file.
inline constexpr BiText ReasonOtherUser{"データベースは別のユーザー（%1）が使用しています。\n"
                                        "ロックファイル：%2",
                                        "Another user (%1) holds the database.\nLock file: %2"};
} // namespace startup

namespace login {
// Shown to admin at the first sign-in of a start whose upgrade kept archived
// logs that differ from their copies in the log table (title: ClockTitle);
// %1: the upgrade's count and list of them.
inline constexpr BiText ArchiveKept{
    "保管ログのうち、同じログ（ハンドセット・日時・データ番号）がログのテーブルにもあり、"
    "内容が異なるものを両方に残しました。どちらが正しいか確認してください。\n%1",
    "Some archived logs are also in the log table (the same handset, date and data number) "
    "with other contents; both copies were kept. Please check which is right.\n%1"};
} // namespace login

} // namespace texts
