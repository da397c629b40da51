#include "intro/reg_intro.h"

#include <cmath>

#include "state/program.h"

namespace quorin {

Reg_Intro::Reg_Intro(Program& program)
    : ui::Form("Competitive Radioassay", 7905, 4530),
      Picture1(add<ui::Picture_Area>("Picture1", 400, 300, 7200, 2400)),
      Command1(add<ui::Command_Button>("Command1", 4680, 4020, 1335, 375)),
      Command2(add<ui::Command_Button>("Command2", 6150, 4020, 1335, 375)),
      Timer1(add<ui::Timer>("Timer1", 0, 0, 0, 0)),
      program_(program) {
  Picture1.back_colour = ui::Dark_Blue;
  Picture1.visible = false;
  draw_emblem();

  struct Label_Text {
    int left, top, width, height;
    double size;
    const char* text;
  };
  const Label_Text texts[] = {
      {400, 2790, 4300, 420, 16, "QUORIN for Windws"},
      {400, 3240, 7200, 270, 9, "企画・開発・監修：QUORIN 開発チーム（ラジオイムノアッセイ データ処理研究会）"},
      {4800, 2880, 2800, 300, 10, "Ｖｅｒ１．３０ (000515)"},
      {400, 3510, 7200, 480, 9,
       "本ソフトウェアの計算手順は、旧型パーソナルコンピュータ用に当開発チームが作成した"
       "「ロジット・ログ重み付き回帰法」に準拠しています。"},
  };
  for (int i = 0; i < 4; ++i) {
    const Label_Text& t = texts[i];
    ui::Label& label = add(Label1, i, t.left, t.top, t.width, t.height);
    label.caption = t.text;
    label.font_size = t.size;
    label.visible = false;
  }
  Label1[2].alignment = ui::Align::Right;

  Command1.caption = "開　　始";
  Command2.caption = "中　　断";
  Command2.enabled = false;
  Timer1.interval_ms = 200;

  Timer1.on_timer = [this] { tick(); };
  Command1.on_click = [this] { start(); };
  Command2.on_click = [this] { program_.end(); };
  close_control = &Command2;
  Command1.on_key_press = [this](int character) {
    if (Intro_Tick >= 30 || character != Admin_Key) return;
    program_.platform.message("Welcome administrator!!");
    program_.state.Admin_Mode = 1;
    start();
  };
}

void Reg_Intro::load() { Intro_Tick = 0; }

void Reg_Intro::tick() {
  if (Intro_Tick == 0) Picture1.visible = true;
  ++Intro_Tick;
  if (Intro_Tick > 50) {
    Intro_Tick = 50;
    return;
  }
  if (Intro_Tick > 6) {
    Command1.enabled = true;
    Command2.enabled = true;
    for (auto& [index, label] : Label1) label->visible = true;
    set_focus(Command1);
    return;
  }
  const int t = Intro_Tick;
  Picture1.move((8000 - 1200 * t) / 2, (4000 - 400 * t) / 2 - 500, 1200 * t, 400 * t);
  program_.platform.process_events();
}

void Reg_Intro::start() {
  program_.close(Screen::Intro);
  program_.show(Screen::Conditions);
}

// The emblem: a falling dose-response curve over a logarithmic axis with the standards marked,
// drawn in a coordinate system of 0..300 by 0..100 so that it grows with the picture.
void Reg_Intro::draw_emblem() {
  Picture1.scale(0, 0, 300, 100);
  const ui::Colour grid{70, 90, 200};
  Picture1.draw_style = ui::Draw_Style::Dotted;
  for (int x = 30; x <= 270; x += 40) Picture1.line(x, 12, x, 88, grid);
  for (int y = 20; y <= 80; y += 15) Picture1.line(20, y, 280, y, grid);
  Picture1.draw_style = ui::Draw_Style::Solid;
  auto curve_y = [](double x) { return 18 + 64 / (1 + std::exp(-(x - 150) / 28.0)); };
  Picture1.point(20, curve_y(20), ui::Yellow);
  for (int x = 22; x <= 280; x += 2) Picture1.line_to(x, curve_y(x), ui::Yellow);
  for (int x = 50; x <= 250; x += 40) Picture1.circle(x, curve_y(x), 4, ui::Green);
  Picture1.line(20, 88, 280, 88, ui::White);
  Picture1.line(20, 12, 20, 88, ui::White);
}

}  // namespace quorin
