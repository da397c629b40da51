// Sending results to a real MLLP listener (hl7_peer.py): acknowledged messages leave the outbox
// and never go again; whatever the LIS or the link does, the rest wait in order, keep their
// control IDs and arrive once with --lis-sync, and no wait outlasts the time-out.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "batch/lis_tools.h"
#include "hl7_peer.h"
#include "lis/lis_outbox.h"
#include "lis/lis_send.h"
#include "support/test_support.h"

namespace quorin::lis {
namespace {

constexpr double Timeout_S = 0.4;
constexpr double Slack_S = 1.5;  // a loaded machine's start-up of a connection, beyond the time-out

class Delivery : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_DATA_HOME", folder.path().c_str(), 1); }  // the outbox goes here

  std::vector<LIS_Result> results(int count) const {
    // Identifiers holding every HL7 encoding character and Japanese text.
    const char* ids[] = {"A|1", "B^2", "C&3", "D~4", "E\\5", "検体　六", "7\\F\\", "八", "9", "10"};
    std::vector<LIS_Result> made;
    for (int i = 0; i < count; ++i)
      made.push_back({i + 1, ids[i % 10], "TSH", "T-9", "2026/12/01", 0.5 * (i + 1), "", "μIU/mL", "", {}});
    return made;
  }
  LIS_Settings settings(int port, const std::string& host = "127.0.0.1") const {
    return {"LAB", "LIS", "HOSPITAL", {host, port, Timeout_S}};
  }
  std::string log(const std::string& name) const { return folder.file(name); }
  // A port on which nothing listens (a listener's, stopped).
  int closed_port() const { return testing::Listener("AA", log("closed.log")).port(); }
  // Runs --lis-sync to the port; returns its exit status and what it told.
  std::pair<int, std::string> sync(int port) const {
    std::ostringstream told;
    const int status = batch::run_lis_sync({"127.0.0.1", port, Timeout_S}, told);
    return {status, told.str()};
  }
  static std::vector<std::string> control_ids(const std::vector<testing::Read_Message>& messages) {
    std::vector<std::string> ids;
    for (const auto& m : messages) ids.push_back(m["control_id"]);
    return ids;
  }

  testing::Scratch_Folder folder;
};

TEST_F(Delivery, AcknowledgedOnceAndTheRestWaitInOrderUntilTheSync) {
  {
    testing::Listener lis("each", log("all.log"));  // closing each connection after one message
    const Delivery_Report report = send_results(results(10), settings(lis.port()));
    EXPECT_EQ(report.accepted, 10);
    EXPECT_EQ(report.waiting, 0);
    EXPECT_FALSE(report.failed);
    const auto arrived = testing::read_peer_log(log("all.log"));
    ASSERT_EQ(arrived.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(arrived[i]["patient_id"], results(10)[i].id);
  }
  // The listener stops after three messages; the seven others wait, and go when it is back.
  testing::Listener first("stop", log("first.log"), 0, 3);
  const int port = first.port();
  const Delivery_Report report = send_results(results(10), settings(port));
  EXPECT_EQ(report.accepted, 3);
  EXPECT_NE(report.lines.back().find("LIS 127.0.0.1:" + std::to_string(port) + " への 7 件が送信待ちです"),
            std::string::npos);
  first.stop();
  const auto [down, told_down] = sync(port);
  EXPECT_EQ(down, batch::Exit_LIS_Waiting) << told_down;
  EXPECT_NE(told_down.find("接続を拒否されました"), std::string::npos) << told_down;

  testing::Listener again("AA", log("again.log"), port);
  EXPECT_EQ(sync(port).first, batch::Exit_Done);
  EXPECT_EQ(sync(port), std::make_pair(batch::Exit_Done, "LIS 127.0.0.1:" + std::to_string(port) +
                                                             " へ 0 件を送りました (受領確認済み)\n"));
  std::vector<std::string> ids = control_ids(testing::read_peer_log(log("first.log")));
  const std::vector<std::string> later = control_ids(testing::read_peer_log(log("again.log")));
  ids.insert(ids.end(), later.begin(), later.end());
  ASSERT_EQ(ids.size(), 10u) << "each message exactly once";
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end())) << "in the order they were made";
}

