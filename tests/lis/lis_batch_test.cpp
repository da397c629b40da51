// The batch run's --hl7 and --lis against the CSV export of the same run, read by python-hl7 (not
// by the program's code): every message carries the CSV's values, identifiers with HL7's own
// characters and Japanese arrive whole, and each door's mistakes get their message and status.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "batch/batch_fixture.h"
#include "batch/lis_tools.h"
#include "hl7_peer.h"
#include "lis/lis_settings_file.h"

namespace quorin {
namespace {

// Samples 1-6 hold every HL7 encoding character and Japanese; 40 is flagged CV; the rest have none.
const std::map<long, std::string> Ids = {{1, "A|1"},  {2, "B^2"},      {3, "C&3"},  {4, "D~4"},
                                         {5, "E\\5"}, {6, "検体　六"}, {40, "四十"}};

// The CSV's sample rows by identifier: their columns as written.
std::map<std::string, std::vector<std::string>> csv_samples(const std::string& csv) {
  std::map<std::string, std::vector<std::string>> rows;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> columns;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) columns.push_back(cell);
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
    // The example with a dilution factor of 2, so that the value sent differs from the mean.
    std::string conditions = testing::read_bytes(testing::Example_Conditions);
    testing::write_bytes(folder.file("diluted.crx"),
                         testing::replaced(conditions, "\r\n1.0000\r\n.5000", "\r\n2.0000\r\n.5000"));
  }
  batch::Batch_Options lis_run(int port = 0) const {
    batch::Batch_Options options = example();
    options.conditions = folder.file("diluted.crx");
    options.ids = folder.file("ids.txt");
    options.hl7 = folder.file("results.hl7");
    options.csv = folder.file("results.csv");
    if (port != 0) options.lis = "127.0.0.1:" + std::to_string(port), options.lis_timeout = 2;
    options.sending_facility = "RIA|LAB", options.receiving_application = "LIS^1", options.receiving_facility = "病院";
    return options;
  }
};

