// The history shared on a PostgreSQL server: two stations saving at once lose nothing and judge
// as one history; a server that is down, or that answers but refuses, costs no result file and
// leaves the run waiting until it is sent once; a password never stands in a URI; a file history
// is copied in (and back) without doubles.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "batch/batch_options.h"
#include "qc/audit.h"
#include "qc/history_store.h"
#include "qc/outbox.h"
#include "qc/qc_audit.h"
#include "qc/qc_copy.h"
#include "qc/qc_delete.h"
#include "qc/qc_export.h"
#include "qc/qc_procedures.h"
#include "qc/reg_qc.h"
#include "qc/server/stores.h"
#include "state/program.h"
#include "support/form_driver.h"
#include "ui/recording_printer.h"
#include "ui/scripted_platform.h"

namespace quorin::qc {
namespace {

using testing::runs_in;

// Run i of station s: a value that wanders around 10 and shifts up from run 40, the days shared
// by both stations.
QC_Run station_run(int s, int i) {
  QC_Run run =
      testing::qc_run("TSH", "S" + std::to_string(s) + "-" + std::to_string(i), "2026/4/" + std::to_string(i % 28 + 1),
                      {10 + 0.4 * ((i * 7 + s * 3) % 11 - 5) / 5.0 + (i >= 40 ? 1.0 : 0.0)});
  run.station = "station-" + std::to_string(s);
  return run;
}

TEST(Shared_History, TwoStationsAtOnceEndWithEveryRunJudgedAsIfSavedOneByOne) {
  const testing::Server_Place server;
  std::atomic<int> replaced{0};
  std::thread stations[2];
  for (int s = 0; s < 2; ++s)
    stations[s] = std::thread([&, s] {
      History_Store store;  // both create the schema at the same moment
      ASSERT_TRUE(store.open(server.where, Connection::Mode::Write));
      for (int i = 0; i < 50; ++i) EXPECT_TRUE(store.store_run(station_run(s, i)));
      // Both save the same assay last: the later save is kept, and told that it replaced the other.
      QC_Run shared = station_run(s, 99);
      shared.assay_no = "SHARED";
      Save_Receipt receipt;
      EXPECT_TRUE(store.store_run(shared, receipt));
      replaced += receipt.replaced;
    });
  for (std::thread& station : stations) station.join();
  EXPECT_EQ(replaced, 1);
  const std::vector<QC_Run> shared = runs_in(server.where);
  ASSERT_EQ(shared.size(), 101u);
  // The run of the clashing key is one station's whole run, its sera with it.
  const auto clash =
      std::find_if(shared.begin(), shared.end(), [](const QC_Run& run) { return run.assay_no == "SHARED"; });
  ASSERT_NE(clash, shared.end());
  const int winner = clash->station == "station-1" ? 1 : 0;
  EXPECT_EQ(clash->station, "station-" + std::to_string(winner));
  EXPECT_EQ(clash->sera[0].mean, station_run(winner, 99).sera[0].mean);

  // Exported with their judgement, the runs are byte for byte those of a file they are saved into one by one.
  testing::Scratch_Folder folder;
  for (const QC_Run& run : shared) ASSERT_TRUE(testing::store_in(folder.file("one.sqlite"), run));
  ASSERT_EQ(export_history(server.where, folder.file("shared.csv")).kind, Export_Result::Kind::Written);
  ASSERT_EQ(export_history(folder.file("one.sqlite"), folder.file("one.csv")).kind, Export_Result::Kind::Written);
  const std::string together = testing::read_bytes(folder.file("shared.csv"));
  EXPECT_EQ(together, testing::read_bytes(folder.file("one.csv")));
  EXPECT_NE(together.find(",却下,"), std::string::npos) << "the rules across runs had something to find";
}

// Two stations keep their own files: runs saved, one deleted, the same assay saved by both (the
// second station later) and then deleted by it. Their files reach the shared server by copies, one
// order, the other, or both at once, and the server ends the same whichever way: the same runs, the
// same deletions (no deleted run back), and a trail that holds and ends with the same record of each.
TEST(Shared_History, StationsEndTheSameWhicheverOrderTheirHistoriesArrive) {
  testing::Scratch_Folder folder;
  for (int s = 0; s < 2; ++s) {
    const std::string file = folder.file(std::to_string(s) + ".sqlite");
    History_Store store;
    ASSERT_TRUE(store.open(file, Connection::Mode::Write));
    for (int i = 0; i < 8; ++i) {
      QC_Run run = station_run(s, i);
      run.saved_at = "2026-04-0" + std::to_string(i + 1) + " 10:00:0" + std::to_string(s) + ".000";
      ASSERT_TRUE(store.store_run(run));
    }
    QC_Run shared = station_run(s, 99);
    shared.assay_no = "SHARED", shared.saved_at = "2026-05-01 10:00:0" + std::to_string(s) + ".000";
    ASSERT_TRUE(store.store_run(shared));
    const std::string reason = "station " + std::to_string(s) + " の誤登録";
    EXPECT_EQ(delete_stored_run(store, file, "TSH", "S" + std::to_string(s) + "-3", "2026/4/4", reason).kind,
              Delete_Result::Kind::Deleted);
    if (s == 1) {
      EXPECT_EQ(delete_stored_run(store, file, "TSH", "SHARED", shared.assay_date, reason).kind,
                Delete_Result::Kind::Deleted);
    }
  }
  // What a history ends with: its runs, its deletions and the last trail row of each record.
  const auto end_of = [](const std::string& where) {
    std::map<std::string, std::string> last;  // by record
    for (const Audit_Row& row : testing::read_history(where, &History_Store::audit_trail))
      last[row.substance + "|" + row.assay_no + "|" + std::to_string(row.serum)] = row.after;
    std::vector<std::string> lines;
    for (const QC_Run& run : runs_in(where)) lines.push_back("run " + run.assay_no + " " + run_record(run));
    for (const Deleted_Run& deletion : testing::read_history(where, &History_Store::deleted_runs))
      lines.push_back("deleted " + deletion.assay_no + " " + deletion_record(deletion));
    for (const auto& [record, after] : last) lines.push_back("trail " + record + " " + after);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(audit_history(where).kind, Audit_Result::Kind::Holds) << audit_history(where).message;
    return testing::lines_of(lines);
  };
  std::vector<std::string> ends;
  for (const char* order : {"0 1", "1 0", "at once"}) {
    SCOPED_TRACE(order);
    const testing::Server_Place server;
    const auto copy_in = [&](int s) {
      EXPECT_TRUE(copy_history(folder.file(std::to_string(s) + ".sqlite"), server.where).done);
    };
    if (order[0] == 'a') {
      std::thread first(copy_in, 0), second(copy_in, 1);
      first.join(), second.join();
    } else {
      copy_in(order[0] - '0'), copy_in(order[2] - '0');
    }
    ends.push_back(end_of(server.where));
    EXPECT_EQ(ends.back().find("SHARED |"), std::string::npos) << "the shared assay stays deleted: " << ends.back();
    EXPECT_EQ(ends.back(), ends.front());
  }
}

TEST(Shared_History, RefusalsNameTheServersReasonAndTouchNothing) {
  const testing::Server_Place server;
  // A role that may log in but not create tables (roles belong to the whole server).
  server.sql("DO $$ BEGIN CREATE ROLE clerk LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$");
  const struct {
    std::string uri;
    Db_Failure failure;
    const char* reason;
  } refusals[] = {
      {server.where.substr(0, server.where.find("&user=")) + "&user=nobody_here", Db_Failure::Refused,
       "role \"nobody_here\" does not exist"},
      {server.where + "&user=clerk", Db_Failure::Refused, "permission denied for schema public"},
      {"postgresql:///quorin_test?host=/nonexistent&user=quorin_admin", Db_Failure::Unreachable, "/nonexistent"},
  };
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(refusal.uri);
    History_Store store;
    const Db_Outcome outcome = store.open(refusal.uri, Connection::Mode::Write);
    EXPECT_EQ(outcome.failure, refusal.failure);
    const std::string message = history_message(refusal.uri, outcome);
    EXPECT_NE(message.find(refusal.reason), std::string::npos) << message;
    EXPECT_EQ(message.find("secret"), std::string::npos) << message;
  }
  EXPECT_EQ(server.snapshot(), "") << "the clerk created nothing";
}

// Every history a command line names is read as libpq reads it before anything is done: a password
// in any spelling, or a string libpq cannot read, is refused at once (status 2), the secret never
// shown, nothing made on disk; a "postgresql:" prefix is never a file path.
TEST(Shared_History, ConnectionStringsAreReadAsLibpqReadsThem) {
  const struct {
    const char* history;
    const char* told;
  } strings[] = {
      {"postgresql:///qc?host=/tmp&pass%77ord=secret", "~/.pgpass"},  // a percent-encoded key
      {"host=/tmp dbname=qc password=secret", "~/.pgpass"},           // the key/value form
      {"postgresql://lab:secret@db/qc", "~/.pgpass"},
      {"postgres://db/qc?sslpassword=secret", "~/.pgpass"},
      {"PostgreSQL://db/qc?Password=secret", "読めません"},  // libpq's keys are lower case
      {"postgresql:/secret/db", "読めません"},               // one slash: no URI, no path
      {"postgresql://db/qc?secret", "読めません"},
      {"pasword=secret dbname=qc", "読めません"},  // a key misspelt
  };
  testing::Scratch_Folder folder;
  for (const auto& string : strings) {
    SCOPED_TRACE(string.history);
    const std::vector<std::vector<std::string>> lines = {{"--qc", string.history},
                                                         {"--batch", "a.crx", "b.txt", "c.txt", "--qc", string.history},
                                                         {"--qc-sync", string.history},
                                                         {"--qc-copy", "a.sqlite", string.history},
                                                         {"--qc-audit", string.history},
                                                         {"--qc-export", string.history, "out.csv"},
                                                         {"--qc-delete", string.history, "TSH", "T-1", "2026/12/01"}};
    for (const std::vector<std::string>& arguments : lines) {
      const batch::Command_Line line = batch::parse_command_line(arguments);
      EXPECT_EQ(line.kind, batch::Command_Line::Kind::Error) << arguments[0];
      EXPECT_NE(line.error.find(string.told), std::string::npos) << line.error;
      EXPECT_EQ(line.error.find("secret"), std::string::npos) << line.error;
    }
    History_Store store;
    const Db_Outcome outcome = store.open(string.history, Connection::Mode::Write);
    EXPECT_EQ(outcome.failure, Db_Failure::Bad_Name);
    EXPECT_EQ(history_message(string.history, outcome).find("secret"), std::string::npos);
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "nothing was made on disk";
  EXPECT_EQ(batch::parse_command_line({"--qc", "host=/tmp dbname=qc user=counter"}).kind,
            batch::Command_Line::Kind::Screens);
  EXPECT_EQ(batch::parse_command_line({"--qc", "./dbname=qc.sqlite"}).kind, batch::Command_Line::Kind::Screens)
      << "a file named like a key is given with its folder";
}

// The chart's server box applies what was typed on Enter, or on leaving it, as the program's boxes
// do; a string libpq cannot read, one with a password (never shown back) or a file name is refused
// and the history in use stays.
TEST(Shared_History, TheChartsServerBoxTakesEnterAndRefusesWhatCannotServe) {
  const testing::Server_Place server;
  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program(platform);
  const std::string file = folder.file("qc.sqlite");
  program.qc_history.path = file;
  Show_QC_Chart(program, false);
  Reg_QC& chart = *program.screen_as<Reg_QC>(Screen::QC_Chart);
  const struct {
    std::string typed;
    bool enter;  // else the box is left for the close button
    std::string in_use, told;
  } steps[] = {
      {"postgresql:///qc?host=/tmp&pass%77ord=secret", true, file, "~/.pgpass"},
      {"postgresql:/secret/db", true, file, "読めません"},
      {"other.sqlite", true, file, "postgresql:// で始まる"},
      {server.where, true, server.where, ""},
      {server.where + "&application_name=x", false, server.where + "&application_name=x", ""},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.typed);
    platform.messages.clear();
    testing::type_over(chart.History_URI, step.typed);
    if (step.enter) testing::press(chart.History_URI, ui::Key_Return);
    else testing::focus(chart.Close);
    EXPECT_EQ(program.qc_history.path, step.in_use);
    const std::string told = testing::lines_of(platform.messages);
    EXPECT_NE(told.find(step.told), std::string::npos) << told;
    EXPECT_EQ(told.find("secret"), std::string::npos) << told;
  }
  EXPECT_EQ(chart.History_Label.caption, "履歴: " + steps[4].in_use);
}

class Server_Down : public testing::History_Batch {
 protected:
  void SetUp() override {
    setenv("XDG_DATA_HOME", folder.path().c_str(), 1);  // the outbox goes beside the default history
    server("start");
  }
  void TearDown() override { server("stop"); }
  void server(const std::string& action) const {
    ASSERT_EQ(std::system((QUORIN_SOURCE_DIR "/tests/support/pg_server.sh " + action + " " + note).c_str()), 0);
  }
  std::string uri() const { return testing::server_uri("quorin_test", note); }
  // Runs a history tool, which must succeed and tell `told`.
  void tool(const std::vector<std::string>& arguments, const std::string& told = "") const {
    const testing::Tool_Run run = testing::run_tool(arguments, "入力の誤り\n");
    EXPECT_EQ(run.status, batch::Exit_Done) << run.errors;
    EXPECT_NE((run.out + run.errors).find(told), std::string::npos) << run.out << run.errors;
  }
  const std::string note = folder.file("server");
};

TEST_F(Server_Down, TheRunWaitsAndArrivesOnceThenCopiesAddNothingTwice) {
  ASSERT_EQ(save(uri(), "C-0142", "C-1").status, batch::Exit_Done);
  // The server goes down in the middle of the next run: after its sera were judged against the
  // history, before the result is saved.
  struct Halting : batch::Batch_Platform {
    Halting(ui::Printer& printer, std::ostream& out, std::function<void()> halt)
        : Batch_Platform(printer, out), halt(std::move(halt)) {}
    void message(const std::string& text) override {
      Batch_Platform::message(text);
      if (text.starts_with("精度管理 ")) halt();
    }
    std::function<void()> halt;
  };
  std::filesystem::remove(folder.file("result.txt"));
  batch::Batch_Options options = example();
  options.qc = uri();
  std::ostringstream errors;
  ui::Recording_Printer printer;
  Halting platform(printer, errors, [this] { server("halt"); });
  EXPECT_EQ(batch::run_batch(options, platform), batch::Exit_Done);
  EXPECT_TRUE(std::filesystem::exists(folder.file("result.txt")));
  EXPECT_NE(errors.str().find("サーバーに接続できません"), std::string::npos) << errors.str();
  EXPECT_NE(errors.str().find("精度管理の記録 1 回分が送信を待っています"), std::string::npos) << errors.str();
  // A program killed after putting its run in the outbox, before sending it.
  if (fork() == 0) _exit(queue_run(uri(), station_run(0, 1)) ? 0 : 1);
  wait(nullptr);
  server("resume");
  tool({"--qc-sync", uri()}, "送信した記録: 2 回分、送信待ち: 0 回分");
  tool({"--qc-sync", uri()}, "送信した記録: 0 回分");
  ASSERT_EQ(runs_in(uri()).size(), 3u);

  // A file history into the server, twice.
  ASSERT_EQ(save(history, "C-0142", "C-3").status, batch::Exit_Done);
  ASSERT_EQ(save(history, "C-0142", "C-1").status, batch::Exit_Done);  // a later save of C-1
  tool({"--qc-copy", history, uri()}, "(全 2 回のうち 新しく 1 回、置き換え 1 回;");
  tool({"--qc-copy", history, uri()}, "新しく 0 回、置き換え 0 回");

  // Deleting from the server: the reason is read from the input.
  tool({"--qc-delete", uri(), "コルチゾール", "C-3", "2026/12/01"});
  EXPECT_EQ(runs_in(uri()).size(), 3u);
  // The server back into a file: the record of the deletion goes with it, once however often it is copied.
  for (int twice = 0; twice < 2; ++twice) tool({"--qc-copy", uri(), folder.file("back.sqlite")});
  EXPECT_EQ(runs_in(folder.file("back.sqlite")).size(), 3u);
  const std::vector<Deleted_Run> deleted =
      testing::read_history(folder.file("back.sqlite"), &History_Store::deleted_runs);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0].reason, "入力の誤り");
}

