#include "graph/reg_graph.h"

#include <optional>

#include "engine/curve_shape.h"
#include "engine/fit_choice.h"
#include "engine/plot_axes.h"
#include "engine/regression.h"
#include "engine/result_curve.h"
#include "engine/treatment_standard.h"
#include "state/basis.h"
#include "state/commands.h"
#include "state/program.h"
#include "text/format.h"
#include "text/number_text.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

// Layout, in twips. The drawing area is far wider than the window: the ED tables lie beyond its
// right edge and come into view through the scroll bar, 500 twips a step.
constexpr int Window_Width = 13530;  // the button row ends with the model screen's button
constexpr int Area_Width = 25000;
constexpr int Area_Height = 7440;
constexpr int Scroll_Step = 500;
constexpr int Scroll_Steps = 24;  // brings the right edge of the ED table into view
constexpr int Bottom_Row = 7755;  // range entry and command buttons
constexpr int Plot_Top = 360;
constexpr int Plot_Width = 2800;
constexpr int Plot_Height = 5000;
constexpr int Plot_Left[4] = {500, 3480, 6480, 9480};
constexpr int Column_Pitch = 3000;  // between the label columns of neighbouring plots
constexpr int Label_Height = 240;

// The standard number a range box holds: its leading number within 1..STD_Number, taken to the
// nearest whole number (halves to the even one); nullopt for anything else.
std::optional<Integer> range_value(const std::string& text, int standards) {
  const double value = text::Val(text);
  if (value < 1 || value > standards) return std::nullopt;
  return text::to_integer(value);
}

}  // namespace

Reg_Graph::Reg_Graph(Program& program)
    : Work_Screen(Plot_Caption, Window_Width, Bottom_Row + 375 + 120),
      Picture2(add<ui::Picture_Area>("Picture2", 0, 0, Area_Width, Area_Height)),
      Table_Title(add<ui::Label>("Table_Title", 14880, 60, 4000, Label_Height)),
      ED_Grid(add<ui::Grid>("ED_Grid", 14880, Plot_Top, 7932, 5004)),
      Limit_Grid(add<ui::Grid>("Limit_Grid", 14880, 5500, 7770, 1110)),
      HScroll1(add<ui::Scroll_Bar>("HScroll1", 0, Area_Height, 12240, 255, /*vertical=*/false)),
      Stale_Label(add<ui::Label>("Stale_Label", Plot_Left[0], 2160, Plot_Left[3] + Plot_Width - Plot_Left[0], 600)),
      Redraw(add<ui::Command_Button>("Redraw", (Plot_Left[0] + Plot_Left[3] + Plot_Width) / 2 - 1000, 2880, 2000, 375)),
      program_(program),
      state_(program.state) {
  Picture2.back_colour = ui::Button_Face;
  Picture2.border = false;
  for (ui::Control* inside : {static_cast<ui::Control*>(&Table_Title), static_cast<ui::Control*>(&ED_Grid),
                              static_cast<ui::Control*>(&Limit_Grid)})
    ui::put_inside(*inside, Picture2);
  Table_Title.caption = "ED値と最小検出限界値";
  // Small enough that a concentration such as 12.34567 fits the 800 twips of a fit's column.
  ED_Grid.font_size = Limit_Grid.font_size = 7.5;

  HScroll1.set_range(0, Scroll_Steps);
  HScroll1.large_change = 4;
  HScroll1.visible = false;
  HScroll1.on_change = [this] { Picture2.left = -Scroll_Step * HScroll1.value(); };

  for (ui::Control* notice : {static_cast<ui::Control*>(&Stale_Label), static_cast<ui::Control*>(&Redraw)}) {
    ui::put_inside(*notice, Picture2);
    notice->visible = false;
  }
  Stale_Label.alignment = ui::Align::Center;
  Stale_Label.font_size = 10;
  Stale_Label.caption =
      "描いた後にスタンダードの測定値、濃度または回帰範囲が変わったため、このグラフは表示していません。\n"
      "「描き直す」で今の測定値と範囲から描き直します";
  Redraw.caption = "描き直す";
  Redraw.on_click = [this] { Redraw_View(); };

  build_plots();
  build_equations();
  build_range_entry();
  build_buttons();
}

