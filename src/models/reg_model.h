#pragma once
// The model screen, reached from the fitted curves of the standard-curve screen: the standard
// tubes as B/B0 against ln(concentration) with the chosen logit-log fit, the 4PL and the 5PL
// drawn over them, a table that compares the three (parameters and their standard errors, ED50,
// RSS, s, AIC, the recoveries of the standards, detection limits, ED values), the weighting of
// the 4PL and 5PL, and the choice of the curve the results are read off. Everything shown is
// computed afresh from the assay whenever the screen comes to the front.

#include <cstdint>

#include "engine/model_comparison.h"
#include "state/work_screen.h"

namespace quorin {

class Program;

class Reg_Model : public Work_Screen {
 public:
  explicit Reg_Model(Program& program);
  void activate() override;

  // Compares the models with the weighting Model_Weight and shows the comparison; while the
  // fitted curves are of other standards or another range than those in force, shows instead that
  // they must be drawn afresh (Redraw).
  void Model_Disp();
  // True when the standards, the range, a fit or a choice the comparison shows has changed since
  // it was computed.
  bool out_of_date() const;
  // True while the logit-log fits were computed from other standards or another range than those
  // in force: a comparison would set them against curves of other standards.
  bool curves_out_of_date() const;
  // Run after every event: the comparison follows every change of what it shows (computed afresh,
  // or put away while the curves are out of date).
  void check_revision();

  ui::Picture_Area& Picture1;                                           // the standards and the three curves
  ui::Label& Axis;                                                      // the concentrations the horizontal axis spans
  ui::Control_Array<ui::Label> Tick{"Tick"};                            // 100, 50, 0 % left of the plot
  ui::Control_Array<ui::Label> Legend{"Legend"};                        // by curve kind, in the plot's emptiest corner
  ui::Control_Array<ui::Label> Conc_Tick{"Conc_Tick"};                  // concentrations under the plot
  ui::Grid& Table;                                                      // the comparison, one column per curve
  ui::Control_Array<ui::Option_Button> Weight_Choice{"Weight_Choice"};  // the 4PL/5PL weighting
  ui::Control_Array<ui::Option_Button> Model_Choice{"Model_Choice"};    // the results' curve
  ui::Label& Chosen;                                                    // which curve the results use
  ui::Label& Notice;                                                    // why curves are not available
  ui::Command_Button& Redraw;  // shown while the curves are out of date: draws them afresh, then compares
  ui::Command_Button& Close;

  const Model_Comparison& comparison() const { return comparison_; }

 private:
  void draw();
  void place_legend();
  void choose_weighting(int weighting);
  void choose_model(int kind);
  void select_choices();
  // Puts the comparison away while the curves are out of date; the choices wait for it.
  void show_out_of_date();

  Program& program_;
  Model_Comparison comparison_;
  std::uint64_t drawn_revision_ = 0;
};

}  // namespace quorin