TEST_F(Delivery, MessagesTheLisRejectsWaitWithItsOwnWords) {
  testing::Listener lis("AE", log("ae.log"));
  const Delivery_Report report = send_results(results(2), settings(lis.port()));
  EXPECT_EQ(report.accepted, 0);
  EXPECT_EQ(report.waiting, 2);
  EXPECT_EQ(testing::read_peer_log(log("ae.log")).size(), 2u) << "a rejection does not stop the others";
  ASSERT_GE(report.lines.size(), 2u);
  EXPECT_NE(report.lines[0].find("サンプル 1 (ID A|1) (制御 ID "), std::string::npos) << report.lines[0];
  EXPECT_NE(report.lines[0].find("が受け付けませんでした (AE: 検体を受け付けられません | 照合 / "
                                 "患者IDが登録されていません|照合不可)"),
            std::string::npos)
      << report.lines[0];
  EXPECT_EQ(sync(lis.port()).first, batch::Exit_LIS_Waiting);
}

// Every way the link fails: told, naming the LIS, within the time-out, and the messages kept; a
// message the LIS saw goes again with the same control ID.
TEST_F(Delivery, EveryFailureOfTheLinkIsToldAndLosesNothing) {
  const std::tuple<std::string, std::string, std::string> doors[] = {
      {"silent", "127.0.0.1", "から 0.4 秒以内に受領確認 (ACK) が届きません"},
      {"half", "127.0.0.1", "の受領確認 (ACK) が途中で切れました"},
      {"close", "127.0.0.1", "接続を切りました"},
      {"other", "127.0.0.1", "の受領確認 (ACK) が別のメッセージ (制御 ID OTHER"},
      {"garbage", "127.0.0.1", "の受領確認 (ACK) を読めません (HL7 のメッセージではありません)"},
      {"", "127.0.0.1", "に接続できません (接続を拒否されました。LIS が動いていないか、ポートが違います)"},
      {"", "no-such-host.invalid", "LIS のホスト名を解決できません: no-such-host.invalid"},
  };
  for (const auto& [mode, host, told] : doors) {
    SCOPED_TRACE(mode + " " + host);
    std::optional<testing::Listener> lis;
    if (!mode.empty()) lis.emplace(mode, log(mode + ".log"));
    const int port = lis ? lis->port() : closed_port();
    const auto start = std::chrono::steady_clock::now();
    const Delivery_Report report = send_results(results(2), settings(port, host));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), Timeout_S + Slack_S);
    EXPECT_EQ(report.accepted, 0);
    EXPECT_EQ(report.waiting, 2);
    ASSERT_FALSE(report.lines.empty());
    EXPECT_NE(report.lines[0].find(told), std::string::npos) << report.lines[0];
    EXPECT_NE(report.lines[0].find(host), std::string::npos) << report.lines[0];
    if (!lis) continue;
    lis->stop();
    testing::Listener again("CA", log(mode + ".again.log"), port);
    EXPECT_EQ(sync(port).first, batch::Exit_Done);
    const auto seen = control_ids(testing::read_peer_log(log(mode + ".log")));
    const auto resent = control_ids(testing::read_peer_log(log(mode + ".again.log")));
    ASSERT_EQ(resent.size(), 2u);
    if (!seen.empty()) {
      EXPECT_EQ(resent[0], seen[0]);
    }
  }
}

