// The conditions screen's part of the navigation; filled as the conditions screen is built.
#include "state/navigation.h"
#include "state/program.h"
#include "state/targets.h"
#include "state/work_screen.h"

namespace quorin {

namespace {
// The screen's button row until its entry boxes are built.
class Conditions_Shell : public Work_Screen {
 public:
  explicit Conditions_Shell(Program& program) : Work_Screen("条件設定", 8595, 7965) {
    struct Button { int index, left, top; const char* caption; };
    const Button buttons[] = {{0, 120, 6480, "条件読込"},   {13, 1560, 6480, "条件保存"}, {5, 3000, 6480, "条件印刷"},
                              {12, 4440, 6480, "プリンタ設定"}, {2, 120, 6960, "データ入力"}, {3, 1560, 6960, "測定結果表示"},
                              {4, 3000, 6960, "検量線表示"}, {14, 120, 7440, "Ｗｉｚａｒｄ"}, {15, 1560, 7440, "Help"},
                              {7, 3000, 7440, "終　　　了"}};
    for (const Button& b : buttons) {
      ui::Command_Button& button = add(Command, b.index, b.left, b.top, 1335, 375);
      button.caption = b.caption;
      button.on_click = [&program, i = b.index] {
        program.state.Screen_No = 1;
        if (i == target::Wizard) {
          program.state.Wizard_Mode = 1;
          Command_Exec(program, target::Open_File);
        } else {
          Command_Exec(program, i);
        }
      };
    }
    for (int hidden : {1, 6, 8, 9, 10, 11}) add(Command, hidden, 0, 0, 0, 0).visible = false;
  }
};
}  // namespace

std::unique_ptr<ui::Form> Make_Reg_Set(Program& program) { return std::make_unique<Conditions_Shell>(program); }
void Condition_Load(Program& program) {
  const ui::File_Dialog dialog{"条件を開く", "条件(*.crx)|*.crx", "crx"};
  if (program.platform.open_file(dialog).empty()) program.state.Wizard_Mode = 0;
}
void Set_PRT(Program&) {}

}  // namespace quorin
