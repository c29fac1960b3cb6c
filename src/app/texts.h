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

// Start-up and exit (shown in Japanese whatever the language switch says).
namespace startup {
inline constexpr BiText DbOpenError{"データベースに接続出来ません！！\nプログラムを終了します。",
                                    "データベースに接続出来ません！！\nプログラムを終了します。"};
inline constexpr BiText DbOpenErrorTitle{"エラーメッセージ", "エラーメッセージ"};
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
    "The date of the computer is not suitable.\nPlease start after matching the date of the computer."};
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

// ---- search and result grid (add below) ----

// ---- serial port window and handset reading (add below) ----

// ---- decoder (add below) ----

} // namespace texts
