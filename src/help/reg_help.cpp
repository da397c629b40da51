#include "help/reg_help.h"

#include <algorithm>

#include "help/help_location.h"
#include "help/topic_display.h"
#include "state/program.h"

namespace quorin {

Reg_Help::Reg_Help(Program& program)
    : ui::Form("Help", 7065, 6900),
      // Label2 is wider, and Picture1, Text2 and Text1 a pixel or two smaller, than the layout the
      // screen was drawn with, so that the caption fits in this font and no control covers the next.
      Label2(add<ui::Label>("Label2", 240, 240, 3720, 255)),
      Command1(add<ui::Command_Button>("Command1", 4080, 120, 855, 375)),
      Command2(add<ui::Command_Button>("Command2", 5040, 120, 1935, 375)),
      Picture1(add<ui::Picture_Area>("Picture1", 120, 600, 6600, 3015)),
      // Tall enough for all 100 keywords, so that none is cut off by the list's own edge.
      Picture2(add<ui::Picture_Area>("Picture2", 0, 0, 6615, Keyword_Pitch * (help::Max_Topics + 1))),
      VScroll1(add<ui::Scroll_Bar>("VScroll1", 6720, 600, 255, 3015, /*vertical=*/true)),
      Text2(add<ui::Text_Box>("Text2", 120, 3840, 6855, 360)),
      Text1(add<ui::Text_Box>("Text1", 120, 4200, 6855, 2160)),
      Text3(add<ui::Text_Box>("Text3", 120, 6360, 6855, 390)),
      program_(program) {
  Label2.caption = "調べたいキーワードをクリックして下さい。";
  Command1.caption = "閉じる";
  Command2.caption = "readmeﾌｧｲﾙの表示";
  ui::put_inside(Picture2, Picture1);
  Picture2.border = false;
  for (int i = 0; i <= help::Max_Topics; ++i) {
    ui::Label& keyword = add(Label1, i, 0, Keyword_Pitch * i, 4000, Keyword_Height);
    ui::put_inside(keyword, Picture2);
    keyword.font_size = 11;
    keyword.on_click = [this, i] { show_topic(i); };
  }
  VScroll1.small_change = 1;
  VScroll1.large_change = 1;
  Text1.multi_line = true;
  Text1.vertical_scroll = true;
  for (ui::Text_Box* box : {&Text1, &Text2, &Text3}) box->read_only = true;

  VScroll1.on_change = [this] { Picture2.top = -Keyword_Pitch * VScroll1.value(); };
  Command1.on_click = [this] { program_.close(Screen::Help); };
  close_control = &Command1;
  Command2.on_click = [this] { show_readme(); };
}

void Reg_Help::load() {
  help::Help_Read read = help::read_help_topics(help::help_folders());
  topics_ = std::move(read.topics);
  if (!read.message.empty()) program_.platform.message(read.message);

  Label1[0].visible = false;
  const int n = topic_count();
  for (int i = 1; i <= help::Max_Topics; ++i) {
    Label1[i].visible = i <= n;
    Label1[i].caption = i <= n ? topic(i).Help_Title : "";
  }
  for (int i : Heading_Positions) Label1[i].fore_colour = ui::Blue;

  // The scroll bar reaches the place where the last keyword stands on the lowest row that
  // Picture1 shows in full.
  const int rows_below_top = (Picture1.height - Keyword_Height) / Keyword_Pitch;
  VScroll1.set_range(0, std::max(0, n - rows_below_top));
}

namespace {

// The keyword of each screen's topic in the help file.
const char* screen_keyword(Screen screen) {
  switch (screen) {
    case Screen::Conditions: return "【条件設定画面】";
    case Screen::Data: return "【データ入力画面】";
    case Screen::Graph: return "【検量線表示画面】";
    case Screen::Result: return "【測定結果画面】";
    case Screen::Model: return "【モデル比較画面】";
    case Screen::QC_Chart: return "精度管理図";
    case Screen::Profile: return "精度ﾌﾟﾛﾌｧｲﾙ";
    default: return "";
  }
}

}  // namespace

void Reg_Help::open_on(Screen from) {
  const std::string keyword = screen_keyword(from);
  for (int i = 1; i <= topic_count(); ++i) {
    if (keyword.empty() || topic(i).Help_Title != keyword) continue;
    VScroll1.set_value(std::min(i - 1, VScroll1.max));
    show_topic(i);
    return;
  }
}

void Reg_Help::show_topic(int i) {
  if (i < 1 || i > topic_count()) return;  // hidden keywords hold no topic
  const help::Help_Topic& chosen = topic(i);
  Text2.text = help::title_text(chosen);
  if (auto section = help::section_text(chosen.Help_Section)) Text3.text = *section;
  Text1.text = help::explanation_text(chosen.Help_Text);
}

void Reg_Help::show_readme() {
  Text2.text = "リードミーを準備中です。";
  program_.platform.process_events();
  Text1.text.clear();
  // The readme belongs to no section of the program.
  Text3.text.clear();
  const help::Readme_Read read = help::read_readme_lines(help::help_folders());
  if (!read.message.empty()) program_.platform.message(read.message);
  for (const std::string& line : read.lines) Text1.text.append(line).append("\r\n");
  Text2.text = "Readme";
}

}  // namespace quorin
