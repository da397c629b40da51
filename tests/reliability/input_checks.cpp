#include "reliability/input_checks.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <optional>

#include "data/count_file.h"
#include "data/counter_export.h"
#include "engine/condition_file.h"
#include "help/help_file.h"
#include "navigation/navigation.h"
#include "text/cp932.h"
#include "text/csv_field.h"
#include "text/format.h"
#include "text/items.h"
#include "text/number_text.h"
#include "text/text_clean.h"
#include "text/text_file.h"

namespace quorin::testing {

bool mentions_non_number(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

namespace {

// The condition file reader: a refusal names the file; an accepted file has as many
// concentrations as its line 7 says, none of them blank, and every line can be saved again.
std::string check_condition_file(std::string_view bytes) {
  const Condition_Read read = parse_condition_file(bytes, "input.crx");
  const bool named = read.message.starts_with("条件ファイルを読み込めません: input.crx\n");
  if (!read.ok) return named ? "" : "refusal without the file's name";
  const double standards = text::round_half_even(text::Val(text::Text_Clean(read.lines.fields[6])));
  if (static_cast<double>(read.lines.standards.size()) != standards) return "concentrations differ from line 7";
  for (const std::string& line : read.lines.fields)
    if (!text::utf8_to_cp932(line)) return "a line read that cannot be saved again: " + line;
  for (const std::string& line : read.lines.standards)
    if (text::Text_Clean(line).empty() || !text::utf8_to_cp932(line))
      return "a concentration read that is blank or cannot be saved again: " + line;
  return "";
}

// The count data file reader: counts stored into a sheet and written as a count data file read
// back the same.
std::string check_count_file(std::string_view bytes) {
  if (text::looks_binary(bytes)) return "";  // refused before any count is read
  const Count_Items items = read_count_items(bytes);
  if (items.fault != Count_Fault::None) return items.counts.empty() ? "" : "counts kept beside a refused line";

  // A state shaped like a small assay: 3 standards and the NSB, TOTAL and zero rows of 2 tubes,
  // 2 sera of 2 tubes, samples of 3 tubes, without samples at the start of each run. Kept between
  // runs (it is large): storing writes every count that is read back.
  static const std::unique_ptr<Assay_State> sheet = std::make_unique<Assay_State>();
  sheet->STD_Number = 3, sheet->STD_Tubes = 2, sheet->Sera_Number = 2, sheet->Sera_Tubes = 2;
  sheet->Sample_Tubes = 3, sheet->Sample_Number = 0;
  const Stored_Counts stored_counts = store_counts(*sheet, items);
  if (stored_counts.left_over > items.counts.size()) return "more counts left over than read";
  const std::size_t stored = items.counts.size() - stored_counts.left_over;
  if (sheet->Sample_Number > Max_Samples) return "more samples than the tables hold";

  const Count_Items back = read_count_items(count_file_bytes(*sheet));
  if (back.fault != Count_Fault::None || back.counts.size() != stored + stored_counts.missing)
    return "the saved counts do not read back";
  for (std::size_t i = 0; i < back.counts.size(); ++i)
    if (back.counts[i] != (i < stored ? items.counts[i] : 0))
      return "count " + std::to_string(i + 1) + " reads back changed";
  return "";
}

// The counter's export reader, its counts from the first column and the samples' identifiers
// from the second: a refusal keeps nothing; what it accepts, written again as a plain CSV file
// (the identifiers quoted as spreadsheets quote them), reads back the same.
std::string check_counter_export(std::string_view bytes) {
  const std::optional<std::string> text = text::any_text_to_utf8(bytes);
  if (!text) return "";
  const std::vector<std::string> headers = counter_headers(*text);
  const Counter_Columns columns{headers.empty() ? "" : headers[0], headers.size() > 1 ? headers[1] : ""};
  const Sheet_Layout layout{1, 1, 0, 0, 0, 2};  // 4 standard rows, then samples of 2 tubes
  constexpr std::size_t Room = 1000;
  const Counter_Rows rows = read_counter_export(*text, columns, layout, Room);
  if (!rows.refusal.empty())
    return rows.items.counts.empty() && rows.ids.empty() ? "" : "counts or identifiers kept beside a refusal";
  if (rows.items.counts.size() != std::min(rows.items.total, Room)) return "counts kept beyond the room";

  std::string again = "CPM,ID\r\n";
  for (std::size_t row = 0; row < rows.items.counts.size(); ++row) {
    const std::size_t sample = row >= 4 ? (row - 4) / 2 + 1 : 0;
    const std::string id = sample > 0 && sample < rows.ids.size() ? rows.ids[sample] : "";
    again += std::to_string(rows.items.counts[row]) + "," + text::csv_field(id) + "\r\n";
  }
  const Counter_Rows back = read_counter_export(again, {"CPM", columns.id.empty() ? "" : "ID"}, layout, Room);
  if (!back.refusal.empty()) return "rows written again are refused: " + back.refusal;
  if (back.items.counts != rows.items.counts) return "counts read back changed";
  if (back.ids != rows.ids) return "identifiers read back changed";
  return "";
}

// The help and readme readers: at most the topics the screen lists, a message for what is left out.
std::string check_help_files(std::string_view bytes) {
  const help::Help_Read topics = help::parse_help_file(bytes, "help.csv");
  if (topics.topics.size() > static_cast<std::size_t>(help::Max_Topics)) return "more topics than the screen lists";
  for (const help::Help_Topic& topic : topics.topics)
    if (!std::isfinite(topic.Help_Section)) return "a section code that is not finite";
  const help::Readme_Read readme = help::parse_readme_file(bytes, "readme.csv");
  if (!readme.message.empty() && !readme.lines.empty()) return "readme lines beside a refusal";
  return "";
}

// The leading-number reader: a finite number, 0 for a text that does not begin with one, and
// the whole-number conversions and the general number form agreeing with it.
std::string check_leading_number(std::string_view bytes) {
  const double value = text::Val(bytes);
  if (!std::isfinite(value)) return "Val is not finite";
  if (!text::starts_with_number(bytes) && value != 0) return "Val of a text without a number is not 0";

  const double whole = text::round_half_even(value);
  if (!(std::fabs(whole - value) <= 0.5)) return "round_half_even moved by more than a half";
  if (const std::optional<Long> l = text::to_long(value); l && *l != whole) return "to_long differs from the rounding";
  if (const std::optional<Integer> i = text::to_integer(value); i && *i != whole)
    return "to_integer differs from the rounding";

  const std::string general = text::general_number(value);
  if (general.empty() || mentions_non_number(general)) return "general_number gave " + general;
  // 15 significant digits, and half the smallest step of a subnormal value.
  const double back = text::Val(general);
  if (!(std::fabs(back - value) <= 1e-14 * std::fabs(value) + std::numeric_limits<double>::denorm_min()))
    return "general_number " + general + " does not read back";
  return "";
}

// The format patterns: the first 8 bytes are a double, the rest the pattern. A finite value under
// a pattern of digit places reads back as itself rounded to the pattern's decimals.
std::string check_format(std::string_view bytes) {
  double value = 0;
  if (bytes.size() < sizeof value) return "";
  std::memcpy(&value, bytes.data(), sizeof value);
  const std::string_view pattern = bytes.substr(sizeof value);
  const std::string shown = text::Format(value, pattern);
  if (!std::isfinite(value)) return shown.empty() ? "" : "a value that is not finite shown as " + shown;
  if (!mentions_non_number(pattern) && mentions_non_number(shown)) return "Format gave " + shown;

  // A pattern of digit places only (one point at most) shows the rounded value and nothing else.
  if (pattern.empty() || pattern.find_first_not_of("#0.") != std::string_view::npos) return "";
  const std::size_t point = pattern.find('.');
  if (point != std::string_view::npos && pattern.find('.', point + 1) != std::string_view::npos) return "";
  const long decimals = point == std::string_view::npos ? 0 : static_cast<long>(pattern.size() - point - 1);
  if (decimals > 300) return "";
  // Rounding to the decimals after 15 significant digits.
  const double step = std::pow(10.0, static_cast<double>(-decimals));
  const double back = text::Val(shown);
  if (!(std::fabs(back - value) <= 0.5 * step + 1e-14 * std::fabs(value) + 1e-300))
    return "Format(" + text::general_number(value) + ", \"" + std::string(pattern) + "\") gave " + shown;
  return "";
}

// The code page 932 decoder and encoder: what decodes encodes again to bytes that decode the
// same; UTF-8 that encodes decodes back unchanged.
std::string check_cp932(std::string_view bytes) {
  text::Cp932_Error error;
  if (const std::optional<std::string> decoded = text::cp932_to_utf8(bytes, &error)) {
    const std::optional<std::string> encoded = text::utf8_to_cp932(*decoded);
    if (!encoded) return "decoded text that does not encode again";
    if (text::cp932_to_utf8(*encoded) != decoded) return "encoded text that decodes differently";
  } else if (error.offset >= bytes.size()) {
    return "a decoding error past the end";
  }
  if (const std::optional<std::string> encoded = text::utf8_to_cp932(bytes)) {
    if (text::cp932_to_utf8(*encoded) != std::optional<std::string>(std::string(bytes)))
      return "accepted UTF-8 that reads back changed";
  }
  return "";
}

}  // namespace

Input_Check input_check(std::string_view target) {
  static const std::map<std::string_view, Input_Check> checks = {{"condition_file", check_condition_file},
                                                                 {"count_file", check_count_file},
                                                                 {"counter_export", check_counter_export},
                                                                 {"help_files", check_help_files},
                                                                 {"leading_number", check_leading_number},
                                                                 {"format", check_format},
                                                                 {"cp932", check_cp932},
                                                                 {"screens", check_screens}};
  const auto found = checks.find(target);
  return found == checks.end() ? nullptr : found->second;
}

}  // namespace quorin::testing
