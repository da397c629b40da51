#pragma once
// Paints the printer operations on the default printer, or, where no printer is installed, into a
// PDF file: all documents of one job become the pages of one file. One unit is one twip. The PDF
// file is written through the program's safe save: to a temporary file beside it, every write
// and the close checked, and put in place only when the job has ended well.

#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <memory>

#include "ui/printer.h"

namespace quorin::ui::qt {

class Pdf_Device;

class Qt_Printer : public Printer {
 public:
  Qt_Printer();
  ~Qt_Printer() override;

  void draw_line(double x1, double y1, double x2, double y2) override;
  void draw_rectangle(double x1, double y1, double x2, double y2) override;
  void draw_circle(double x, double y, double radius) override;
  void draw_point(double x, double y) override;
  std::string commit_file() override;
  void discard_file() override;
  std::string destination() const override { return pdf_path_; }
  std::string failure() const override { return failure_; }
  double sheet_height() const override;

  // True when a real printer is installed (otherwise printing goes to PDF).
  bool has_printer() const;
  QPrinter* printer() { return printer_.get(); }
  // Prints into this PDF file instead of choosing a name (for the report and for tests).
  void set_pdf_path(const std::string& path) { fixed_pdf_path_ = path; }

 protected:
  double draw_text(const std::string& text, bool line_end) override;
  double line_height() const override;
  void send_document() override;
  void start_job(const Job& job) override;
  void finish_job(bool cancelled) override;

 private:
  QPainter* page();
  QPaintDevice* open_pdf();
  void close_painter();
  std::string pdf_failure(const std::string& reason) const;
  QPen pen() const;
  QFont font() const;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<Pdf_Device> file_;
  std::unique_ptr<QPdfWriter> pdf_;
  QPainter painter_;
  Job job_;
  bool page_ended_ = false;
  std::string pdf_path_;
  std::string fixed_pdf_path_;
  std::string failure_;
};

}  // namespace quorin::ui::qt
