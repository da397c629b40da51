// The batch run's --hl7 and --lis against the CSV export of the same run, read by python-hl7 (not
// by the program's code): every message carries the CSV's values, identifiers with HL7's own
// characters and Japanese arrive whole, and each door's mistakes get their message and status.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "batch/batch_fixture.h"
#include "batch/lis_tools.h"
#include "hl7_peer.h"
#include "lis/link_address.h"
#include "lis/lis_settings_file.h"
#include "support/text_search.h"
#include "text/cp932.h"

namespace quorin {
namespace {

// Every HL7 encoding character and Japanese; sample 40 is flagged CV; the other samples have none.
const std::map<long, std::string> Ids = {{1, "A|1"}, {2, "B^2"},  {3, "C&3"},
                                         {4, "D~4"}, {5, "E\\5"}, {40, "検体　四十"}};

// The CSV's sample rows by identifier, their columns as written (no identifier here holds a comma).
std::map<std::string, std::vector<std::string>> csv_samples(const std::string& csv) {
  std::map<std::string, std::vector<std::string>> rows;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> columns = testing::cells_of(line.substr(0, line.size() - 1));  // without its CR
    if (columns.size() > 2 && columns[0] == "サンプル" && !columns[2].empty()) rows[columns[2]] = columns;
  }
  return rows;
}

class LIS_Batch : public testing::Batch_Test {
 protected:
  void SetUp() override {
    setenv("XDG_DATA_HOME", folder.path().c_str(), 1);  // the outbox and the settings go here
    std::string ids;
    for (const auto& [sample, id] : Ids) ids += std::to_string(sample) + "," + id + "\n";
    testing::write_bytes(folder.file("ids.txt"), ids);
    // A dilution factor of 2, so that the value sent differs from the mean.
    const std::string crx = testing::read_bytes(testing::Example_Conditions);
    testing::write_bytes(folder.file("x2.crx"), testing::replaced(crx, "\r\n1.0000\r\n.5000", "\r\n2.0000\r\n.5000"));
  }
  batch::Batch_Options lis_run(int port = 0) const {
    batch::Batch_Options options = example();
    options.conditions = folder.file("x2.crx"), options.ids = folder.file("ids.txt");
    options.hl7 = folder.file("results.hl7"), options.csv = folder.file("results.csv");
    if (port != 0) options.lis = "127.0.0.1:" + std::to_string(port), options.lis_timeout = 2;
    options.sending_facility = "RIA|LAB", options.receiving_application = "LIS^1", options.receiving_facility = "病院";
    return options;
  }
};

TEST_F(LIS_Batch, EveryMessageInTheFileAndAtTheListenerCarriesTheCsvValues) {
  testing::Listener listener("AA", folder.file("peer.log"));
  const testing::Batch_Outcome run = testing::run_in_process(lis_run(listener.port()));
  ASSERT_EQ(run.status, batch::Exit_Done) << run.errors;
  EXPECT_NE(run.errors.find("ID のないサンプル 44 件は LIS に送りません"), std::string::npos) << run.errors;

  const auto csv = csv_samples(testing::read_bytes(folder.file("results.csv")));
  const auto in_file = testing::read_hl7_file(folder.file("results.hl7"));
  const auto arrived = testing::read_peer_log(folder.file("peer.log"));
  ASSERT_EQ(in_file.size(), Ids.size());
  ASSERT_EQ(arrived.size(), Ids.size());
  auto id = Ids.begin();
  std::string sent;
  for (std::size_t m = 0; m < Ids.size(); ++m, ++id) {
    const testing::Read_Message& message = arrived[m];
    const std::vector<std::string>& row = csv.at(id->second);
    EXPECT_EQ(message["patient_id"], id->second);  // whole, in sample order
    // The CSV's columns: 3 mean, 6 unit, 7 dilution-corrected value, 8 and 9 its interval, 13 flags,
    // 15 substance, 16 assay number.
    EXPECT_EQ(message["value"], row[7]);  // the dilution-corrected value's digits, not the mean's
    EXPECT_NE(row[7], row[3]);
    EXPECT_EQ(message["unit"] + message["service"] + message["assay_no"], row[6] + row[15] + row[16]);
    EXPECT_EQ(message["sending_facility"] + message["receiving_application"] + message["receiving_facility"],
              "RIA|LABLIS^1病院");
    std::string notes;  // CV has no HL7 flag and stands in a note; so does the value's interval
    for (const std::string& note : message.notes) notes += note + "\n";
    EXPECT_EQ(notes.find("CV: ") != std::string::npos, row[13] == "CV") << notes;
    EXPECT_NE(notes.find("95%区間: " + row[8] + "～" + row[9] + " " + row[6] + "\n"), std::string::npos) << notes;
    sent += message["bytes"];
  }
  EXPECT_EQ(sent, testing::read_bytes(folder.file("results.hl7")));  // the very messages sent: IDs, times
}

// A sample with no value says why: counts beyond the curve's range (its flag in OBX-8), or no tube counted.
TEST_F(LIS_Batch, ASampleWithoutAValueIsSentWithItsReason) {
  batch::Batch_Options options = lis_run();
  options.counts = folder.file("unread.txt");
  testing::write_bytes(options.counts,
                       testing::replaced(testing::read_bytes(testing::Example_Counts),
                                         " 2179 \r\n 2153 \r\n 1810 \r\n 1747 ", " 30000 \r\n 30000 \r\n 0 \r\n 0 "));
  ASSERT_EQ(testing::run_in_process(options).status, batch::Exit_Done);
  const auto sent = testing::read_hl7_file(folder.file("results.hl7"));
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0]["value"] + sent[0]["abnormal"] + sent[0].notes.at(0), "<値なし: 検量線の範囲外で濃度を読めません");
  EXPECT_EQ(sent[1]["value"] + sent[1].notes.at(0), "値なし: 使えたチューブがありません");
}

