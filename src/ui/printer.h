#pragma once
// The printer as the printouts use it: a page in twips from the top left of the printable area,
// y growing downwards, a current position, a font size and a draw style. Text is placed with its
// top at the current y. Printing with a line end moves to x = 0 and down one text line;
// without, the current x moves past the text. end_document() sends what was drawn as a page.

#include <string>

#include "ui/controls.h"

namespace quorin::ui {

// The progress of a long job as the user follows it: steps done of the steps planned.
class Progress {
 public:
  virtual ~Progress() = default;
  // `done` steps are finished; false once the user has asked to cancel.
  virtual bool advance(long done) = 0;
};

// How a print job runs.
struct Job {
  Progress* progress = nullptr;  // told after every page
  bool one_document = false;     // the pages go to a printer as one document, not one each
  bool keep_file_aside = false;  // a finished PDF file waits for commit_file() before it replaces its target
  // The assay every page names at its foot, with "n / N" counted over the job; "" for none.
  std::string identity;
  long planned_pages = 0;  // N of the foot's "n / N"
  // The pages printed: first_page..last_page of the job's numbering (0: to the end). The pages
  // before are laid out but not sent; the job ends well after the last.
  long first_page = 1;
  long last_page = 0;
  bool ask_when_long = false;  // a job of more than 500 pages asks the user first
};

// How a print job ended.
struct Job_Outcome {
  enum class Status { Printed, Cancelled, Failed };
  Status status = Status::Printed;
  std::string destination;  // the PDF file written, "" for a printer
  std::string failure;      // for Failed: why, in one line
  long pages = 0;           // pages sent
};

class Printer {
 public:
  virtual ~Printer() = default;

  double current_x() const { return x_; }
  double current_y() const { return y_; }
  void set_current_x(double x) { x_ = x; }
  void set_current_y(double y) { y_ = y; }
  void set_position(double x, double y) {
    x_ = x;
    y_ = y;
  }
  double font_size() const { return font_size_; }
  void set_font_size(double points) {
    font_size_ = points;
    font_changed();
  }
  Draw_Style draw_style() const { return draw_style_; }
  void set_draw_style(Draw_Style style) { draw_style_ = style; }
  // The colour of the lines, circles and points drawn next (text stays black).
  Colour colour() const { return colour_; }
  void set_colour(Colour colour) { colour_ = colour; }

  void print(const std::string& text, bool line_end = true);
  void line(double x1, double y1, double x2, double y2) {
    if (!skipping()) draw_line(x1, y1, x2, y2);
  }
  void rectangle(double x1, double y1, double x2, double y2) {  // unfilled
    if (!skipping()) draw_rectangle(x1, y1, x2, y2);
  }
  void circle(double x, double y, double radius) {
    if (!skipping()) draw_circle(x, y, radius);
  }
  void point(double x, double y) {
    if (!skipping()) draw_point(x, y);
  }
  // Sends what was drawn as a page: a document of its own, or the next page of a one-document
  // job; the position goes back to the top left. Counts the page and tells the job's progress,
  // which may cancel the job.
  void end_document();

  // A job groups the pages of one printout, or of the whole report: begin before, end after.
  // Nothing reaches a PDF file's place before the job has ended well.
  void begin_job(const Job& job = {});
  Job_Outcome end_job();
  // True once the job was cancelled, has failed or has printed its last page: a printout stops
  // at its next page.
  bool stopped() const { return cancelled_ || range_done_ || !failure().empty(); }

  // A file kept aside by its job (Job::keep_file_aside) is put in place, or dropped. Commit
  // returns "" or why the file could not be put in place.
  virtual std::string commit_file() { return ""; }
  virtual void discard_file() {}

  // Where the job goes, for the completion message ("" for a printer; a PDF file's path).
  virtual std::string destination() const { return ""; }
  // Why the job could not be printed, or "" while all is well.
  virtual std::string failure() const { return ""; }
  // Height of the page in twips that a printout may fill: the printable area less the foot
  // line kept for the page's identity.
  double printable_height() const { return sheet_height() - Foot_Height; }
  // The foot line: its font and the twips it keeps free at the bottom of the printable area.
  static constexpr double Foot_Font = 8;
  static constexpr double Foot_Height = 240;
  static constexpr double Foot_Number_X = 9200;  // where "n / N" begins

 protected:
  // Draws the text with its top left at the current position; returns its width in twips.
  // line_end tells that the print ends the line (the position moves on afterwards).
  virtual double draw_text(const std::string& text, bool line_end) = 0;
  virtual void draw_line(double x1, double y1, double x2, double y2) = 0;
  virtual void draw_rectangle(double x1, double y1, double x2, double y2) = 0;
  virtual void draw_circle(double x, double y, double radius) = 0;
  virtual void draw_point(double x, double y) = 0;
  // Height of the whole printable area of a page in twips.
  virtual double sheet_height() const = 0;
  // Height of one text line in twips at the current font size.
  virtual double line_height() const { return font_size_ * 20 * 1.2; }
  virtual void font_changed() {}
  virtual void send_document() = 0;
  virtual void start_job(const Job&) {}
  // Ends the device's side of the job; a cancelled job leaves no file behind.
  virtual void finish_job(bool /*cancelled*/) {}

 private:
  void print_foot();
  // True while the page being drawn lies before the job's first page.
  bool skipping() const { return pages_done_ + 1 < first_page_; }
  double x_ = 0, y_ = 0;
  double font_size_ = 10;
  Draw_Style draw_style_ = Draw_Style::Solid;
  Colour colour_ = Black;
  Progress* progress_ = nullptr;
  std::string identity_;
  long planned_pages_ = 0;
  long first_page_ = 1, last_page_ = 0;
  long pages_done_ = 0;
  bool cancelled_ = false;
  bool range_done_ = false;
};

// What the user is told when a job has ended: "印刷が終了しました" (with the PDF file's path when
// it went to one), "印刷を中止しました", or "印刷できませんでした" with the reason.
std::string job_outcome_text(const Job_Outcome& outcome);

}  // namespace quorin::ui
