#include "engine/condition_file.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "engine/condition_fields.h"
#include "text/cp932.h"
#include "text/format.h"
#include "text/items.h"
#include "text/number_text.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

// Line 7 holds the number of standards.
constexpr int Standards_Line = 7;
// A condition file is 33 short lines; anything far larger is not one.
constexpr std::size_t Largest_File = std::size_t{1} << 20;

Condition_Read refused(const std::string& path, const std::string& problem) {
  return {false, {}, "条件ファイルを読み込めません: " + path + "\n" + problem, ""};
}

// A line that Text_Clean leaves empty holds nothing.
bool blank(std::string_view line) { return text::Text_Clean(line).empty(); }

}  // namespace

std::string line_text(std::size_t n) { return std::to_string(n) + "行目"; }

Condition_Read parse_condition_file(std::string_view bytes, const std::string& path) {
  if (text::looks_binary(bytes)) return refused(path, "テキストファイルではありません");
  text::Cp932_Error error;
  const std::optional<std::string> decoded = text::cp932_to_utf8(bytes, &error);
  if (!decoded) {
    const auto line = 1 + std::count(bytes.begin(), bytes.begin() + error.offset, '\n');
    return refused(path, line_text(line) + "にシフトJISとして読めない文字があります");
  }

  Condition_Read read{true, {}, "", ""};
  text::Line_Reader lines(*decoded);
  std::size_t line_number = 0;
  for (std::string& field : read.lines.fields) {
    const std::optional<std::string_view> line = lines.next();
    if (!line) {
      return refused(path, line_number == 0
                               ? std::string("ファイルが空です")
                               : "ファイルが" + std::to_string(line_number) + "行で終わっています（13行必要です）");
    }
    field = *line;
    ++line_number;
  }

  // The numbers of standards, sera and samples and their tubes, as the screen takes them.
  std::array<double, Last_Count_Box + 1> counts{};
  for (int box = First_Count_Box; box <= Last_Count_Box; ++box) {
    const std::string value = text::Text_Clean(read.lines.fields[static_cast<std::size_t>(box)]);
    const std::optional<double> number = value.empty() ? 0.0 : text::number_only(value);
    const Count_Box& limits = count_box(box);
    if (!number) return refused(path, line_text(box + 1) + "の" + limits.label + "が数値ではありません: " + value);
    if (*number < 0 || *number > limits.limit)
      return refused(path,
                     line_text(box + 1) + "の" + limits.label + "は０から" + limits.limit_text + "までです: " + value);
    counts[static_cast<std::size_t>(box)] = text::round_half_even(*number);
  }
  // A standard, serum or sample needs tubes, or its counts would be read as the next ones'.
  for (int box = First_Count_Box; box <= Last_Count_Box; ++box) {
    const int number_box = count_box(box).number_box;
    if (number_box >= 0 && counts[static_cast<std::size_t>(number_box)] > 0 &&
        counts[static_cast<std::size_t>(box)] == 0)
      return refused(path, line_text(box + 1) + "の" + count_box(box).label + "は１から１０までです（" +
                               line_text(number_box + 1) + "の" + count_box(number_box).label + "が " +
                               text::bare_text(static_cast<long long>(counts[static_cast<std::size_t>(number_box)])) +
                               " のため）");
  }

  // The concentrations are the first lines from line 14 on that hold something.
  const int n = static_cast<int>(counts[Standards_Line - 1]);
  while (static_cast<int>(read.lines.standards.size()) < n) {
    const std::optional<std::string_view> line = lines.next();
    if (!line) {
      return refused(path, "ファイルには濃度が " +
                               text::bare_text(static_cast<long long>(read.lines.standards.size())) +
                               " 個しかありません（スタンダードは " + text::bare_text(n) + " 点です）");
    }
    ++line_number;
    if (blank(*line)) continue;
    const std::string value = text::Text_Clean(*line);
    if (!positive_value(value))
      return refused(path, line_text(line_number) + "のスタンダード " +
                               text::bare_text(static_cast<long long>(read.lines.standards.size() + 1)) +
                               " の濃度が正しくありません（０より大きい数値が必要です）: " + value);
    read.lines.standards.emplace_back(*line);
  }

  // An older file may lack the dilution factor: it loads, without one.
  std::string& dilution = read.lines.fields[Dilution_Box];
  const std::string factor = text::Text_Clean(dilution);
  if (factor.empty() || !positive_value(factor)) {
    read.warning = "条件ファイルの" + line_text(Dilution_Box + 1) +
                   (factor.empty() ? std::string("に希釈係数がありません")
                                   : "の希釈係数が正しくありません（０より大きい数値が必要です）: " + factor) +
                   "\n希釈係数を入力するまで、サンプル値は計算されません";
    dilution.clear();
  }
  return read;
}

void write_condition_lines(const std::array<std::string, Condition_Boxes>& texts, text::Line_Writer& out) {
  for (const std::string& text : texts) out.line(text);
}

Condition_Read read_condition_file(const std::string& path) {
  const text::File_Read file = text::read_file(path, Largest_File);
  if (!file.ok) return {false, {}, file.message, ""};
  return parse_condition_file(file.bytes, path);
}

}  // namespace quorin
