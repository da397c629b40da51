// Without a printer, a print job becomes one PDF file with a page per document.

#include <gtest/gtest.h>

#include <QApplication>
#include <QRegularExpression>
#include <filesystem>

#include "qt_application.h"
#include "support/test_support.h"
#include "ui/qt/qt_printer.h"

namespace quorin::ui::qt {
namespace {

TEST(QtPrinter, DocumentsOfOneJobBecomePagesOfOnePdf) {
  test_application();
  testing::Scratch_Folder folder;

  Qt_Printer printer;
  printer.set_pdf_path(folder.file("job.pdf"));
  printer.begin_job();
  EXPECT_EQ(printer.destination(), folder.file("job.pdf"));
  printer.set_font_size(14);
  printer.set_position(0, 250);
  printer.print("標準液濃度( 1次重み付け無し)");
  printer.rectangle(0, 750, 9600, 1000);
  printer.end_document();
  printer.set_draw_style(Draw_Style::Dashed);
  printer.line(0, 0, 6000, 6000);
  printer.circle(1000, 1000, 60);
  printer.end_document();
  printer.end_job();
  EXPECT_TRUE(printer.failure().empty());

  const std::string pdf = testing::read_bytes(folder.file("job.pdf"));
  ASSERT_TRUE(pdf.starts_with("%PDF"));
  const QString text = QString::fromLatin1(pdf.data(), static_cast<int>(pdf.size()));
  EXPECT_EQ(text.count(QRegularExpression("/Type\\s*/Page\\b")), 2);
}

}  // namespace
}  // namespace quorin::ui::qt
