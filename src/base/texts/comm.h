#pragma once

#include "base/texts/bi_text.h"

// The port window and the handset reading.
namespace texts {

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
// The serial devices present, and which COM number opens each.
inline constexpr BiText LB_List{"接続されている機器：", "Devices present:"};
inline constexpr BiText ColNumber{"COM", "COM"};
inline constexpr BiText ColDevice{"デバイス", "Device"};
inline constexpr BiText ColDescription{"説明", "Description"};
inline constexpr BiText ColMaker{"メーカー", "Maker"};
inline constexpr BiText ColSerial{"シリアル番号", "Serial number"};
inline constexpr BiText ColState{"状態", "State"};
inline constexpr BiText StateMissing{"見つかりません", "missing"};
inline constexpr BiText StateRefused{"権限なし（%1）", "no permission (%1)"};
inline constexpr BiText StateHeld{"他のプログラムが使用中", "in use by another program"};
inline constexpr BiText StateHeldBy{"使用中（%1）", "in use (%1)"};
// A device this user may not open: %1 the device, %2 its group, %3 the user.
inline constexpr BiText Refused{
    "%1 を開く権限がありません（このデバイスはグループ %2 のメンバーが使えます）。\n"
    "管理者に「sudo adduser %3 %2」を実行してもらい、ログインし直してください。",
    "You may not open %1 (members of the group %2 may).\n"
    "Ask an administrator to run \"sudo adduser %3 %2\", then log in again."};
inline constexpr BiText Held{"%1 は他のプログラムが使用中です。\n"
                             "そのプログラムを終了してから、もう一度行ってください。",
                             "%1 is in use by another program.\n"
                             "End that program, then try again."};
inline constexpr BiText HeldBy{"%1 は他のプログラム（%2）が使用中です。\n"
                               "そのプログラムを終了してから、もう一度行ってください。",
                               "%1 is in use by another program (%2).\n"
                               "End that program, then try again."};
inline constexpr BiText LinkFailed{"COMポートの接続先を保存できません。\n%1",
                                   "The device of the COM port cannot be kept.\n%1"};
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
// The status line's reason when the port cannot be opened (the port window opens).
inline constexpr BiText PortNotOpened{"COM%1を開けません。", "COM%1 cannot be opened."};
// On lines of their own after entry 3: the device tried and what to check.
inline constexpr BiText CheckDevice{
    "接続先：%1\nケーブルの接続と、ハンドセットの電源が入っていることを確認してください。",
    "Device: %1\nCheck the cable and that the hand set is switched on."};
// The server did not confirm that the last received logs were stored.
inline constexpr BiText StoreUnknown{
    "受信したログの一部が保存されたかどうか分かりません。"
    "もう一度読み込んでください（同じログが二重に保存されることはありません）。\n%1",
    "It is not known whether some of the received logs were stored. Read them again: no log is "
    "stored twice.\n%1"};
} // namespace handset_read

namespace com {
// A device only its owner (root) may open: %1 the device, %2 the owner, %3
// the main window's port button. No group would help.
inline constexpr BiText OwnerOnly{
    "%1 は %2 だけが開けるデバイスです（グループに参加しても使えません）。\n"
    "ハンドセットをつないだポートを「%3」で選び直してください。",
    "Only %2 may open %1 (joining a group does not help).\n"
    "Choose the port the hand set is connected to again under \"%3\"."};
inline constexpr BiText StateOwnerOnly{"権限なし（%1 のみ）", "no permission (%1 only)"};
} // namespace com

} // namespace texts
