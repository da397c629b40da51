#pragma once
// Paints the printer operations on the default printer, or, where no printer is installed, into a
// PDF file: all documents of one job become the pages of one file. One unit is one twip.

#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <memory>

#include "ui/printer.h"

namespace quorin::ui::qt {

class Qt_Printer : public Printer {
 public:
  Qt_Printer();
  ~Qt_Printer() override;

  void line(double x1, double y1, double x2, double y2) override;
  void rectangle(double x1, double y1, double x2, double y2) override;
  void circle(double x, double y, double radius) override;
  void point(double x, double y) override;
  void end_document() override;
  void begin_job() override;
  void end_job() override;
  std::string destination() const override { return pdf_path_; }
  double printable_height() const override;

  // True when a real printer is installed (otherwise printing goes to PDF).
  bool has_printer() const;
  QPrinter* printer() { return printer_.get(); }
  // Prints into this PDF file instead of choosing a name (for the report and for tests).
  void set_pdf_path(const std::string& path) { fixed_pdf_path_ = path; }
  std::string failure() const override { return failure_; }

 protected:
  double draw_text(const std::string& text, bool line_end) override;
  double line_height() const override;

 private:
  QPainter* page();
  QPen pen() const;
  QFont font() const;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<QPdfWriter> pdf_;
  QPainter painter_;
  bool page_ended_ = false;
  std::string pdf_path_;
  std::string fixed_pdf_path_;
  std::string failure_;
};

}  // namespace quorin::ui::qt
