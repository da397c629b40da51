// The batch platform: what a screen shows goes to the stream, questions are refused, and a file
// answer is given only to the dialog it was meant for.

#include <gtest/gtest.h>

#include <sstream>

#include "batch/batch_platform.h"
#include "ui/recording_printer.h"

namespace quorin::batch {
namespace {

TEST(Batch_Platform, WritesMessagesAndRefusesQuestions) {
  ui::Recording_Printer printer;
  std::ostringstream out;
  Batch_Platform platform(printer, out);
  platform.message("印刷が終了しました\nPDFファイル: a.pdf");
  EXPECT_FALSE(platform.ask_yes_no("システムを終了します　よろしいですか？"));
  EXPECT_EQ(out.str(), "印刷が終了しました\nPDFファイル: a.pdf\nシステムを終了します　よろしいですか？ → いいえ\n");
  EXPECT_EQ(platform.messages(), std::vector<std::string>{"印刷が終了しました\nPDFファイル: a.pdf"});
}

TEST(Batch_Platform, AnswersDialogsInOrderAndForgetsUnaskedAnswers) {
  ui::Recording_Printer printer;
  std::ostringstream out;
  Batch_Platform platform(printer, out);
  platform.answer_next_dialog("a.crx");
  platform.answer_next_dialog("b.txt");
  EXPECT_EQ(platform.open_file({}), "a.crx");
  platform.forget_answers();
  EXPECT_EQ(platform.save_file({}), "") << "a dialog without an answer is cancelled";
}

// What printouts draw inside the batch's one job reaches the printer as if drawn on it directly.
TEST(Batch_Platform, PassesEveryPrintoutOfTheJobToItsPrinter) {
  auto printout = [](ui::Printer& printer) {
    printer.begin_job();  // as each print button does, inside the batch's job
    printer.set_font_size(14);
    printer.print("Data", false);
    printer.print(" page 1");
    printer.set_draw_style(ui::Draw_Style::Dotted);
    printer.line(0, 750, 9600, 750);
    printer.set_draw_style(ui::Draw_Style::Solid);
    printer.set_position(1000, 2000);
    printer.rectangle(0, 750, 9600, 1000);
    printer.circle(1000, 2000, 60);
    printer.print("end");
    printer.end_document();
    printer.end_job();
  };
  ui::Recording_Printer direct, through_batch;
  printout(direct);
  printout(direct);

  std::ostringstream out;
  Batch_Platform platform(through_batch, out);
  platform.printer().begin_job();
  printout(platform.printer());
  printout(platform.printer());
  platform.printer().end_job();
  EXPECT_EQ(through_batch.ops(), direct.ops());
  EXPECT_EQ(through_batch.documents(), 2);
}

}  // namespace
}  // namespace quorin::batch
