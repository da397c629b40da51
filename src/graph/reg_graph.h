#pragma once
// The standard-curve screen. Its drawing area carries two views: the standard plot (B/B0 and
// logit of the standards against ln(concentration), plots 0 and 1) and the fitted curves (four
// logit plots, one per weighting, each with its straight line and its cubic, their equations and
// ED50 values, and two choice buttons that pick the fit the results use). Two range boxes choose
// the standards that enter the fit; in the curve view a button leads to the model screen, which
// sets the fitted curves beside the 4PL and the 5PL. In administrator mode a click in a plot reads
// an ED value off the chosen curve, and a scroll bar brings the ED and detection-limit tables into
// view.

#include <cstdint>
#include <string>
#include <vector>

#include "state/curve_fitting.h"
#include "state/work_screen.h"

namespace quorin {

class Program;
struct Assay_State;

// The captions of the fitted-curve view and of the standard plot.
inline constexpr const char* Curves_Caption = "検量線表示";
inline constexpr const char* Plot_Caption = "スタンダード　プロット";

class Reg_Graph : public Work_Screen {
 public:
  explicit Reg_Graph(Program& program);
  void load() override;

  // The standard plot view.
  void Standard_Plotting();
  // The fitted-curve view of the eight fits that the last Regression left, with their weighting
  // comparison.
  void Regression_Curves(const Weight_Grids& grids);
  // Takes the range from the boxes, treats the standards as their counts stand, runs the
  // regression and draws the curves, then tells the user which fits could not be computed. False
  // when the range or the standards were refused (the user has been told why and nothing was
  // fitted).
  bool Fit_And_Draw();
  // Fit_And_Draw, and the buttons the curves make reachable (the results) enabled.
  bool Draw_Curves();
  // True while the view shown was drawn from the standards, concentrations and range in force.
  bool drawing_in_force() const;
  // Run after every event: a view drawn from anything else is put away, and the screen says so and
  // offers Redraw; once the state is back to what it was drawn from (an insertion undone), the
  // view is shown again as it was. The range boxes show the range in force.
  void check_drawing();
  // True while the view is put away as out of date.
  bool marked_out_of_date() const { return Redraw.visible; }
  // Draws the view shown (the standard plot or the fitted curves) afresh from the state in force;
  // false, after the user was told why, when it cannot be drawn.
  bool Redraw_View();
  // Marks the logit-log fit the results use, or none while they use a 4PL or 5PL, which the
  // caption of the fitted curves then names.
  void select_chosen_fit();

  ui::Picture_Area& Picture2;                                // the drawing area, moved sideways by the scroll bar
  ui::Control_Array<ui::Picture_Area> Picture1{"Picture1"};  // plots 0..3
  ui::Control_Array<ui::Label> Title{"Title"};               // above plot w
  ui::Control_Array<ui::Label> Tick{"Tick"};                 // 0..2, top to bottom, left of plot 0
  // 3 w: the range of plot w's fits; 3 w + 1 and 3 w + 2: the ED50 of its line and its cubic.
  ui::Control_Array<ui::Label> Range_Label{"Range_Label"};
  ui::Control_Array<ui::Option_Button> Choice{"Choice"};  // 2 w: line of weighting w, 2 w + 1: cubic
  // 6 w + k: k = 0 intercept a, 1 slope b, 2 a3, 3 a2, 4 a1, 5 a0 (Reg_Work slot 34 - k).
  ui::Control_Array<ui::Label> Coefficient{"Coefficient"};
  // 4 w + t: the "X" of the line, the "X³" and "X²" of the cubic's first row, the "X" of its second.
  ui::Control_Array<ui::Label> Term{"Term"};
  ui::Control_Array<ui::Line_Element> Cross_H{"Cross_H"};  // crosshair of plot w
  ui::Control_Array<ui::Line_Element> Cross_V{"Cross_V"};
  ui::Label& Table_Title;
  ui::Grid& ED_Grid;
  ui::Grid& Limit_Grid;
  ui::Scroll_Bar& HScroll1;
  ui::Control_Array<ui::Text_Box> Range_Box{"Range_Box"};  // 0 first, 1 last standard of the fit
  ui::Label& Stale_Label;                                  // over the plots put away: why
  ui::Command_Button& Redraw;                              // beside it: Redraw_View

 private:
  void build_plots();
  void build_equations();
  void build_range_entry();
  void build_buttons();

  void show_curve_view(bool curves);
  void set_ticks(const char* const (&texts)[3], const int (&tops)[3]);
  void draw_curves(int weight_type);
  void write_equations(int weight_type);

  void choose_fit(int choice);
  void range_key(int box, int key_code);
  void read_off_curve(int plot, double y);

  bool take_range();
  void refuse_range();
  // The range box's standard in force: Fit_From or Fit_To, or the whole set of standards where
  // that is none of them (nothing fitted yet, or a range left from a larger assay).
  std::string range_in_force(int box) const;
  void refresh_buttons();
  // Shows the view drawn (true) or puts it away for the notice and Redraw (false).
  void show_drawing(bool shown);

  Program& program_;
  Assay_State& state_;
  // The unavailable fits and the curve's shape, told once while the same standards are refitted.
  Fit_Report report_;
  // The digest (state/basis.h) of what the view shown was drawn from; 0 while nothing is drawn.
  std::uint64_t drawn_basis_ = 0;
};

}  // namespace quorin
