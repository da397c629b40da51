// The results' HL7 messages as an independent reader (python-hl7) reads them: every value, text
// and flag arrives as it was put in, whatever characters it holds. The fields that are the same in
// every message stand in the recorded message (golden/oru_message.hl7).

#include <gtest/gtest.h>

#include <set>

#include "hl7_peer.h"
#include "lis/control_id.h"
#include "lis/hl7_file.h"
#include "lis/oru_message.h"
#include "support/test_support.h"

namespace quorin::lis {
namespace {

const LIS_Settings Settings{"中央検査室|2", "LIS^受付", "病院&本館", {}};

LIS_Result result(long number, std::string id, std::optional<double> value, std::string flags) {
  return {number, std::move(id), "コルチゾール", "C-0142", "2026/12/1", value, "", "μg/dL", std::move(flags), {}};
}

TEST(HL7Messages, EveryFieldArrivesAsPutIn) {
  testing::Scratch_Folder folder;
  std::vector<LIS_Result> results = {
      result(1, "A-0001", 12.3456789, "> CV"),
      result(2, "a|b^c&d~e\\f", 1.5e-05, "<"),  // a number NM must write without an exponent
      result(3, "山田　花子 検体", std::nullopt, "×"),
      result(4, "x\r\ny\tz", -2.5e20, "1"),
      result(5, "\\F\\ |", 0.5, ""),
  };
  results[2].no_value_reason = "使えたチューブがありません";
  results[3].interval = LIS_Interval{-1.25, 3.5, "*"};
  results[4].unit = "ng/mL^|";
  const HL7_File_Report saved = save_hl7_file(folder.file("out.hl7"), make_messages_now(results, Settings).messages);
  ASSERT_TRUE(saved.saved) << saved.message;
  EXPECT_EQ(saved.message, "HL7 ファイルを保存しました: " + folder.file("out.hl7") + " (メッセージ 5 件)");

  const auto read = testing::read_hl7_file(folder.file("out.hl7"));
  ASSERT_EQ(read.size(), results.size());
  const std::vector<std::string> values = {"12.3456789", "0.000015", "", "-250000000000000000000", "0.5"};
  const std::vector<std::string> abnormal = {">", "<", "", "", ""};  // the flags HL7 has a code for
  const std::vector<std::vector<std::string>> notes = {
      {"CV: 濃度の CV が上限を超えています"},
      {},
      {"値なし: 使えたチューブがありません", "×: 使えたチューブがありません"},
      {"1: 使えたチューブが 1 本だけです", "95%区間: -1.25～3.5 μg/dL *"},
      {}};
  std::set<std::string> control_ids;
  for (std::size_t i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(results[i].id);
    const auto& m = read[i];
    const std::pair<const char*, std::string> expected[] = {
        {"segments", "MSH PID OBR OBX" + std::string(notes[i].empty()       ? ""
                                                     : notes[i].size() == 1 ? " NTE"
                                                                            : " NTE NTE")},
        {"sending_facility", Settings.sending_facility},
        {"receiving_application", Settings.receiving_application},
        {"receiving_facility", Settings.receiving_facility},
        {"patient_id", results[i].id},
        {"placer", results[i].id},
        {"order_status", "F"},
        {"value", values[i]},
        {"unit", results[i].unit},
        {"value_type", values[i].empty() ? "" : "NM"},
        {"result_status", values[i].empty() ? "X" : "F"},
        {"abnormal", abnormal[i]},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(m[name], value) << name;
    EXPECT_EQ(m.notes, notes[i]);
    EXPECT_EQ(m["control_id"].size(), 20u);
    control_ids.insert(m["control_id"]);
  }
  EXPECT_EQ(control_ids.size(), results.size());
}

// The layout, byte for byte, of one message with a fixed control ID and time.
TEST(HL7Messages, OneMessageAsWritten) {
  LIS_Result r = result(12, "K-2026-0012", 8.07, "> CV 1");
  r.interval = LIS_Interval{6.9, 9.3, ""};
  const LIS_Settings settings{"中央検査室", "LIS", "総合病院", {}};
  const ORU_Message message = oru_message(r, settings, "MFA6D2XK7Q3Z4P000001", "20261201170509+0900");
  ASSERT_EQ(message.problem, "");
  testing::expect_golden("oru_message.hl7", message.text);
}

TEST(HL7Messages, AResultThatMakesNoMessageStopsThemAll) {
  const std::pair<LIS_Result, std::string> refusals[] = {
      {result(7, "", 1, ""), "サンプル 7 に ID がありません"},
      {{7, "B-7", "", "C-1", "2026/12/01", 1.0, "", "", "", {}}, "サンプル 7 (ID B-7): 測定物質名がありません"},
      {{7, "B-7", "TSH", "C-1", "R8.12.1", 1.0, "", "", "", {}},
       "実験日を年月日 (例 2026/12/01) として読めません: R8.12.1"},
      {{7, "B-7", "TSH", "C-1", "2026/02/30", 1.0, "", "", "", {}}, "として読めません: 2026/02/30"},
      {{7, "B-7", "TSH", "C-1", "abcd-ef-gh", 1.0, "", "", "", {}}, "として読めません: abcd-ef-gh"},
  };
  for (const auto& [bad, why] : refusals) {
    const Outgoing_Messages made = make_messages_now({result(1, "A", 1, ""), bad}, Settings);
    EXPECT_TRUE(made.messages.empty());
    EXPECT_NE(made.problem.find(why), std::string::npos) << made.problem;
  }
  // A name in code page 932 (settings written by another program): MSH-18 says UTF-8.
  LIS_Settings cp932 = Settings;
  cp932.receiving_facility = "\x95\x61\x89\x40";
  EXPECT_NE(make_messages_now({result(1, "A", 1, "")}, cp932).problem.find("サンプル 1 (ID A): UTF-8 でない文字"),
            std::string::npos);
}

// Two series made in the same second (a program restarted, another station) share no ID.
TEST(HL7Messages, ControlIdsOfTwoSeriesDiffer) {
  Control_Ids first, second;
  const std::string a = first.next(), b = second.next();
  EXPECT_NE(a.substr(0, 14), b.substr(0, 14));
  EXPECT_EQ(a.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << a;
  EXPECT_EQ(a.substr(14), "000001");
  EXPECT_EQ(first.next().substr(14), "000002");
}

}  // namespace
}  // namespace quorin::lis
