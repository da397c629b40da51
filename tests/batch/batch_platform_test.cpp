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

}  // namespace
}  // namespace quorin::batch
