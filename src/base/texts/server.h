#pragma once

#include "base/texts/bi_text.h"

// Connecting to a PostgreSQL server and waiting for it: the progress window,
// the reasons a connection is refused that the program finds out itself, and
// what the program says of statements that the server does not answer in time. %1 is the server
// ("host:port"). libpq's own text follows on a line of its own, in the
// language of the system's locale.
namespace texts::server {

// The title of the window that says what the program waits for.
inline constexpr BiText WaitTitle{"データベースサーバー", "Database server"};
inline constexpr BiText Connecting{"データベースサーバー %1 に接続しています…",
                                   "Connecting to the database server %1…"};
inline constexpr BiText StillConnecting{
    "データベースサーバーに接続している途中です。接続が終わってからもう一度操作してください。",
    "The program is still connecting to the database server. Try again once it is connected."};
inline constexpr BiText NoAnswer{"%1 から %2 秒待っても応答がありません。",
                                 "%1 did not answer within %2 seconds."};

inline constexpr BiText NoTls{"%1 は暗号化（TLS）接続を受け付けていません。",
                              "%1 does not accept encrypted (TLS) connections."};
inline constexpr BiText NoCaFile{
    "信頼する認証局の証明書ファイル %2 を読めないため、%1 の証明書を確認できません。",
    "The certificate of %1 cannot be checked: the file of the trusted certificate authority, "
    "%2, cannot be read."};
inline constexpr BiText UnknownCa{
    "%1 の証明書（発行者：%3）は、信頼する認証局（%2）が発行したものではありません。",
    "The certificate of %1 (issued by %3) was not issued by the trusted certificate authority "
    "(%2)."};
inline constexpr BiText WrongName{
    "%1 の証明書は、接続先の名前のために発行されたものではありません（証明書の名前：%2）。",
    "The certificate of %1 was not issued for that name (the certificate names %2)."};
inline constexpr BiText Expired{"%1 の証明書は有効期限が切れています（%2 まで）。",
                                "The certificate of %1 has expired (it was valid until %2)."};
inline constexpr BiText NotYetValid{"%1 の証明書はまだ有効ではありません（%2 から）。",
                                    "The certificate of %1 is not valid yet (it is from %2)."};
inline constexpr BiText TlsFailed{"%1 との暗号化（TLS）接続を確立できません：%2",
                                  "The encrypted (TLS) connection to %1 failed: %2"};

// Waiting for a statement (%1: the server, "host:port"; %2: the seconds of the setting's wait=).
inline constexpr BiText Waiting{"データベースサーバー %1 の応答を待っています…",
                                "Waiting for the database server %1…"};
inline constexpr BiText StillWaiting{
    "データベースサーバーの応答を待っている途中です。応答があってからもう一度操作してください。",
    "The program is waiting for the database server. Try again once it has answered."};
inline constexpr BiText Cancelled{
    "データベースサーバー %1 が %2 "
    "秒待っても応答しないため、取り消しました。何も変更していません。",
    "The database server %1 did not answer within %2 seconds, so the statement was cancelled. "
    "Nothing was changed."};
inline constexpr BiText Unconfirmed{
    "データベースサーバー %1 は、%2 秒待っても書き込みの完了を知らせませんでした"
    "（待機サーバーが確認していません）。書き込まれたかどうか分かりません。"
    "確かめてからもう一度操作してください。",
    "The database server %1 did not confirm the write within %2 seconds (no standby server "
    "confirmed it): it is not known whether it was stored. Check before you do it again."};
inline constexpr BiText CutOff{
    "データベースサーバー %1 が %2 秒待っても応答しないため、接続を切りました。",
    "The database server %1 did not answer within %2 seconds, so the connection was closed."};

// Said once, in the status line and the history, after a connection (%1: the server).
inline constexpr BiText NoStandby{
    "データベースサーバー %1 では、書き込みを確認する待機サーバーがありません"
    "（synchronous_commit = %2、synchronous_standby_names = '%3'）。"
    "このサーバーが故障すると、最後に書き込んだ内容が失われることがあります。",
    "No standby server confirms the writes of the database server %1 (synchronous_commit = %2, "
    "synchronous_standby_names = '%3'): what was written last may be lost if this server "
    "fails."};
inline constexpr BiText PlainText{
    "データベースサーバー %1 との通信は暗号化されていません（sslmode=verify-full "
    "にしてください）。",
    "The connection to the database server %1 is not encrypted (set sslmode=verify-full)."};

// A commit whose connection was lost before the server answered (%1: the
// server; %2: why, as the failure said).
inline constexpr BiText LostAtCommit{
    "データベースサーバー %1 との接続が書き込みの完了前に切れました。書き込まれたかどうか"
    "分かりません。確かめてからもう一度操作してください。\n%2",
    "The connection to the database server %1 was lost before it confirmed the write: it is not "
    "known whether it was stored. Check before you do it again.\n%2"};

} // namespace texts::server
