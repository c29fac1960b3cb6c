#pragma once

#include "base/texts/bi_text.h"

// Connecting to a PostgreSQL server: the progress window, and the reasons a
// connection is refused that the program finds out itself. %1 is the server
// ("host:port"). libpq's own text follows on a line of its own, in the
// language of the system's locale.
namespace texts::server {

inline constexpr BiText ConnectTitle{"サーバーへの接続", "Connecting to the server"};
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

} // namespace texts::server
