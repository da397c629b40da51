#include "models/reg_model.h"

#include <algorithm>
#include <cmath>

#include "engine/curve_shape.h"
#include "engine/result_curve.h"
#include "graph/concentration_ticks.h"
#include "graph/graph_procedures.h"
#include "models/model_plot.h"
#include "models/model_table.h"
#include "state/basis.h"
#include "state/commands.h"
#include "state/current_curve.h"
#include "state/program.h"
#include "text/format.h"

namespace quorin {

namespace {

// Layout, in twips.
// The plot leaves a row under it for the concentrations of its ticks.
constexpr int Plot_Left = 600, Plot_Top = 360, Plot_Width = 4800, Plot_Height = 4260;
constexpr int Conc_Tick_Width = 720;
constexpr int Legend_Width = 2640, Legend_Margin = 120;
constexpr int Table_Left = 5640, Table_Top = 360, Table_Width = 8640, Table_Height = 6360;
constexpr int Heading_Width = 1620, Column_Width = 2200;  // "99.7511 ± 0.4673" in 8 points
constexpr int Choice_Lefts[3] = {600, 2100, 3600};
constexpr int Weight_Top = 5560, Model_Top = 6280;
constexpr int Button_Row = 7800;
constexpr int Label_Height = 240;

constexpr const char* Caption = "検量線モデルの比較";
constexpr ui::Colour Cyan{0, 255, 255};
constexpr ui::Colour Curve_Colour[Model_Kinds] = {ui::Yellow, ui::Green, Cyan};

// The top of a response in the plot, in twips from the plot's top edge.
int plot_y(double percent) {
  return static_cast<int>(Plot_Height * (Plot_Top_Percent - percent) / (Plot_Top_Percent - Plot_Bottom_Percent));
}

// The concentrations at the ends of the horizontal axis: half the first and twice the last standard's.
std::string axis_text(const Assay_State& state) {
  const Curve_Axis axis = curve_axis(state);
  return "濃度 " + text::significant_text(std::exp(axis.left), 4) + " ～ " +
         text::significant_text(std::exp(axis.right()), 4) + " " + state.Unit_Name + " (対数目盛)";
}

std::string legend_text(const Model_Column& column) {
  static const char* const looks[Model_Kinds] = {"――― ", "- - - ", "・・・ "};
  return looks[column.kind] + column.heading;
}

}  // namespace

Reg_Model::Reg_Model(Program& program)
    : Work_Screen(Caption, Table_Left + Table_Width + 120, Button_Row + 375 + 120),
      Picture1(add<ui::Picture_Area>("Picture1", Plot_Left, Plot_Top, Plot_Width, Plot_Height)),
      Axis(add<ui::Label>("Axis", Plot_Left, Plot_Top + Plot_Height + 300, Plot_Width, Label_Height)),
      Table(add<ui::Grid>("Table", Table_Left, Table_Top, Table_Width, Table_Height)),
      Chosen(add<ui::Label>("Chosen", Plot_Left, Model_Top + 480, Plot_Width, Label_Height)),
      Notice(add<ui::Label>("Notice", Table_Left, Table_Top + Table_Height + 60, Table_Width, 1020)),
      Redraw(add<ui::Command_Button>("Redraw", 5880, Button_Row, 1290, 375)),
      Close(add<ui::Command_Button>("Close", 4560, Button_Row, 1290, 375)),
      program_(program) {
  Picture1.back_colour = ui::Dark_Blue;
  add<ui::Label>("Title", Plot_Left, 60, Plot_Width, Label_Height).caption = "log(濃度)-Ｂ／Ｂo (%)";
  const char* const ticks[3] = {"100", "50", "0"};
  for (int t = 0; t < 3; ++t) {
    ui::Label& tick = add(Tick, t, 60, Plot_Top + plot_y(100 - 50 * t) - Label_Height / 2, 480, Label_Height);
    tick.caption = ticks[t];
    tick.alignment = ui::Align::Right;
  }
  for (int kind = 0; kind < Model_Kinds; ++kind) {
    ui::Label& legend = add(Legend, kind, Legend_Margin, Legend_Margin + 260 * kind, Legend_Width, Label_Height);
    ui::put_inside(legend, Picture1);
    legend.opaque = true;
    legend.back_colour = ui::Dark_Blue;
    legend.fore_colour = Curve_Colour[kind];
  }
  for (std::size_t t = 0; t < Most_Ticks; ++t) {
    ui::Label& tick =
        add(Conc_Tick, static_cast<int>(t), Plot_Left, Plot_Top + Plot_Height + 60, Conc_Tick_Width, Label_Height);
    tick.alignment = ui::Align::Center;
    tick.visible = false;
  }
  Table.font_size = 8;
  Notice.fore_colour = ui::Red;

  add<ui::Label>("Weight_Caption", Plot_Left, Weight_Top - 280, Plot_Width, Label_Height).caption =
      "4PL・5PL の重み付け";
  add<ui::Label>("Model_Caption", Plot_Left, Model_Top - 280, Plot_Width, Label_Height).caption = "測定結果に使う曲線";
  for (int k = 0; k < 3; ++k) {
    ui::Option_Button& weight = add(Weight_Choice, k, Choice_Lefts[k], Weight_Top, 1440, 270);
    weight.caption = model_weight_name(k);
    weight.on_click = [this, k] { choose_weighting(k); };
    ui::Option_Button& model = add(Model_Choice, k, Choice_Lefts[k], Model_Top, 1440, 270);
    model.caption = model_name(k);
    model.on_click = [this, k] { choose_model(k); };
  }

  const struct {
    int target, left;
    const char* caption;
  } buttons[] = {{target::Results, 600, "測定結果表示"}, {target::Print, 1920, "印　刷"}, {target::Help, 3240, "Help"}};
  for (const auto& [index, left, caption] : buttons) {
    ui::Command_Button& button = add(Command, index, left, Button_Row, 1290, 375);
    button.caption = caption;
    button.on_click = [this, target = index] {
      program_.state.Screen_No = screen_no(Screen::Model);
      program_.command(target);
    };
  }
  Redraw.caption = "描き直す";
  Redraw.visible = false;
  Redraw.on_click = [this] {
    if (Draw_Fitted_Curves(program_)) Model_Disp();
  };
  Close.caption = "閉じる";
  Close.on_click = [this] { program_.close(Screen::Model); };
  close_control = &Close;
}

void Reg_Model::activate() { Model_Disp(); }

void Reg_Model::Model_Disp() {
  Assay_State& state = program_.state;
  drawn_revision_ = basis_digest(state, Basis::Comparison);
  if (curves_out_of_date()) return show_out_of_date();
  Redraw.visible = false;
  caption = Caption;
  for (auto* choices : {&Weight_Choice, &Model_Choice})
    for (auto& [k, choice] : *choices) choice->enabled = true;
  comparison_ = compare_models(state, state.Model_Weight);

  const std::vector<Model_Row> rows = model_table(comparison_, true);
  Table.resize(static_cast<int>(rows.size()), 1 + Model_Kinds);
  Table.set_column_width(0, Heading_Width);
  for (int column = 1; column <= Model_Kinds; ++column) Table.set_column_width(column, Column_Width);
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (int column = 0; column <= Model_Kinds; ++column) Table.set_cell(static_cast<int>(r), column, rows[r][column]);

  for (const Model_Column& column : comparison_.columns) Legend[column.kind].caption = legend_text(column);
  Notice.caption = model_problems(comparison_);
  Axis.caption = axis_text(state);
  draw();
  select_choices();
}

bool Reg_Model::out_of_date() const { return drawn_revision_ != basis_digest(program_.state, Basis::Comparison); }

bool Reg_Model::curves_out_of_date() const {
  return program_.state.Curve_Basis != basis_digest(program_.state, Basis::Curve);
}

void Reg_Model::check_revision() {
  if (out_of_date() || curves_out_of_date() != Redraw.visible) Model_Disp();
}

void Reg_Model::show_out_of_date() {
  comparison_ = {};
  Picture1.clear();
  Table.resize(0, 0);
  for (auto& [k, label] : Legend) label->caption = "";
  for (auto& [t, label] : Conc_Tick) label->visible = false;
  for (auto* choices : {&Weight_Choice, &Model_Choice})
    for (auto& [k, choice] : *choices) choice->enabled = false;
  Notice.caption =
      "検量線を描いた後にスタンダードの測定値、濃度または回帰範囲が変わったため、比較を表示していません。"
      "「描き直す」で検量線を描き直して比べます";
  caption = std::string(Caption) + " ― 最新の測定値の比較ではありません";
  Redraw.visible = true;
}
void Reg_Model::draw() {
  const Curve_Axis axis = curve_axis(program_.state);
  const double span = Plot_Top_Percent - Plot_Bottom_Percent;
  Picture1.clear();
  Picture1.scale(axis.left, -Plot_Top_Percent, axis.width, span);
  for (double percent : {0.0, 50.0, 100.0}) Picture1.line(axis.left, -percent, axis.right(), -percent, ui::Light_Grey);

  const double radius = axis.width / 150;
  for (const Plot_Point& tube : tube_points(comparison_)) Picture1.circle(tube.x, -tube.p, radius, ui::White);
  for (const Model_Column& column : comparison_.columns) {
    if (!column.available) continue;
    const ui::Colour colour = Curve_Colour[column.kind];
    std::vector<Plot_Point> dots;
    for (const Plot_Segment& piece : curve_segments(curve_points(column, axis), line_look(column.kind), dots))
      Picture1.line(piece.from.x, -piece.from.p, piece.to.x, -piece.to.p, colour);
    for (const Plot_Point& dot : dots) Picture1.circle(dot.x, -dot.p, radius / 2, colour);
  }
  const std::vector<double> ticks = concentration_ticks(std::exp(axis.left), std::exp(axis.right()));
  for (std::size_t t = 0; t < Most_Ticks; ++t) {
    ui::Label& label = Conc_Tick[static_cast<int>(t)];
    label.visible = t < ticks.size();
    if (!label.visible) continue;
    const double across = (std::log(ticks[t]) - axis.left) / axis.width;
    label.caption = tick_text(ticks[t]);
    label.left = Plot_Left + static_cast<int>(Plot_Width * across) - Conc_Tick_Width / 2;
    Picture1.line(std::log(ticks[t]), -Plot_Bottom_Percent, std::log(ticks[t]), -Plot_Bottom_Percent - span * 0.03,
                  ui::Light_Grey);
  }
  place_legend();
}

// The legend goes into the corner of the plot that holds the fewest tubes and curve points.
void Reg_Model::place_legend() {
  const Curve_Axis axis = curve_axis(program_.state);
  std::vector<Plot_Point> marks = tube_points(comparison_);
  for (const Model_Column& column : comparison_.columns)
    if (column.available)
      for (const Plot_Point& point : curve_points(column, axis)) marks.push_back(point);
  const int height = Legend_Margin + 260 * Model_Kinds;
  int best_left = Legend_Margin, best_top = Legend_Margin;
  std::size_t fewest = marks.size() + 1;
  for (const int left : {Legend_Margin, Plot_Width - Legend_Width - Legend_Margin})
    for (const int top : {Legend_Margin, Plot_Height - height}) {
      const auto inside = static_cast<std::size_t>(std::count_if(marks.begin(), marks.end(), [&](const Plot_Point& m) {
        const double x = Plot_Width * (m.x - axis.left) / axis.width;
        const double y = plot_y(m.p);
        return x >= left - 60 && x <= left + Legend_Width + 60 && y >= top - 60 && y <= top + height;
      }));
      if (inside < fewest) {
        fewest = inside;
        best_left = left;
        best_top = top;
      }
    }
  for (int kind = 0; kind < Model_Kinds; ++kind) {
    Legend[kind].left = best_left;
    Legend[kind].top = best_top + 260 * kind;
  }
}

void Reg_Model::select_choices() {
  const Assay_State& state = program_.state;
  if (Weight_Choice.has(state.Model_Weight)) Weight_Choice[state.Model_Weight].select();
  const int kind = curve_in_use(state);
  Model_Choice[kind].select();
  Chosen.caption = "測定結果はこの曲線で求めます: " + result_curve_name(state);
}

// A new weighting changes the results only while a model is in use; a weighting under which the
// model in use cannot be fitted is refused.
void Reg_Model::choose_weighting(int weighting) {
  Assay_State& state = program_.state;
  if (weighting == state.Model_Weight) return select_choices();
  const Integer previous = state.Model_Weight;
  state.Model_Weight = static_cast<Integer>(weighting);
  if (const Curve_Outcome curve = model_in_use(state) ? Current_Curve(program_) : Curve_Outcome{};
      !curve.refusal.empty()) {
    program_.platform.message(curve.refusal);
    state.Model_Weight = previous;
    return select_choices();
  }
  Model_Disp();
}

void Reg_Model::choose_model(int kind) {
  Assay_State& state = program_.state;
  const int current = curve_in_use(state);
  if (kind == current) return select_choices();
  const Model_Column& column = comparison_.columns[kind];
  if (!column.available) {
    program_.platform.message(column.heading + " は使えません\n" + column.problem);
    return select_choices();
  }
  // The results are read off this curve from now on (an open result table empties itself).
  state.Curve_Model = static_cast<Integer>(kind);
  if (const std::string warning = chosen_fit_shape_warning(state); !warning.empty()) program_.platform.message(warning);
  select_choices();
}

}  // namespace quorin