void Reg_Graph::build_plots() {
  for (int w = 0; w < 4; ++w) {
    ui::Picture_Area& plot = add(Picture1, w, Plot_Left[w], Plot_Top, Plot_Width, Plot_Height);
    ui::put_inside(plot, Picture2);
    plot.back_colour = ui::Dark_Blue;
    plot.on_mouse_down = [this, w](int, int, double, double y) { read_off_curve(w, y); };
    ui::put_inside(add(Title, w, 480 + Column_Pitch * w, 60, 2900, Label_Height), Picture2);

    for (auto* cross : {&add(Cross_H, w, 0, 0, 0, 0), &add(Cross_V, w, 0, 0, 0, 0)}) {
      ui::put_inside(*cross, plot);
      cross->colour = ui::Red;
      cross->visible = false;
    }
  }
  for (int t = 0; t < 3; ++t) {
    ui::Label& tick = add(Tick, t, 60, 0, 400, Label_Height);
    ui::put_inside(tick, Picture2);
    tick.alignment = ui::Align::Right;
  }
}

// Under each plot: its range, the two choice buttons with their equations, the two ED50 values.
// An equation row is the button, a coefficient, its term, a coefficient and its term.
void Reg_Graph::build_equations() {
  constexpr int Button_Width = 940, Number_Width = 810, Term_Width = 180;
  constexpr double Equation_Font = 8;  // four equations side by side must fit the window
  constexpr int Line_Top = 5760, Cubic_Top = 6480, Cubic_Second_Top = 6720;
  for (int w = 0; w < 4; ++w) {
    const int left = 480 + Column_Pitch * w;
    const int number[2] = {left + Button_Width, left + Button_Width + Number_Width + Term_Width};
    const int term[2] = {number[0] + Number_Width, number[1] + Number_Width};
    auto inside = [this](ui::Control& control) { ui::put_inside(control, Picture2); };

    inside(add(Range_Label, 3 * w, left, 5520, Plot_Width, Label_Height));
    inside(add(Range_Label, 3 * w + 1, left + 240, 6120, 2600, Label_Height));
    inside(add(Range_Label, 3 * w + 2, left + 240, 7080, 2600, Label_Height));

    ui::Option_Button& line_choice = add(Choice, 2 * w, left, Line_Top - 15, Button_Width, 270);
    ui::Option_Button& cubic_choice = add(Choice, 2 * w + 1, left, Cubic_Top - 15, Button_Width, 270);
    line_choice.caption = "1次  Y=";
    cubic_choice.caption = "3次  Y=";
    for (int c : {2 * w, 2 * w + 1}) {
      inside(Choice[c]);
      Choice[c].on_click = [this, c] { choose_fit(c); };
    }

    // (label index k, column, top) of the six coefficients, then the four terms.
    const int places[6][3] = {{0, 1, Line_Top},  {1, 0, Line_Top},         {2, 0, Cubic_Top},
                              {3, 1, Cubic_Top}, {4, 0, Cubic_Second_Top}, {5, 1, Cubic_Second_Top}};
    for (const auto& [k, column, top] : places) {
      ui::Label& label = add(Coefficient, 6 * w + k, number[column], top, Number_Width, Label_Height);
      label.alignment = ui::Align::Right;
      label.font_size = Equation_Font;
      inside(label);
    }
    const struct {
      int column, top;
      const char* text;
    } terms[4] = {{0, Line_Top, "X"}, {0, Cubic_Top, "X³"}, {1, Cubic_Top, "X²"}, {0, Cubic_Second_Top, "X"}};
    for (int t = 0; t < 4; ++t) {
      ui::Label& label = add(Term, 4 * w + t, term[terms[t].column], terms[t].top, Term_Width, Label_Height);
      label.caption = terms[t].text;
      label.font_size = Equation_Font;
      inside(label);
    }
  }
  show_curve_view(false);
}

