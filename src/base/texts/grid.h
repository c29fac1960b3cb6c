#pragma once

#include "base/texts/bi_text.h"

// The search and the result grid.
namespace texts {

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
// The grid's own heading row (under the heading buttons) and the CSV file's
// heading line: Japanese in either language.
inline constexpr BiText Headings[7] = {
    {"ユニット", "ユニット"}, {"機器名称", "機器名称"}, {"No", "No"}, {"年月日", "年月日"},
    {"時間", "時間"},         {"内容", "内容"},         {"", ""}};
} // namespace grid

} // namespace texts