TEST_F(LIS_Batch, EachDoorRefusesItsMistakesWithTheirStatusAndSavesNothing) {
  const std::string undated = folder.file("undated.crx");
  testing::write_bytes(undated, testing::replaced(testing::read_bytes(folder.file("x2.crx")), "2026/12/01", "来週"));
  const struct {
    std::string hl7, conditions;
    bool names;
    int status;
    const char* told;
  } cases[] = {
      {folder.file("ids.txt"), "", true, batch::Exit_Usage, "HL7 ファイルが入力ファイルと同じです"},
      {folder.file("results.csv"), "", true, batch::Exit_Usage, "CSV ファイルとHL7 ファイルが同じファイルです"},
      {folder.file("none/r.hl7"), "", true, batch::Exit_Failed, "ファイルを保存できません"},
      {"", "", false, batch::Exit_Usage, "送信元施設 (MSH-4)が設定されていません: --sending-facility"},
      {"", undated, true, batch::Exit_Failed, "実験日を年月日"},
  };
  for (const auto& c : cases) {
    batch::Batch_Options options = lis_run();
    if (!c.hl7.empty()) options.hl7 = c.hl7;
    if (!c.conditions.empty()) options.conditions = c.conditions;
    if (!c.names) options.sending_facility.reset();
    const testing::Batch_Outcome run = testing::run_in_process(options);
    EXPECT_EQ(run.status, c.status) << c.told;
    EXPECT_NE(run.errors.find(c.told), std::string::npos) << run.errors;
    EXPECT_FALSE(std::filesystem::exists(options.result));
  }
}

// The command line's LIS options, of a batch run (given after its three files) and of --lis-sync.
TEST(LIS_Command_Line, EachMistakeIsToldBeforeAnythingIsSent) {
  const std::string long_name(181, 'x');
  const std::pair<std::vector<std::string>, const char*> lines[] = {
      {{"--lis-sync", "lis:70000"}, "LIS のポートは 1～65535 の整数で指定してください: lis:70000"},
      {{"--lis-sync", "lis:0"}, "LIS のポートは 1～65535"},
      {{"--lis-sync", "lis"}, "LIS の宛先は ホスト:ポート (例 lis.lab.example:2575) の形で"},
      {{"--lis-sync", "fd00::5:2575"}, "LIS の宛先は ホスト:ポート"},
      {{"--lis-sync", "lis:2575", "--lis-timeout", "0"}, "LIS の待ち時間は 0 より大きく 3600 以下の秒数で"},
      {{"--lis-sync", "lis:2575", "extra"}, "--lis-sync には LIS の ホスト:ポート と --lis-timeout 秒 だけを"},
      {{"--lis-sync"}, "--lis-sync の値がありません"},
      {{"--lis"}, "--lis の値がありません"},
      {{"--hl7", "x", "--hl7", "y"}, "--hl7 が 2 回指定されています"},
      {{"--lis", "lis:70000"}, "--lis は ホスト:ポート (ポートは 1～65535) の形で指定してください: lis:70000"},
      {{"--lis", "lis"}, "--lis は ホスト:ポート"},
      {{"--lis", "lis:1", "--lis-timeout", "0"}, "0 より大きく 3600 以下の秒数で"},
      {{"--lis-timeout", "5"}, "--lis-timeout は --lis と一緒に指定してください"},
      {{"--sending-facility", "LAB"}, "--sending-facility は --hl7 か --lis と一緒に指定してください"},
      {{"--hl7", "x", "--receiving-facility", long_name}, "180 バイト以内で"},
      {{"--hl7", "x", "--receiving-application", " 　"}, "--receiving-application は 空白でない名前で指定してください"},
      // Typed in a code page 932 terminal: not repeated in the message, which stays UTF-8.
      {{"--lis", "lis:1", "--sending-facility", "\x95\x61\x89\x40"},
       "--sending-facility は UTF-8 の文字で指定してください"},
  };
  for (auto [arguments, told] : lines) {
    if (arguments[0] != "--lis-sync") arguments.insert(arguments.begin(), {"--batch", "a.crx", "b.txt", "c.txt"});
    const batch::Command_Line line = batch::parse_command_line(arguments);
    EXPECT_EQ(line.kind, batch::Command_Line::Kind::Error) << told;
    EXPECT_NE(line.error.find(told), std::string::npos) << line.error;
    EXPECT_TRUE(text::valid_utf8(line.error)) << told;
  }
  const batch::Command_Line line = batch::parse_command_line({"--lis-timeout", "2.5", "--lis-sync", "[fd00::5]:2575"});
  ASSERT_EQ(line.kind, batch::Command_Line::Kind::LIS_Sync) << line.error;
  EXPECT_EQ(lis::link_name(line.lis_link), "[fd00::5]:2575");
  EXPECT_EQ(line.lis_link.timeout_s, 2.5);
}