void Reg_Graph::build_range_entry() {
  add<ui::Label>("Range_Caption", 120, Bottom_Row + 60, 1000, Label_Height).caption = "回帰式  STD";
  add<ui::Label>("Range_To", 1700, Bottom_Row + 60, 560, Label_Height).caption = "～STD";
  for (int b = 0; b < 2; ++b) {
    ui::Text_Box& box = add(Range_Box, b, b == 0 ? 1120 : 2260, Bottom_Row, 500, 330);
    box.alignment = ui::Align::Right;
    box.on_key_down = [this, b](int key_code, int) { range_key(b, key_code); };
  }
}

void Reg_Graph::build_buttons() {
  const struct {
    int target;
    const char* caption;
  } buttons[] = {{target::Switch_View, "検量線表示"},
                 {target::Results, "測定結果表示"},
                 {target::Data_Sheet, "データ入力"},
                 {target::Conditions, "条件設定"},
                 {target::Print, "印　刷"},
                 {target::Exit, "終　　　了"},
                 {target::Help, "Help"},
                 {target::Models, "モデル比較"}};
  int left = 2880;
  for (const auto& [index, caption] : buttons) {
    ui::Command_Button& button = add(Command, index, left, Bottom_Row, 1290, 375);
    button.caption = caption;
    button.on_click = [this, target = index] {
      state_.Screen_No = screen_no(Screen::Graph);
      program_.command(target);
    };
    left += 1320;
  }
  close_control = &Command[target::Exit];
}

void Reg_Graph::load() {
  HScroll1.visible = state_.Admin_Mode == 1;
  // The range in force, the whole set of standards until one is fitted.
  for (int b : {0, 1}) Range_Box[b].text = range_in_force(b);
  choose_first_fit(state_);
  Choice[0].select();
}

// What belongs to the fitted curves only; the crosshairs also need the administrator mode.
void Reg_Graph::show_curve_view(bool curves) {
  for (int w = 0; w < 4; ++w) Cross_H[w].visible = Cross_V[w].visible = curves && state_.Admin_Mode == 1;
  for (auto& [index, label] : Range_Label) label->visible = curves;
  for (auto& [index, button] : Choice) button->visible = curves;
  for (auto& [index, label] : Coefficient) label->visible = curves;
  for (auto& [index, label] : Term) label->visible = curves;
  for (int w : {2, 3}) Picture1[w].visible = Title[w].visible = curves;
  if (Command.has(target::Models)) Command[target::Models].visible = curves;
}

// The three tick labels left of plot 0, top to bottom.
void Reg_Graph::set_ticks(const char* const (&texts)[3], const int (&tops)[3]) {
  for (int t = 0; t < 3; ++t) {
    Tick[t].caption = texts[t];
    Tick[t].top = tops[t];
  }
}

void Reg_Graph::select_chosen_fit() {
  if (!model_in_use(state_)) {
    Choice[2 * state_.Weight_Type + (state_.Reg_Order == 1 ? 0 : 1)].select();
    if (state_.Plot_Stage == Curve_Stage::Curves) caption = Curves_Caption;
    return;
  }
  for (auto& [index, choice] : Choice) choice->value = false;
  if (state_.Plot_Stage == Curve_Stage::Curves)
    caption = std::string(Curves_Caption) + " ― 測定結果は " + result_curve_name(state_) + " で求めます";
}

bool Reg_Graph::Fit_And_Draw() {
  if (!take_range()) return false;
  const Curve_Fitting fitting = Fit_Curves(state_);
  if (!fitting.refusal.empty()) {
    program_.platform.message(fitting.refusal);
    return false;
  }
  Regression_Curves(*fitting.grids);
  drawn_basis_ = state_.Curve_Basis;
  // The curves asked for are drawn all the same: the problems are a warning.
  if (const std::string text = report_.next(fitting.problems); !text.empty()) program_.platform.warning(text);
  return true;
}

bool Reg_Graph::drawing_in_force() const {
  return drawn_basis_ != 0 && drawn_basis_ == basis_digest(state_, Basis::Curve);
}

