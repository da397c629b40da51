// The condition file's dialogs: loading one into the conditions (Condition_Load) and saving the
// conditions screen's boxes (Condition_Save).
#include <array>
#include <string>

#include "conditions/conditions_procedures.h"
#include "conditions/reg_set.h"
#include "engine/condition_commit.h"
#include "engine/condition_file.h"
#include "state/commands.h"
#include "state/program.h"

namespace quorin {

namespace {

ui::File_Dialog dialog_of(const char* title) { return {title, "条件(*.crx)|*.crx", "crx"}; }

}  // namespace

void Condition_Load(Program& program) {
  Assay_State& state = program.state;
  // A cancelled dialog or a refused file stops a running wizard.
  const std::string path = program.platform.open_file(dialog_of("条件を開く"));
  if (path.empty()) {
    state.Wizard_Mode = Wizard::Idle;
    return;
  }
  const Condition_Read read = read_condition_file(path);
  if (!read.ok) {
    program.platform.message(read.message);
    state.Wizard_Mode = Wizard::Idle;
    return;
  }

  program.close(Screen::Data);  // its rows follow the old conditions; a cancel or refusal keeps it
  program.load(Screen::Conditions);
  auto& screen = *program.screen_as<Reg_Set>(Screen::Conditions);
  screen.caption = path;
  for (const std::string& refusal : load_condition_lines(state, read.lines, path)) program.platform.message(refusal);
  screen.show_committed_texts();

  state.Active_Screen = Screen::Conditions;
  program.enable_commands();
  if (!read.warning.empty()) program.platform.message(read.warning);
  // The data entry button is disabled when the file gives nothing to enter.
  screen.set_focus(screen.Command[target::Data_Sheet].enabled ? screen.Command[target::Data_Sheet]
                                                              : screen.Command[target::Open_File]);
}

void Condition_Save(Program& program, const Reg_Set& screen) {
  const std::string path = program.platform.save_file(dialog_of("条件を保存する"));
  if (path.empty()) return;

  std::array<std::string, Condition_Boxes> shown;
  for (const auto& [i, box] : screen.info) shown[static_cast<std::size_t>(i)] = box->text;
  text::Line_Writer out;
  write_condition_lines(shown, out);
  if (out.failed()) {
    const std::string& character = out.bad_character();
    int box = 0;
    while (box < Condition_Boxes - 1 && screen.info[box].text.find(character) == std::string::npos) ++box;
    const std::string field = screen.Label1.has(box) ? "「" + screen.Label1[box].caption + "」" : line_text(box + 1);
    program.platform.message("条件を保存できません: " + path + "\n" + field + "の「" + character +
                             "」はシフトJISで保存できない文字です");
    return;
  }
  if (const std::string failure = text::save_file(path, out.bytes()); !failure.empty())
    program.platform.message(failure);
}

}  // namespace quorin
