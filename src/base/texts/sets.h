#pragma once

#include "base/texts/bi_text.h"

// The selection-set windows and the log master change.
namespace texts {

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
// The open dialog's file types.
inline constexpr BiText MstFilter{"MST形式(*.mst)|*.mst|すべて(*.*)|*.*",
                                  "MST形式(*.mst)|*.mst|すべて(*.*)|*.*"};
} // namespace lmaster

// The database as delivered.
namespace delivered {
inline constexpr BiText StandardSet{"標準セット", "Standard set"};
inline constexpr BiText AdminName{"管理者", "Administrator"};
} // namespace delivered

} // namespace texts