TEST_F(LIS_Batch, EveryMessageInTheFileAndAtTheListenerCarriesTheCsvValues) {
  testing::Listener listener("AA", folder.file("peer.log"));
  const testing::Batch_Outcome run = testing::run_in_process(lis_run(listener.port()));
  ASSERT_EQ(run.status, batch::Exit_Done) << run.errors;
  EXPECT_NE(run.errors.find("ID のないサンプル 43 件は LIS に送りません"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("へ 7 件を送りました"), std::string::npos) << run.errors;

  const auto csv = csv_samples(testing::read_bytes(folder.file("results.csv")));
  const auto in_file = testing::read_hl7_file(folder.file("results.hl7"));
  const auto at_listener = testing::read_peer_log(folder.file("peer.log"));
  ASSERT_EQ(in_file.size(), Ids.size());
  ASSERT_EQ(at_listener.size(), Ids.size());
  auto id = Ids.begin();
  for (std::size_t m = 0; m < in_file.size(); ++m, ++id) {
    for (const auto* messages : {&in_file, &at_listener}) {
      const testing::Read_Message& message = (*messages)[m];
      SCOPED_TRACE(id->second);
      ASSERT_EQ(message["patient_id"], id->second);  // whole, in sample order
      const std::vector<std::string>& row = csv.at(id->second);
      EXPECT_EQ(message["placer"], id->second);
      EXPECT_EQ(message["value"], row[5]);  // the dilution-corrected value's digits
      EXPECT_NE(row[5], row[3]);            // which is not the mean
      EXPECT_EQ(message["unit"], row[4]);
      EXPECT_EQ(message["service"], row[10]);
      EXPECT_EQ(message["assay_no"], row[11]);
      EXPECT_EQ(message["observed"], "20261201");
      EXPECT_EQ(message["sending_facility"], "RIA|LAB");
      EXPECT_EQ(message["receiving_application"], "LIS^1");
      EXPECT_EQ(message["receiving_facility"], "病院");
      EXPECT_EQ(message["charset"], "UNICODE UTF-8");
      // The flags: CV has no HL7 abnormal flag and stands in a note; the interval holds the value.
      std::string notes;
      for (const std::string& note : message.notes) notes += note + "\n";
      EXPECT_EQ(notes.find("CV: ") != std::string::npos, row[8] == "CV") << notes;
      const std::size_t interval = notes.find("95%区間: ");
      ASSERT_NE(interval, std::string::npos) << notes;
      const std::string bounds = notes.substr(interval + std::string("95%区間: ").size());
      const double lower = std::stod(bounds), upper = std::stod(bounds.substr(bounds.find("～") + 3));
      EXPECT_LT(lower, std::stod(row[5]));
      EXPECT_GT(upper, std::stod(row[5]));
    }
    EXPECT_EQ(in_file[m]["abnormal"], at_listener[m]["abnormal"]);
  }
}

TEST_F(LIS_Batch, EachDoorRefusesItsMistakesWithTheirStatus) {
  const std::string folder_path = folder.path().string();
  struct Case {
    const char* what;
    void (*change)(batch::Batch_Options&, const std::string&);
    int status;
    const char* told;
  };
  const Case cases[] = {
      {"HL7 file is the count file", [](batch::Batch_Options& o, const std::string&) { o.hl7 = o.counts; },
       batch::Exit_Usage, "HL7 ファイルが入力ファイルと同じです"},
      {"HL7 file is the CSV file", [](batch::Batch_Options& o, const std::string&) { o.hl7 = o.csv; },
       batch::Exit_Usage, "CSV ファイルとHL7 ファイルが同じファイルです"},
      {"HL7 file in a folder that cannot be written",
       [](batch::Batch_Options& o, const std::string& f) { o.hl7 = f + "/no such folder/results.hl7"; },
       batch::Exit_Failed, "ファイルを保存できません"},
      {"no names anywhere",
       [](batch::Batch_Options& o, const std::string&) { o.sending_facility.reset(), o.receiving_facility.reset(); },
       batch::Exit_Usage, "送信元施設 (MSH-4)が設定されていません"},
      {"names missing and a settings file that is not one",
       [](batch::Batch_Options& o, const std::string& f) {
         o.receiving_application.reset();
         testing::write_bytes(f + "/quorin/lis-settings.txt", "lis=x:1\n");
       },
       batch::Exit_Usage, "LIS の設定ファイルではありません"},
      {"an assay date that is no date",
       [](batch::Batch_Options& o, const std::string& f) {
         const std::string crx = testing::read_bytes(o.conditions);
         testing::write_bytes(f + "/undated.crx", testing::replaced(crx, "2026/12/01", "来週"));
         o.conditions = f + "/undated.crx";
       },
       batch::Exit_Failed, "実験日を年月日"},
  };
  std::filesystem::create_directories(folder.file("quorin"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(folder.file("result.txt"));
    batch::Batch_Options options = lis_run();
    c.change(options, folder_path);
    const testing::Batch_Outcome run = testing::run_in_process(options);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.errors.find(c.told), std::string::npos) << run.errors;
    EXPECT_FALSE(std::filesystem::exists(folder.file("result.txt")));  // nothing saved
  }
}

TEST_F(LIS_Batch, TheCommandLineRefusesEachMistakeOfTheNewOptions) {
  const std::vector<std::string> run = {"--batch", "a.crx", "b.txt", "c.txt"};
  const std::string long_name(181, 'x');
  const struct {
    std::vector<std::string> extra;
    const char* told;
  } cases[] = {
      {{"--hl7"}, "--hl7 の値がありません"},
      {{"--lis"}, "--lis の値がありません"},
      {{"--hl7", "x.hl7", "--hl7", "y.hl7"}, "--hl7 が 2 回指定されています"},
      {{"--lis", "lis:1", "--lis", "lis:2"}, "--lis が 2 回指定されています"},
      {{"--lis", "lis:70000"}, "--lis は ホスト:ポート (ポートは 1～65535) の形で指定してください: lis:70000"},
      {{"--lis", "lis:0"}, "ポートは 1～65535"},
      {{"--lis", "lis"}, "ポートは 1～65535"},
      {{"--lis", "lis:2575", "--lis-timeout", "0"}, "0 より大きく 3600 以下の秒数で"},
      {{"--lis-timeout", "5"}, "--lis-timeout は --lis と一緒に指定してください"},
      {{"--sending-facility", "LAB"}, "--sending-facility は --hl7 か --lis と一緒に指定してください"},
      {{"--hl7", "x.hl7", "--receiving-facility", long_name}, "180 バイト以内で"},
      {{"--hl7", "x.hl7", "--receiving-application", ""}, "--receiving-application の値がありません"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = run;
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const batch::Command_Line line = batch::parse_command_line(arguments);
    EXPECT_EQ(line.kind, batch::Command_Line::Kind::Error) << c.told;
    EXPECT_NE(line.error.find(c.told), std::string::npos) << line.error;
  }
  EXPECT_EQ(batch::parse_command_line({"--lis", "lis:1"}).error, "--lis は --batch と一緒に指定してください");
}

TEST_F(LIS_Batch, AnLISDownLeavesTheMessagesWaitingAfterTheResultFileAndTheSyncDeliversEachOnce) {
  int port = 0;
  {
    testing::Listener probe("AA", folder.file("probe.log"));
    port = probe.port();
  }  // nothing listens there now
  batch::Batch_Options options = lis_run(port);
  const testing::Batch_Outcome down = testing::run_in_process(options);
  EXPECT_EQ(down.status, batch::Exit_LIS_Waiting) << down.errors;
  EXPECT_TRUE(std::filesystem::exists(options.result));
  EXPECT_NE(down.errors.find("への 7 件が送信待ちです"), std::string::npos) << down.errors;
  // The report refused its place as well: its status 3 comes before the LIS's 6.
  options.pdf = folder.file("report.pdf");
  EXPECT_EQ(testing::run_in_process(options, "置けません").status, batch::Exit_Saved_Without_Report);

  testing::Listener listener("AA", folder.file("peer.log"), port);
  std::ostringstream told;
  EXPECT_EQ(batch::run_lis_sync({"127.0.0.1", port, 2}, told), batch::Exit_Done) << told.str();
  const auto arrived = testing::read_peer_log(folder.file("peer.log"));
  ASSERT_EQ(arrived.size(), 2 * Ids.size());  // both runs, each message once
  EXPECT_EQ(arrived.front()["patient_id"], "A|1");
  EXPECT_EQ(arrived.back()["patient_id"], "四十");
}

TEST(LIS_Settings_File, DamagedFilesAreToldWithTheirLineAndGoodOnesReadBack) {
  testing::Scratch_Folder folder;
  const std::string path = folder.file("lis-settings.txt");
  lis::LIS_Settings saved{"RIA=LAB", "LIS", "病院", {"fd00::5", 2575, 2.5}};
  ASSERT_EQ(lis::save_lis_settings(path, saved), "");
  const lis::Settings_Read read = lis::read_lis_settings(path);
  ASSERT_EQ(read.kind, lis::Settings_Read::Kind::Read) << read.message;
  EXPECT_EQ(read.settings.sending_facility, "RIA=LAB");
  EXPECT_EQ(read.settings.receiving_facility, "病院");
  EXPECT_EQ(read.settings.link.host, "fd00::5");
  EXPECT_EQ(read.settings.link.timeout_s, 2.5);
  EXPECT_EQ(lis::read_lis_settings(folder.file("none.txt")).kind, lis::Settings_Read::Kind::Missing);

  const std::string good = testing::read_bytes(path);
  const struct {
    std::string bytes;
    const char* told;
  } damaged[] = {
      {"", "LIS の設定ファイルではありません"},
      {"lis=a:1\n" + good, "LIS の設定ファイルではありません"},
      {good + "lis=a:1\n", "7 行目: lis が 2 回あります"},
      {good + "colour=blue\n", "7 行目: 不明なキーです: colour"},
      {good + "just words\n", "7 行目: 「キー=値」の形ではありません"},
      {testing::replaced(good, ":2575", ":99999"), "2 行目: LIS のポートは 1～65535"},
      {testing::replaced(good, "timeout=2.5", "timeout=-1"), "3 行目: LIS の待ち時間"},
      {testing::replaced(good, "receiving_facility=病院\n", ""), "設定が足りません"},
      {testing::replaced(good, "病院", "\x95\x61\x89\x40"), "UTF-8 ではありません"},
      {testing::replaced(good, "LIS\n", std::string(181, 'x') + "\n"), "受信アプリケーション (MSH-5)が長すぎます"},
  };
  for (const auto& d : damaged) {
    testing::write_bytes(path, d.bytes);
    const lis::Settings_Read bad = lis::read_lis_settings(path);
    EXPECT_EQ(bad.kind, lis::Settings_Read::Kind::Damaged) << d.told;
    EXPECT_NE(bad.message.find(d.told), std::string::npos) << bad.message;
    EXPECT_EQ(bad.settings.sending_facility, "");  // nothing half-read is used
  }
  EXPECT_EQ(lis::read_lis_settings(folder.path().string()).kind, lis::Settings_Read::Kind::Damaged);  // a folder
}

}  // namespace
}  // namespace quorin
