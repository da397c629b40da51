#pragma once
// The start-up screen: a title window that grows its emblem for six ticks of 200 ms, then shows
// its labels and the start and abort buttons. The administrator key typed on the start button
// within the first 30 ticks enters the administrator mode.

#include "ui/form.h"

namespace quorin {

class Program;

class Reg_Intro : public ui::Form {
 public:
  explicit Reg_Intro(Program& program);
  void load() override;

  // The upper-case letter that enters the administrator mode.
  static constexpr char Admin_Key = 'Q';

  int Intro_Tick = 0;
  ui::Picture_Area& Picture1;
  ui::Control_Array<ui::Label> Label1{"Label1"};
  ui::Command_Button& Command1;  // start
  ui::Command_Button& Command2;  // abort
  ui::Timer& Timer1;

  void tick();

 private:
  void draw_emblem();
  void start();
  Program& program_;
};

}  // namespace quorin