void Reg_Graph::check_drawing() {
  // Only Enter takes a typed standard: a box shows the range in force whenever it is not typed
  // into, so that one left without Enter (or with fewer standards now) shows it again.
  for (int b : {0, 1})
    if (focused() != &Range_Box[b]) Range_Box[b].text = range_in_force(b);
  if (state_.Plot_Stage == Curve_Stage::Nothing || drawn_basis_ == 0) return;
  const bool in_force = drawing_in_force();
  if (in_force == marked_out_of_date()) {
    show_drawing(in_force);
    if (!in_force) {
      caption = "検量線 ― 最新の測定値から描いたグラフではありません。「描き直す」で描き直してください";
      report_.forget();
      HScroll1.set_value(0);  // the notice and its button in view
    } else if (state_.Plot_Stage == Curve_Stage::Standard_Plot) {
      caption = Plot_Caption;
    }
  }
  if (in_force && state_.Plot_Stage == Curve_Stage::Curves) select_chosen_fit();
}

void Reg_Graph::show_drawing(bool shown) {
  const bool curves = state_.Plot_Stage == Curve_Stage::Curves;
  show_curve_view(shown && curves);
  // The model screen stays within reach of curves put away: it says so itself, and draws them afresh.
  if (Command.has(target::Models)) Command[target::Models].visible = curves;
  for (int w : {0, 1}) Picture1[w].visible = Title[w].visible = shown;
  for (auto& [t, tick] : Tick) tick->visible = shown;
  for (ui::Control* table : {static_cast<ui::Control*>(&Table_Title), static_cast<ui::Control*>(&ED_Grid),
                             static_cast<ui::Control*>(&Limit_Grid)})
    table->visible = shown;
  Stale_Label.visible = Redraw.visible = !shown;
}

bool Reg_Graph::Draw_Curves() {
  if (!Fit_And_Draw()) return false;
  refresh_buttons();
  return true;
}

bool Reg_Graph::Redraw_View() {
  if (state_.Plot_Stage == Curve_Stage::Curves) return Draw_Curves();
  Standard_Plotting();
  refresh_buttons();
  return state_.Plot_Stage != Curve_Stage::Nothing;
}

bool Reg_Graph::take_range() {
  const auto first = range_value(Range_Box[0].text, state_.STD_Number);
  const auto last = range_value(Range_Box[1].text, state_.STD_Number);
  if (!first || !last) {
    refuse_range();
    return false;
  }
  state_.Fit_From = *first;
  state_.Fit_To = *last;
  return true;
}

std::string Reg_Graph::range_in_force(int box) const {
  const int n = state_.STD_Number;
  const int value = box == 0 ? state_.Fit_From : state_.Fit_To;
  return text::bare_text(value >= 1 && value <= n ? value : box == 0 ? 1 : n);
}

void Reg_Graph::refuse_range() {
  program_.platform.message("値が範囲外です");
  for (int b : {0, 1}) Range_Box[b].text = range_in_force(b);
}

// The curves are fitted with the typed standard before the focus moves on, so that the box it
// leaves shows the standard now in force.
void Reg_Graph::range_key(int box, int key_code) {
  if (key_code != ui::Key_Return) return;
  if (!range_value(Range_Box[box].text, state_.STD_Number)) return refuse_range();
  Range_Box[box].text = text::Text_Clean(Range_Box[box].text);
  Draw_Curves();
  set_focus(Range_Box[1 - box]);
}

void Reg_Graph::choose_fit(int choice) {
  if (!Choice[choice].enabled) return;  // a fit that could not be computed cannot be chosen
  const Integer weight_type = state_.Weight_Type, order = state_.Reg_Order;
  state_.Weight_Type = static_cast<Integer>(choice / 2);
  state_.Reg_Order = choice % 2 == 0 ? 1 : 3;
  if (Fit_And_Draw()) {
    // A logit-log fit chosen here is what the results use from now on (an open result table
    // empties itself).
    state_.Curve_Model = Logit_Log;
    refresh_buttons();
  } else {
    state_.Weight_Type = weight_type;
    state_.Reg_Order = order;
  }
  select_chosen_fit();
}

// Curves drawn from the screen itself make the results reachable, as drawing them by button 8 does.
void Reg_Graph::refresh_buttons() {
  state_.Active_Screen = Screen::Graph;
  program_.enable_commands();
}

}  // namespace quorin
