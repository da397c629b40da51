// The results screen's "LIS送信" and the LIS settings dialog, driven through the form model against
// the suite's python-hl7 listener: the messages that arrive are those the batch run writes for the
// same assay, and the button says why whenever it has nothing to do.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "batch/batch_fixture.h"
#include "data/sample_ids.h"
#include "hl7_peer.h"
#include "lis/lis_settings_file.h"
#include "lis/reg_lis.h"
#include "results/reg_result.h"
#include "state/commands.h"
#include "support/form_driver.h"

namespace quorin {
namespace {

class LIS_Screen : public testing::Batch_Test {
 protected:
  void SetUp() override {
    setenv("XDG_DATA_HOME", folder.path().c_str(), 1);
    testing::write_bytes(folder.file("ids.txt"), "1,A|1\n2,B^2&\n3,C~3\\\n4,検体　四\n");
    testing::run_wizard(program, platform, testing::Example_Conditions, testing::Example_Counts);
  }
  Reg_Result& results() { return *program.screen_as<Reg_Result>(Screen::Result); }
  // Opens "LIS設定" when it is not open, types the five boxes and saves; true when it closed.
  bool save_settings(const std::vector<std::string>& boxes) {
    if (program.screen(Screen::LIS) == nullptr) testing::click(results().LIS[1]);
    Reg_LIS& dialog = *program.screen_as<Reg_LIS>(Screen::LIS);
    for (int b = 0; b < 5; ++b) testing::type_over(dialog.Box[b], boxes[static_cast<std::size_t>(b)]);
    testing::click(dialog.Save);
    return program.screen(Screen::LIS) == nullptr;
  }
  void load_ids() {
    std::string note;
    ASSERT_EQ(load_sample_ids(program.state, folder.file("ids.txt"), note), "");
    testing::click(results().Command[target::Sample_Table]);  // an event: the screen checks its buttons
  }

  ui::Scripted_Platform platform;
  Program program{platform};
};

TEST_F(LIS_Screen, TheButtonSendsWhatTheBatchRunWritesAndTellsWhyWhenItCannot) {
  ui::Command_Button& send = results().LIS[0];
  EXPECT_EQ(send.enabled ? "" : send.tip, "ID のあるサンプルがありません (ID のないサンプルは送りません)");
  load_ids();
  EXPECT_EQ(send.enabled ? "" : send.tip, "LIS の設定がありません。「LIS設定」で LIS の宛先と名前を保存すると送れます");

  testing::Listener listener("AA", folder.file("peer.log"));
  const std::string address = "127.0.0.1:" + std::to_string(listener.port());
  const std::pair<std::vector<std::string>, const char*> refused[] = {
      {{"127.0.0.1:70000", "2", "LAB", "LIS", "HOSP"}, "LIS のポートは 1～65535"},
      {{address, "0", "LAB", "LIS", "HOSP"}, "LIS の待ち時間は"},
      {{address, "2", "LAB", "　", "HOSP"}, "受信アプリケーション (MSH-5) は 空白でない名前で"},
      {{address, "2", "LAB", "LIS", std::string(181, 'x')}, "受信施設 (MSH-6) は 180 バイト以内で"},
  };
  for (const auto& [boxes, told] : refused) {
    EXPECT_FALSE(save_settings(boxes));
    EXPECT_NE(platform.messages.back().find(told), std::string::npos) << platform.messages.back();
  }
  EXPECT_FALSE(std::filesystem::exists(lis::lis_settings_path()));
  ASSERT_TRUE(save_settings({address, "2", "RIA|LAB", "LIS", "病院"}));
  platform.yes_no_answers = {true};
  const std::size_t asked = platform.questions.size();
  testing::click(send);
  ASSERT_EQ(platform.questions.size(), asked + 1);
  EXPECT_NE(platform.questions.back().find("サンプル 4 件の結果を LIS " + address + " へ送ります"), std::string::npos);
  EXPECT_EQ(platform.messages.back(),
            "LIS " + address + " へ 4 件を送りました (受領確認済み)\nID のないサンプル 46 件は LIS に送りません");
  EXPECT_EQ(platform.progresses.back().done, 4);

  // The batch run's file of the same assay, with the names saved: the same messages but for their IDs.
  batch::Batch_Options options = example();
  options.ids = folder.file("ids.txt"), options.hl7 = folder.file("r.hl7");
  ASSERT_EQ(testing::run_in_process(options).status, batch::Exit_Done);
  const auto written = testing::read_hl7_file(options.hl7);
  const auto arrived = testing::read_peer_log(folder.file("peer.log"));
  ASSERT_EQ(arrived.size(), written.size());
  for (std::size_t m = 0; m < arrived.size(); ++m) {
    auto sent = arrived[m].fields, batch_fields = written[m].fields;
    sent.erase("control_id"), sent.erase("bytes"), batch_fields.erase("control_id");
    EXPECT_EQ(sent, batch_fields);
    EXPECT_EQ(arrived[m].notes, written[m].notes);
  }
  EXPECT_EQ(arrived.back()["patient_id"], "検体　四");

  platform.yes_no_answers = {true};
  platform.cancel_at_step = 2;  // cancelled at the second message: the rest wait, and the user is warned
  const std::size_t warnings = platform.warnings;
  testing::click(send);
  EXPECT_EQ(platform.warnings, warnings + 1);
  EXPECT_NE(platform.messages.back().find("への 2 件が送信待ちです"), std::string::npos) << platform.messages.back();
}

TEST_F(LIS_Screen, ADamagedSettingsFileIsToldAndReplacedOnlyWhenTheUserAgrees) {
  load_ids();
  std::filesystem::create_directories(std::filesystem::path(lis::lis_settings_path()).parent_path());
  testing::write_bytes(lis::lis_settings_path(), "QUORIN LIS settings 1\nlis=lis:1\nlis=lis:2\n");
  testing::click(results().Command[target::Sera_Table]);
  EXPECT_NE(results().LIS[0].tip.find("3 行目: lis が 2 回あります"), std::string::npos) << results().LIS[0].tip;
  EXPECT_FALSE(results().LIS[0].enabled);
  const std::size_t asked = platform.questions.size();
  for (const bool agree : {false, true}) {
    platform.yes_no_answers = {agree};
    EXPECT_EQ(save_settings({"lis.lab.example:2575", "2", "LAB", "LIS", "HOSP"}), agree);
    ASSERT_EQ(platform.questions.size(), asked + (agree ? 2 : 1));
    EXPECT_NE(platform.questions.back().find("読めなかった LIS の設定ファイルを置き換えますか"), std::string::npos);
    EXPECT_EQ(lis::read_lis_settings(lis::lis_settings_path()).kind == lis::Settings_Read::Kind::Read, agree);
  }
  EXPECT_EQ(
      std::count(platform.messages.begin(), platform.messages.end(),
                 "LIS の設定ファイルを読めません: " + lis::lis_settings_path() + " (3 行目: lis が 2 回あります)"),
      1);  // told once, when the dialog opened
  EXPECT_TRUE(results().LIS[0].enabled) << results().LIS[0].tip;
}

}  // namespace
}  // namespace quorin
