#pragma once
// The precision profile screen, reached from the sample table: the samples' concentration CVs
// against their concentrations, the fitted profile, the CV limit (settable here) and the working
// range it gives, and the printout of the same.

#include <cstdint>

#include "engine/precision_profile.h"
#include "qc/profile_plot.h"
#include "ui/form.h"

namespace quorin {

class Program;

class Reg_Profile : public ui::Form {
 public:
  static constexpr int Decade_Labels = 9;  // at most this many decades are labelled

  explicit Reg_Profile(Program& program);
  // Computes the profile from the samples as the program last computed them, and draws it.
  void refresh();
  const qc::Precision_Profile& profile() const { return profile_; }
  // True when the samples have changed, or been read off another curve, since it was drawn.
  bool out_of_date() const;
  // Run after every event: an out-of-date profile is cleared, says so and offers Update; one whose
  // samples are in force is drawn afresh when the CV limit or the unit has changed, and the limit's
  // box shows the limit in force.
  void check_revision();

  ui::Text_Box& Limit_Box;
  ui::Label& Points_Label;
  ui::Picture_Area& Chart;
  ui::Control_Array<ui::Label> Tick{"Tick"};      // the CV at 0, 1/4, ... 4/4 of the height
  ui::Control_Array<ui::Label> Decade{"Decade"};  // the concentrations of the decades
  ui::Label& Axis_Label;
  ui::Label& Summary_Label;
  ui::Label& Fit_Label;
  ui::Command_Button& Update;  // shown while out of date: draws the profile of the samples in force
  ui::Command_Button& Print;
  ui::Command_Button& Help;
  ui::Command_Button& Close;

 private:
  void draw();
  void draw_samples(const qc::Profile_Axes& axes);
  void commit_limit();
  void clear_drawing();
  // Computes the samples in force and draws their profile; false, after the reason was told,
  // when the samples cannot be computed.
  bool bring_up_to_date();

  Program& program_;
  std::uint64_t drawn_revision_ = 0;  // of the results the profile was drawn from, 0 for none
  std::uint64_t drawn_labels_ = 0;    // of what it shows beside them (labels_digest)
  double shown_limit_ = 0;            // the CV limit Limit_Box last showed
  qc::Precision_Profile profile_;
};

}  // namespace quorin
