#pragma once
// The numbers the conditions boxes take, checked alike when a typed box is committed and when a
// condition file is read: boxes 6..11 hold the numbers of standards, control sera and samples
// and the tubes of each, box 12 the dilution factor, box 12 + k the concentration of standard k.

#include <optional>
#include <string_view>

#include "engine/assay_state.h"

namespace quorin {

inline constexpr int First_Count_Box = 6;
inline constexpr int Last_Count_Box = 11;
inline constexpr int Dilution_Box = 12;
inline constexpr int Sample_Number_Box = 10;

struct Count_Box {
  const char* label;       // as the screen shows it
  Long limit;              // the largest value (the smallest is 0)
  const char* limit_text;  // the limit as messages write it
  int number_box;          // for a box of tubes, the box of the number they belong to; else -1
};

inline constexpr Count_Box Count_Boxes[] = {
    {"スタンダードの点数", Max_Standards, "２０", -1},
    {"ｽﾀﾝﾀﾞｰﾄﾞごとのチューブ数", Max_Tubes, "１０", 6},
    {"管理血清の点数", Max_Sera, "２０", -1},
    {"管理血清ごとのチューブ数", Max_Tubes, "１０", 8},
    {"サンプルの点数", Max_Samples, "１００，０００", -1},
    {"サンプルごとのチューブ数", Max_Tubes, "１０", 10},
};

constexpr const Count_Box& count_box(int box) { return Count_Boxes[box - First_Count_Box]; }

// A concentration or the dilution factor, from a cleaned text: 0 for an empty text (not entered
// yet), else the one finite number above 0 the text holds; nullopt for anything else (‹0›,
// ‹-2›, ‹1,000›, ‹x10›, ‹1e309›).
std::optional<double> positive_value(std::string_view cleaned);

}  // namespace quorin
