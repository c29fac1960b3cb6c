#pragma once

#include "base/texts/bi_text.h"

// The statistics window, its charts, its saved and printed report.
namespace texts {

namespace stats {
inline constexpr BiText Caption{"統計", "Statistics"};
inline constexpr BiText Summary{
    "%1 ～ %2　ログ %3件　測定 %4件（単位コード %7、上限値 %5 以上 %6件）",
    "%1 - %2: %3 logs, %4 measurements (unit code %7; %6 at or above the limit %5)"};
inline constexpr BiText SeveralCodes{
    "測定値の単位コードが %1 種類あります。グラフと上限値は最も多い単位コード %2 "
    "のものです。他の単位コードの測定 %3件は表の「他の単位コード」に数えています。",
    "The measured values carry %1 unit codes. The chart and the limit are those of the most "
    "frequent code, %2; the %3 measurements of other codes are counted in the table under "
    "\"Other codes\"."};
inline constexpr BiText NoCode{"なし", "none"};
inline constexpr BiText NoTime{"日時のあるログはありません　ログ %1件",
                               "No log has a time: %1 logs"};

// The log chart.
inline constexpr BiText LogChart{"内容別のログ数", "Logs by content"};
inline constexpr BiText PerDay{"日別", "Per day"};
inline constexpr BiText PerWeek{"週別（月曜から）", "Per week (from Monday)"};
inline constexpr BiText PerMonth{"月別", "Per month"};
inline constexpr BiText PerYear{"年別", "Per year"};
inline constexpr BiText Logs{"ログ数", "Logs"};

// The measured-value chart.
inline constexpr BiText ValueChart{"ユニット別の測定値（時間帯ごとの最小と最大）",
                                   "Measured values by unit (lowest and highest per time slot)"};
inline constexpr BiText ValueAxis{"測定値（単位コード %1）", "Measured value (unit code %1)"};
inline constexpr BiText TimeAxis{"日時", "Date and time"};
inline constexpr BiText LimitLine{"会社の上限値 %1", "Company limit %1"};
inline constexpr BiText AtOrAbove{"上限値以上", "At or above the limit"};

// The per-unit table.
inline constexpr BiText TableHeadings[7] = {
    {"ユニット", "Unit"},       {"機器名称", "Name"},          {"ログ数", "Logs"},
    {"測定数", "Measurements"}, {"上限値以上", "At or above"}, {"最初のログ", "First log"},
    {"最後のログ", "Last log"}};
// Inserted before the first log's column when the values carry several codes.
inline constexpr BiText OtherCodes{"他の単位コード", "Other codes"};

// The controls.
inline constexpr BiText LB_Limit{"会社の上限値（単位コード %1）", "Company limit (unit code %1)"};
inline constexpr BiText LimitTip{"quarvenix.ini に単位コードごとに保存されます。",
                                 "Kept per unit code in quarvenix.ini."};
inline constexpr BiText Cmd_Limit{"設定", "Set"};
inline constexpr BiText Cmd_Hozon{"保存", "Save"};
inline constexpr BiText Cmd_Print{"印刷", "Print"};
inline constexpr BiText Cmd_Modoru{"戻る", "CLOSE"};

inline constexpr BiText BadLimit{
    "上限値は 0 から 9.999 までの数値（小数点以下3桁まで）で入力してください。",
    "Enter the limit as a number from 0 to 9.999 with at most three decimals."};
inline constexpr BiText LimitNotKept{"上限値を保存できませんでした。\n%1",
                                     "The limit could not be kept.\n%1"};

// Saving and printing.
inline constexpr BiText SaveBase{"統計", "STATISTICS"}; // proposed name: base, time stamp, ".pdf"
inline constexpr BiText ReportFilter{"PDF形式(*.pdf)|*.pdf|PNG形式(*.png)|*.png",
                                     "PDF file(*.pdf)|*.pdf|PNG image(*.png)|*.png"};
inline constexpr BiText Saved{"統計を保存しました。", "The statistics were saved."};
inline constexpr BiText SaveFailed{"統計を保存できませんでした。\n%1\n%2",
                                   "The statistics could not be saved.\n%1\n%2"};
inline constexpr BiText PngTooLong{"PNG画像は %1 ページまでです。PDFで保存してください。",
                                   "A PNG image holds at most %1 pages; save as PDF."};
inline constexpr BiText Printed{"統計を印刷しました。", "The statistics were printed."};
inline constexpr BiText PrintFailed{"統計を印刷できませんでした。\n%1",
                                    "The statistics could not be printed.\n%1"};
} // namespace stats

} // namespace texts
