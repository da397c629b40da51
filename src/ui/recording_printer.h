#pragma once
// A printer that records its operations as readable lines, for tests and for checking a
// printout without paper: "font 14", "text 1000,600 \"Data\" eol", "line 0,750 9600,750",
// "rect 0,750 9600,1000", "circle 1000,2000 r60", "point 5,6", "style 1", "colour 0,0,255", "end".

#include <string>
#include <vector>

#include "ui/printer.h"

namespace quorin::ui {

class Recording_Printer : public Printer {
 public:
  void draw_line(double x1, double y1, double x2, double y2) override;
  void draw_rectangle(double x1, double y1, double x2, double y2) override;
  void draw_circle(double x, double y, double radius) override;
  void draw_point(double x, double y) override;

  // A4 portrait less 12 mm margins at top and bottom, as the PDF output lays out its pages.
  double sheet_height() const override { return page_height; }
  double page_height = (297.0 - 24.0) / 25.4 * 1440;
  // A failure to report, as a printer that refused the job would.
  std::string failure() const override { return failing_with; }
  std::string failing_with;
  // A failure to put a finished file in place (its folder turned read-only, say).
  std::string commit_file() override { return failing_commit_with; }
  std::string failing_commit_with;

  const std::vector<std::string>& ops() const { return ops_; }
  void clear() { ops_.clear(); }
  // The number of documents ended so far.
  int documents() const;

 protected:
  double draw_text(const std::string& text, bool line_end) override;
  void font_changed() override;
  void send_document() override { ops_.push_back("end"); }

 private:
  void record_style();
  std::vector<std::string> ops_;
  Draw_Style recorded_style_ = Draw_Style::Solid;
  Colour recorded_colour_ = Black;
};

// "12.5" for 12.5, "3" for 3.0: the coordinate text of recorded operations.
std::string op_number(double value);

}  // namespace quorin::ui
