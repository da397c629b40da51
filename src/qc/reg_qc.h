#pragma once
// The Levey-Jennings screen: the chart of one control serum of one substance from the history,
// the target it is judged against (established from the runs or entered here), the runs that
// broke a rule, the history file in use, and its printout.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qc/lj_chart.h"
#include "qc/qc_history.h"
#include "ui/form.h"

namespace quorin {

class Program;

class Reg_QC : public ui::Form {
 public:
  explicit Reg_QC(Program& program);

  // Reads the history again and shows the chart; the assay being worked on is among the runs
  // when `with_assay` (its control sera were computed) and it belongs to the substance shown.
  void refresh(bool with_assay);
  // What the chart shows now.
  qc::Chart_View view() const;
  // True when the assay's control sera have changed, or been read off another curve, since the
  // chart was drawn with them.
  bool out_of_date() const;
  // Run after every event: an out-of-date chart shows the history without the assay's run, says
  // so and offers Update.
  void check_revision();
  bool with_assay() const { return with_assay_; }

  ui::Label& Substance_Label;
  ui::Label& Serum_Label;
  ui::Control_Array<ui::Command_Button> Step{"Step"};  // 0, 1: substance back, on; 2, 3: serum back, on
  ui::Label& Target_Label;
  ui::Text_Box& Target_Mean;
  ui::Text_Box& Target_SD;
  ui::Command_Button& Set_Target;
  ui::Command_Button& Clear_Target;
  ui::Picture_Area& Chart;
  ui::Control_Array<ui::Label> Tick{"Tick"};          // y axis: Tick[sd + 3] for sd = -3 .. +3
  ui::Control_Array<ui::Label> Run_Date{"Run_Date"};  // x axis: the date of every run shown, in two rows
  ui::Scroll_Bar& HScroll1;
  ui::Label& Window_Label;
  ui::Command_Button& Update;  // shown while out of date: draws the chart with the sera in force
  ui::Text_Box& Rules;
  ui::Label& Picked_Label;  // the run picked on the chart for deletion
  ui::Text_Box& Delete_Reason;
  ui::Command_Button& Delete_Run;  // asks first, then moves the picked run to the deletions
  ui::Label& History_Label;
  ui::Text_Box& History_URI;  // a history server's connection string: Enter (or leaving it) applies it
  ui::Command_Button& Choose_File;
  ui::Command_Button& Print;
  ui::Command_Button& Help;
  ui::Command_Button& Close;

 private:
  void load_runs();
  void draw();
  void step_substance(int step);
  void step_serum(int step);
  void enter_target();
  void remove_target();
  // The run under a click on the chart at x (in runs from the window's left).
  void pick_run(double x);
  void delete_picked_run();
  void choose_file();
  // Uses the server typed in History_URI, once it is read and refused or opened.
  void apply_server();
  // Starts using the history `where`, once it opens; false (told why) when it cannot serve.
  bool use_history(const std::string& where);
  void print();
  // Computes the control sera in force and draws the chart with them; false, after the reason
  // was told, when they cannot be computed.
  bool bring_up_to_date();

  Program& program_;
  bool with_assay_ = false;
  std::uint64_t drawn_revision_ = 0;  // of the results the assay's run was drawn from, 0 for none
  bool assay_changed_ = false;        // the assay's run was taken off the chart as out of date
  std::vector<std::string> substances_;
  std::size_t substance_ = 0;
  std::vector<int> sera_;
  std::size_t serum_ = 0;
  std::optional<qc::Judged_Runs> runs_;
  std::optional<std::size_t> picked_;      // index in the series of the run picked for deletion
  std::vector<std::string> picked_trail_;  // its audit trail, as shown
  bool uri_typed_ = false;                 // History_URI changed since it was last applied
};

}  // namespace quorin