TEST_F(LIS_Batch, AnLISDownLeavesTheMessagesWaitingAfterTheResultFileAndTheSyncDeliversEachOnce) {
  int port = testing::Listener("AA", folder.file("probe.log")).port();  // nothing listens there now
  batch::Batch_Options options = lis_run(port);
  const testing::Batch_Outcome down = testing::run_in_process(options);
  EXPECT_EQ(down.status, batch::Exit_LIS_Waiting);
  EXPECT_TRUE(std::filesystem::exists(options.result));
  EXPECT_NE(down.errors.find("への 6 件が送信待ちです"), std::string::npos) << down.errors;
  options.pdf = folder.file("report.pdf");  // the report refused its place: 3 comes before 6
  EXPECT_EQ(testing::run_in_process(options, "置けません").status, batch::Exit_Saved_Without_Report);

  testing::Listener listener("AA", folder.file("peer.log"), port);
  std::ostringstream told;
  EXPECT_EQ(batch::run_lis_sync({"127.0.0.1", port, 2}, told), batch::Exit_Done) << told.str();
  const auto arrived = testing::read_peer_log(folder.file("peer.log"));
  ASSERT_EQ(arrived.size(), 2 * Ids.size());  // both runs, each message once
  EXPECT_EQ(arrived.back()["patient_id"], "検体　四十");
}

TEST(LIS_Settings_File, ReadBackWholeAndDamageToldWithItsLine) {
  testing::Scratch_Folder folder;
  const std::string path = folder.file("lis-settings.txt");
  ASSERT_EQ(lis::save_lis_settings(path, {"RIA=LAB", "LIS", "病院", {"fd00::5", 2575, 2.5}}), "");
  const lis::Settings_Read read = lis::read_lis_settings(path);
  EXPECT_EQ(read.settings.sending_facility + read.settings.receiving_facility + lis::link_name(read.settings.link),
            "RIA=LAB病院[fd00::5]:2575");
  EXPECT_EQ(read.settings.link.timeout_s, 2.5);
  const std::string good = testing::read_bytes(path);
  const std::pair<std::string, const char*> damaged[] = {
      {"lis=a:1\n" + good, "LIS の設定ファイルではありません"},
      {testing::replaced(good, ":2575", ":99999"), "2 行目: LIS のポートは 1～65535"},
      {testing::replaced(good, "病院", "\x95\x61\x89\x40"), "UTF-8 ではありません"},
      {testing::replaced(good, "=LIS\n", "= \n"), "5 行目: 受信アプリケーション (MSH-5) は 空白でない名前で"},
  };
  for (const auto& [bytes, told] : damaged) {
    testing::write_bytes(path, bytes);
    const lis::Settings_Read bad = lis::read_lis_settings(path);
    EXPECT_EQ(bad.settings.sending_facility, "");  // nothing half-read is used
    EXPECT_NE(bad.message.find(told), std::string::npos) << bad.message;
  }
}

}  // namespace
}  // namespace quorin
