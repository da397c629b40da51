// The chart's deletion: a run is picked by clicking its point, a reason must be typed, and the
// user is asked before anything is removed; No removes nothing.

#include <gtest/gtest.h>

#include "qc/history_store.h"
#include "qc/qc_procedures.h"
#include "qc/reg_qc.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin {
namespace {

TEST(QC_Chart, DeletesThePickedRunOnlyWithAReasonAndAYes) {
  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program(platform);
  program.qc_history.path = folder.file("qc.sqlite");
  {
    qc::History_Store store;
    ASSERT_TRUE(store.open(program.qc_history.path, qc::Connection::Mode::Write));
    for (int day = 1; day <= 3; ++day) {
      qc::QC_Run run;
      run.substance = "TSH", run.assay_no = "T-" + std::to_string(day), run.assay_date = "2026/5/" + std::to_string(day);
      run.date_key = qc::date_key(run.assay_date);
      run.sera = {{1, 2.0 + day * 0.1, 2, 2}};
      ASSERT_TRUE(store.store_run(run));
    }
  }
  Show_QC_Chart(program, false);
  Reg_QC& chart = *program.screen_as<Reg_QC>(Screen::QC_Chart);
  const struct {
    double click_x;  // where the chart is clicked first (in runs), none when negative
    const char* reason;
    bool yes;
    const char* told;
    std::size_t runs_left;
  } steps[] = {
      {-1, "誤って保存", true, "削除する測定を図でクリックして選んでください", 3},
      {1.5, "", true, "削除の理由を入力してください", 3},
      {1.5, "誤って保存", false, "", 3},
      {1.5, "誤って保存", true, "精度管理の履歴から測定を削除しました: TSH  アッセイＮｏ T-2  実験日 2026/5/2", 2},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.told);
    if (step.click_x >= 0) chart.Chart.on_mouse_down(1, 0, step.click_x, 0);
    testing::type_over(chart.Delete_Reason, step.reason);
    platform.messages.clear();
    platform.yes_no_answers = {step.yes};
    testing::click(chart.Delete_Run);
    EXPECT_EQ(platform.messages.empty() ? "" : platform.messages.back().substr(0, std::string(step.told).size()),
              step.told);
    EXPECT_EQ(chart.view().runs(), step.runs_left);
  }
}

}  // namespace
}  // namespace quorin
