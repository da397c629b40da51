#include "conditions/condition_file.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "conditions/reg_set.h"
#include "state/navigation.h"
#include "state/program.h"
#include "text/cp932.h"
#include "text/items.h"
#include "text/number_text.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

constexpr int Box_Count = 33;
// Line 7 holds the number of standards.
constexpr int Standards_Line = 7;
// A condition file is 33 short lines; anything far larger is not one.
constexpr std::size_t Largest_File = std::size_t{1} << 20;

ui::File_Dialog dialog_of(const char* title) { return {title, "条件(*.crx)|*.crx", "crx"}; }

Condition_Read refused(const std::string& path, const std::string& problem) {
  return {false, {}, "条件ファイルを読み込めません: " + path + "\n" + problem};
}

std::string line_text(std::size_t n) { return std::to_string(n) + "行目"; }

// A line that Text_Clean leaves empty holds nothing.
bool blank(std::string_view line) { return text::Text_Clean(line).empty(); }

}  // namespace

Condition_Read parse_condition_file(std::string_view bytes, const std::string& path) {
  if (text::looks_binary(bytes)) return refused(path, "テキストファイルではありません");
  text::Cp932_Error error;
  const std::optional<std::string> decoded = text::cp932_to_utf8(bytes, &error);
  if (!decoded) {
    const auto line = 1 + std::count(bytes.begin(), bytes.begin() + error.offset, '\n');
    return refused(path, line_text(line) + "にシフトJISとして読めない文字があります");
  }

  Condition_Read read{true, {}, ""};
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

  const std::string standards = text::Text_Clean(read.lines.fields[Standards_Line - 1]);
  if (!standards.empty() && !text::starts_with_number(standards))
    return refused(path, line_text(Standards_Line) + "のスタンダードの点数が数値ではありません: " + standards);
  const double v = text::Val(standards);
  if (v < 0 || v > Max_Standards)
    return refused(path, line_text(Standards_Line) + "のスタンダードの点数は０から２０までです: " + standards);

  // The concentrations are the first lines from line 14 on that hold something.
  const int n = static_cast<int>(text::round_half_even(v));
  while (static_cast<int>(read.lines.standards.size()) < n) {
    const std::optional<std::string_view> line = lines.next();
    if (!line) {
      return refused(path, "スタンダード " + std::to_string(read.lines.standards.size() + 1) +
                               " の濃度がありません（ファイルが" + std::to_string(line_number) +
                               "行で終わっています）");
    }
    ++line_number;
    if (!blank(*line)) read.lines.standards.emplace_back(*line);
  }
  return read;
}

void write_condition_lines(const Reg_Set& screen, text::Line_Writer& out) {
  for (int i = 0; i < Box_Count; ++i) out.line(screen.info[i].text);
}

Condition_Read read_condition_file(const std::string& path) {
  const text::File_Read file = text::read_file(path, Largest_File);
  if (!file.ok) return {false, {}, file.message};
  return parse_condition_file(file.bytes, path);
}

void Condition_Load(Program& program) {
  Assay_State& state = program.state;
  // A cancelled dialog or a refused file stops a running wizard.
  const std::string path = program.platform.open_file(dialog_of("条件を開く"));
  if (path.empty()) {
    state.Wizard_Mode = 0;
    return;
  }
  const Condition_Read read = read_condition_file(path);
  if (!read.ok) {
    program.platform.message(read.message);
    state.Wizard_Mode = 0;
    return;
  }

  program.load(Screen::Conditions);
  auto& screen = *program.screen_as<Reg_Set>(Screen::Conditions);
  state.Condition_File = path;
  screen.caption = path;
  for (std::size_t i = 0; i < read.lines.fields.size(); ++i)
    screen.info[static_cast<int>(i)].text = read.lines.fields[i];
  // The standards beyond the file's number keep their texts and are committed with them.
  for (std::size_t k = 1; k <= read.lines.standards.size(); ++k)
    screen.info[static_cast<int>(12 + k)].text = read.lines.standards[k - 1];
  state.Edit_Flag = 0;  // what was typed before is replaced by the file
  for (int i = 0; i < Box_Count; ++i) screen.commit(i);

  state.Active_Screen = Screen::Conditions;
  Command_Enable(program);
  // The data entry button is disabled when the file gives nothing to enter.
  screen.set_focus(screen.Command[target::Data_Sheet].enabled ? screen.Command[target::Data_Sheet]
                                                              : screen.Command[target::Open_File]);
}

void Condition_Save(Program& program, const Reg_Set& screen) {
  const std::string path = program.platform.save_file(dialog_of("条件を保存する"));
  if (path.empty()) return;

  text::Line_Writer out;
  write_condition_lines(screen, out);
  if (out.failed()) {
    const std::string& character = out.bad_character();
    int box = 0;
    while (box < Box_Count - 1 && screen.info[box].text.find(character) == std::string::npos) ++box;
    const std::string field = screen.Label1.has(box) ? "「" + screen.Label1[box].caption + "」" : line_text(box + 1);
    program.platform.message("条件を保存できません: " + path + "\n" + field + "の「" + character +
                             "」はシフトJISで保存できない文字です");
    return;
  }
  if (const std::string failure = text::save_file(path, out.bytes()); !failure.empty())
    program.platform.message(failure);
}

}  // namespace quorin
