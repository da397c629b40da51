// The whole report from the results screen into a PDF file, where no printer is installed: the
// job is written beside its file and put in place only when complete, so that a cancelled or
// failed job leaves the earlier file as it was and no temporary file, and "印刷が終了しました" is
// shown only once the file is complete.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "conditions/reg_set.h"
#include "qt_application.h"
#include "results/reg_result.h"
#include "state/navigation.h"
#include "state/program.h"
#include "state/reg_intro.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "ui/qt/qt_printer.h"
#include "ui/scripted_platform.h"

namespace quorin::ui::qt {
namespace {

const std::string Examples = QUORIN_SOURCE_DIR "/examples";

// A platform without a printer; each message notes whether the PDF file was complete then.
class Pdf_Platform : public Scripted_Platform {
 public:
  Printer& printer() override { return pdf; }
  void message(const std::string& text) override {
    Scripted_Platform::message(text);
    file_complete_at_message.push_back(testing::read_bytes(path).ends_with("%%EOF\n"));
  }
  Qt_Printer pdf;
  std::string path;
  std::vector<bool> file_complete_at_message;
};

TEST(Report_Pdf, EndsWithTheFileCompleteOrTheEarlierFileUntouched) {
  test_application();
  testing::Scratch_Folder folder;
  Pdf_Platform platform;
  platform.path = folder.file("report.pdf");
  platform.pdf.set_pdf_path(platform.path);
  Program program(platform);
  program.start();
  testing::click(program.screen_as<Reg_Intro>(Screen::Intro)->Command1);
  platform.file_answers = {Examples + "/cortisol.crx", Examples + "/cortisol_counts.txt"};
  testing::click(program.screen_as<Reg_Set>(Screen::Conditions)->Command[target::Wizard]);
  auto& report_button = program.screen_as<Reg_Result>(Screen::Result)->Command[target::Whole_Report];

  const struct {
    const char* what;
    long cancel_at_page;
    rlim_t size_limit;
    std::string message;
  } refused[] = {
      {"cancelled at page 3", 3, RLIM_INFINITY, "印刷を中止しました"},
      {"a full disk", 0, 20000,
       "印刷できませんでした\nPDFファイルを作成できません: " + platform.path + " (ファイルが大きすぎます)"},
  };
  const std::string earlier = "the earlier report";
  for (const auto& c : refused) {
    SCOPED_TRACE(c.what);
    testing::write_bytes(platform.path, earlier);
    platform.messages.clear();
    platform.cancel_at_step = c.cancel_at_page;
    {
      testing::File_Size_Limit limit(c.size_limit);
      testing::click(report_button);
    }
    EXPECT_EQ(platform.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(testing::read_bytes(platform.path), earlier);
    EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
  }
  EXPECT_EQ(platform.progresses.front().done, 3) << "the job stopped at the page it was cancelled";

  platform.cancel_at_step = 0;
  platform.messages.clear();
  platform.file_complete_at_message.clear();
  testing::click(report_button);
  ASSERT_EQ(platform.messages, std::vector<std::string>{"印刷が終了しました\nPDFファイル: " + platform.path});
  EXPECT_EQ(platform.file_complete_at_message, std::vector<bool>{true});
  EXPECT_EQ(platform.progresses.back().done, platform.progresses.back().planned);
  EXPECT_EQ(testing::leftover_temp_files(folder.path()), 0);
}

}  // namespace
}  // namespace quorin::ui::qt