// A run saved with a damaged or a write-protected outbox. The outbox is never written over: a
// damaged one is set aside under a name that says so, the runs still read from it are sent, and
// --qc-sync says so (status 1) while it stays; past a write-protected one the run goes straight
// to the server; with the server down too it is kept nowhere, told so, status 4. Each case has a
// database of its own; the batch run and the sync run as an ordinary user (for whom a
// write-protected file is one), in a child process that reports its statuses and messages.
TEST_F(Server_Down, NoRunIsLostThroughABadOutbox) {
  namespace fs = std::filesystem;
  const struct {
    std::string bad;  // damaged, marked as another program's, write-protected (the last two with a run waiting)
    bool server_up;
    int status;             // of the batch run
    std::size_t on_server;  // runs on the server afterwards
    const char* told;
    int sync_status;
  } cases[] = {
      {"damaged", true, batch::Exit_Done, 1, ".damaged-", batch::Exit_Failed},
      {"marked", true, batch::Exit_Done, 2, "読めた記録 1 回分は送信待ちに戻しました", batch::Exit_Failed},
      {"write-protected", true, batch::Exit_Done, 1, "書き込みが許可されていません", batch::Exit_Failed},
      {"write-protected", false, batch::Exit_Run_Not_Kept, 0, "サーバーにも送信待ちにも保存されていません",
       batch::Exit_Failed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bad + (c.server_up ? "" : ", the server down"));
    const std::string uri = testing::new_server_database(note), outbox = outbox_path(uri);
    fs::create_directories(fs::path(outbox).parent_path());
    if (c.bad == "damaged") testing::write_bytes(outbox, "not a database\r\n");
    else ASSERT_TRUE(queue_run(uri, station_run(0, 1)));
    if (c.bad == "marked") testing::SQLite_Place::sql_on(outbox, "PRAGMA application_id = 7");
    if (c.bad == "write-protected") {
      fs::permissions(outbox, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
      fs::permissions(fs::path(outbox).parent_path(),
                      fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    }
    const std::string before = testing::read_bytes(outbox);
    if (!c.server_up) server("halt");
    // The ordinary user reads the assay's files from the scratch folder, which becomes theirs.
    fs::copy_file(testing::Example_Conditions, folder.file("assay.crx"), fs::copy_options::overwrite_existing);
    fs::copy_file(testing::Example_Counts, folder.file("counts.txt"), fs::copy_options::overwrite_existing);
    if (geteuid() == 0) std::system(("chown -R 65534:65534 " + folder.path().string()).c_str());
    if (fork() == 0) {
      if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
      batch::Batch_Options options = example();
      options.conditions = folder.file("assay.crx"), options.counts = folder.file("counts.txt");
      options.qc = uri;
      const testing::Batch_Outcome saved = testing::run_in_process(options);
      const testing::Tool_Run synced = testing::run_tool({"--qc-sync", uri});
      std::ofstream(folder.file("told.txt")) << saved.status << ' ' << synced.status << '\n'
                                             << saved.errors << synced.out << synced.errors;
      _exit(0);
    }
    wait(nullptr);
    if (!c.server_up) server("resume");
    std::istringstream report(testing::read_bytes(folder.file("told.txt")));
    int status = -1, synced = -1;
    report >> status >> synced;
    const std::string told = report.str();
    EXPECT_EQ(status, c.status) << told;
    EXPECT_EQ(synced, c.sync_status) << told;
    EXPECT_NE(told.find(c.told), std::string::npos) << told;
    EXPECT_NE(told.find(outbox.substr(0, outbox.size() - 7)), std::string::npos) << "the outbox is named: " << told;
    EXPECT_EQ(told.find("履歴データベースを使えません: " + uri + " (書き込み"), std::string::npos)
        << "the server is not blamed for the outbox: " << told;
    EXPECT_EQ(runs_in(uri).size(), c.on_server) << told;
    // The bad outbox, byte for byte: set aside when damaged, else where it was.
    std::string kept = testing::read_bytes(outbox);
    for (const auto& entry : fs::directory_iterator(fs::path(outbox).parent_path()))
      if (entry.path().string().find(".damaged-") != std::string::npos) kept = testing::read_bytes(entry.path());
    EXPECT_EQ(kept, before);
    fs::permissions(fs::path(outbox).parent_path(), fs::perms::all);
    fs::remove_all(fs::path(outbox).parent_path());
  }
}

}  // namespace
}  // namespace quorin::qc