TEST_F(Delivery, AnOutboxThatIsNotOneIsSetAsideAndWhatItHoldsIsSent) {
  const int port = closed_port();
  ASSERT_EQ(send_results(results(3), settings(port)).waiting, 3);
  const std::string path = lis_outbox_path({"127.0.0.1", port, 1});
  {  // another program's database now, though its messages are still there
    qc::Connection db;
    ASSERT_TRUE(db.open(path, qc::Connection::Mode::Write, 1000));
    ASSERT_TRUE(db.exec("PRAGMA application_id = 7"));
  }
  testing::Listener lis("AA", log("aa.log"), port);
  const auto [status, told] = sync(port);
  EXPECT_EQ(status, batch::Exit_LIS_Waiting) << told;  // as a batch run's: a person must look into it
  EXPECT_NE(told.find("として残しました (読めたメッセージ 3 件は送信待ちに戻しました)。このファイルから読めなかった"
                      "メッセージは LIS に送られていません"),
            std::string::npos)
      << told;
  EXPECT_EQ(testing::read_peer_log(log("aa.log")).size(), 3u);
  // A file that is no database at all: set aside as it was, nothing read from it; told last, after
  // the messages sent.
  testing::write_bytes(path, "no database either");
  const Delivery_Report set_aside = send_results(results(2), settings(port));
  EXPECT_EQ(set_aside.accepted, 2);
  EXPECT_TRUE(set_aside.undelivered());
  EXPECT_NE(set_aside.lines.back().find("手で LIS に届けてください"), std::string::npos) << report_text(set_aside);
  testing::write_bytes(path, "not a database");
  const auto [again, told_again] = sync(port);
  EXPECT_EQ(again, batch::Exit_LIS_Waiting);
  int aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name.find(".damaged-") == std::string::npos || name.ends_with("-wal") || name.ends_with("-shm")) continue;
    ++aside;
    if (testing::read_bytes(entry.path().string()) == "not a database") {
      EXPECT_NE(told_again.find(name), std::string::npos);
    }
  }
  EXPECT_EQ(aside, 3);

  // A file where the outbox's folder should be: told in the user's words, and nothing is sent.
  const std::string outbox_folder = std::filesystem::path(path).parent_path().string();
  std::filesystem::remove_all(outbox_folder);
  testing::write_bytes(outbox_folder, "");
  const Delivery_Report blocked = send_results(results(1), settings(port));
  EXPECT_TRUE(blocked.failed);
  EXPECT_EQ(blocked.lines.at(0), "LIS の送信待ちファイルを使えません: " + path +
                                     " (送信待ちのフォルダーを作れません: " + outbox_folder +
                                     " (同じ名前のファイルがあります))");
}

// A message that is not UTF-8, kept by an earlier version, waits with why; those after it go.
TEST_F(Delivery, AMessageNoLisCouldReadHoldsUpNoOther) {
  testing::Listener lis("AA", log("aa.log"));
  {
    LIS_Outbox outbox;
    std::string ignored;
    ASSERT_TRUE(outbox.open({"127.0.0.1", lis.port(), 1}, ignored));
    ASSERT_TRUE(outbox.queue({{"OLD1", "サンプル 1 (ID P001)", "MSH|^~\\&|QUORIN|\x95\x61\x89\x40|LIS|H\r"}}));
  }
  const Delivery_Report report = send_results(results(2), settings(lis.port()));
  EXPECT_EQ(report.accepted, 2);
  EXPECT_EQ(report.waiting, 1);
  EXPECT_NE(report_text(report).find("サンプル 1 (ID P001) (制御 ID OLD1): UTF-8 でない文字があるため送りません"),
            std::string::npos)
      << report_text(report);
}

TEST_F(Delivery, OneProgramSendsFromAnOutboxAtATime) {
  const int port = closed_port();
  ASSERT_EQ(send_results(results(1), settings(port)).waiting, 1);
  LIS_Outbox other;
  std::string ignored;
  ASSERT_TRUE(other.open({"127.0.0.1", port, 1}, ignored));
  ASSERT_TRUE(other.lock_for_sending());
  const auto [status, told] = sync(port);
  EXPECT_EQ(status, batch::Exit_LIS_Waiting);
  EXPECT_NE(told.find("別のプログラムが LIS 127.0.0.1:" + std::to_string(port) + " へ送信中です"), std::string::npos);
}

}  // namespace
}  // namespace quorin::lis
