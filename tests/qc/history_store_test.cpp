// The control-serum history on real SQLite files: saving an assay again replaces its run, a
// serum without concentration stays missing, a write cut off midway is undone, and every file
// that cannot serve as the history (not SQLite, corrupt, another program's, a later version's,
// locked, on a full disk, read-only) is refused with its reason and left byte for byte as it was.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <latch>
#include <thread>
#include <utility>

#include "qc/history_store.h"
#include "qc/qc_export.h"
#include "support/test_support.h"

namespace quorin::qc {
namespace {

namespace fs = std::filesystem;

QC_Run run_of(const std::string& no, const std::string& date, std::vector<std::optional<double>> means) {
  QC_Run run;
  run.substance = "コルチゾール";
  run.assay_no = no;
  run.assay_date = date;
  run.date_key = date_key(date);
  run.result_file = std::string(64, 'r');
  for (std::size_t s = 0; s < means.size(); ++s) run.sera.push_back({static_cast<int>(s + 1), means[s], 2.5, 2});
  return run;
}

Db_Outcome store(const std::string& path, const QC_Run& run) {
  History_Store history;
  Db_Outcome outcome = history.open(path, Connection::Mode::Write, 100);  // a short wait for a lock
  return outcome ? history.store_run(run) : outcome;
}

std::vector<QC_Run> stored(const std::string& path) {
  History_Store history;
  std::vector<QC_Run> runs;
  Db_Outcome outcome = history.open(path, Connection::Mode::Read);
  if (outcome) outcome = history.all_runs(runs);
  EXPECT_TRUE(outcome) << history_message(path, outcome);
  return runs;
}

// Runs one statement on the file with SQLite itself, as another program would; the first column
// of the first row it gives, or -1.
std::int64_t raw_sql(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  const std::int64_t first = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return first;
}

class History_File : public ::testing::Test {
 public:  // the fault table's steps reach the fixture
  // A history of `runs` runs on consecutive days.
  void history_of(int runs) {
    for (int day = 1; day <= runs; ++day)
      ASSERT_TRUE(store(path, run_of("C-" + std::to_string(day), "2026/11/" + std::to_string(day), {3.0 + day, 12.0})));
  }

  testing::Scratch_Folder folder;
  const std::string path = folder.file("qc.sqlite");
  sqlite3* other = nullptr;  // another program's connection, holding a lock
};

// Each attempt runs in a child process, set up first as the fault asks, on a history of three runs
// prepared as the fault asks.
TEST_F(History_File, AFileThatCannotServeIsLeftAsItWas) {
  const struct {
    const char* name;
    std::function<void(History_File&)> prepare;
    std::string reason;
    std::function<void()> child_setup = [] {};
  } faults[] = {
      {"not SQLite", [](History_File& t) { testing::write_bytes(t.path, "NSB, 346\r\nTOTAL, 21465\r\n"); },
       "(SQLite のデータベースではありません)"},
      {"corrupt",
       [](History_File& t) {
         t.history_of(60);
         std::string bytes = testing::read_bytes(t.path);
         ASSERT_GT(bytes.size(), 3u * 4096);
         testing::write_bytes(t.path, bytes.replace(4096, 4096, std::string(4096, '\x5A')));  // the second page
       },
       "(ファイルが壊れています)"},
      {"another program's database",
       [](History_File& t) { fs::remove(t.path), raw_sql(t.path, "CREATE TABLE samples (x)"); },
       "(精度管理の履歴ではないデータベースです)"},
      {"a later version", [](History_File& t) { raw_sql(t.path, "PRAGMA user_version = 3"); },
       "(新しい版のプログラムで作られたファイルです)"},
      {"locked by another program",
       [](History_File& t) {
         sqlite3_open(t.path.c_str(), &t.other);
         sqlite3_exec(t.other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
       },
       "(他のプログラムが使用中です)"},
      {"full disk", [](History_File&) {}, "(ディスクの空きがないか、書き込めません)",
       [path = path] {
         std::signal(SIGXFSZ, SIG_IGN);
         const rlimit limit{fs::file_size(path), fs::file_size(path)};
         setrlimit(RLIMIT_FSIZE, &limit);
       }},
      {"read-only",
       [](History_File& t) {
         fs::permissions(t.path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
       },
       "(書き込みが許可されていません)",
       [] {
         if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);  // root may write anything
       }},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.name);
    fs::remove(path);
    history_of(3);
    fault.prepare(*this);
    const std::string before = testing::read_bytes(path);
    const pid_t pid = fork();
    if (pid == 0) {
      fault.child_setup();
      QC_Run big = run_of("C-99", "2026/12/24", {4.0, 5.0});
      big.result_file = std::string(200000, 'x');  // more than the full disk takes
      _exit(static_cast<int>(store(path, big).failure));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    sqlite3_close(std::exchange(other, nullptr));  // the lock let go
    const Db_Failure failure = WIFEXITED(status) ? static_cast<Db_Failure>(WEXITSTATUS(status)) : Db_Failure::Other;
    EXPECT_NE(history_message(path, {failure, ""}).find(fault.reason), std::string::npos) << static_cast<int>(failure);
    EXPECT_TRUE(testing::read_bytes(path) == before) << "the file is never changed";
  }
}

// The same assay saved again, its day written otherwise, takes its run's place; a serum without a
// concentration is stored as NULL, not as 0, and read back as missing. A program stopped in the
// middle of a write then leaves its changes in the file and the old pages in the journal: the
// next reader puts the file back as it was.
TEST_F(History_File, SavingAgainReplacesTheRunAndAWriteCutOffMidwayIsUndone) {
  ASSERT_TRUE(store(path, run_of("C-10", "2026/12/1", {3.0, 12.0})));
  ASSERT_TRUE(store(path, run_of("C-10", "2026/12/01", {3.1, std::nullopt})));
  if (fork() == 0) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA cache_size = 1; BEGIN;"  // a small cache writes changed pages before the commit
                 " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
                 " INSERT INTO runs (substance, assay_no, date_key, assay_date, unit, operator, fit, result_file,"
                 " saved_at) SELECT 'x', i, 'd', 'd', '', '', '', printf('%.300c', 'r'), '' FROM n",
                 nullptr, nullptr, nullptr);
    _exit(0);  // no commit, no rollback: as if the power went
  }
  wait(nullptr);
  ASSERT_TRUE(fs::exists(path + "-journal"));
  const std::vector<QC_Run> runs = stored(path);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].assay_date, "2026/12/01");
  ASSERT_EQ(runs[0].sera.size(), 2u);
  EXPECT_EQ(runs[0].sera[0].mean, 3.1);
  EXPECT_EQ(runs[0].sera[1].mean, std::nullopt);
  EXPECT_EQ(raw_sql(path, "SELECT count(*) FROM serum_results WHERE mean IS NULL"), 1);
  EXPECT_EQ(raw_sql(path, "SELECT count(*) FROM runs"), 1);
}

// Two runs that keep themselves in one history at the same moment both reach it, also when
// neither finds the history made yet (each creates and checks it while the other does).
TEST_F(History_File, RunsAtTheSameMomentBothReachTheHistory) {
  for (int pair = 0; pair < 40; ++pair) {
    const std::string file = folder.file(std::to_string(pair) + ".sqlite");
    std::latch start(2);
    Db_Outcome outcomes[2];
    std::thread runs[2];
    for (int r = 0; r < 2; ++r)
      runs[r] = std::thread([&, r] {
        start.arrive_and_wait();
        History_Store history;
        outcomes[r] = history.open(file, Connection::Mode::Write);
        if (outcomes[r]) outcomes[r] = history.store_run(run_of("C-" + std::to_string(r), "2026/12/01", {3.0}));
      });
    for (std::thread& run : runs) run.join();
    for (const Db_Outcome& outcome : outcomes) EXPECT_TRUE(outcome) << pair << ": " << history_message(file, outcome);
    EXPECT_EQ(stored(file).size(), 2u);
  }
}

// A text that a spreadsheet would run as a formula goes into the export with a leading apostrophe,
// so that it shows as the text it is; numbers, a negative z among them, stay numbers.
TEST_F(History_File, TheExportRunsNoFormulaAndKeepsNumbers) {
  const struct {
    const char* stored;
    const char* exported;
  } texts[] = {{"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
               {"+1", "'+1"},
               {"-A1", "'-A1"},
               {"@SUM(A1)", "'@SUM(A1)"},
               {"C-0142", "C-0142"}};
  for (const auto& text : texts) {
    QC_Run run = run_of(text.stored, "2026/12/01", {3.0});
    run.substance = run.unit = text.stored;
    ASSERT_TRUE(store(path, run));
  }
  History_Store history;
  ASSERT_TRUE(history.open(path, Connection::Mode::Write));
  ASSERT_TRUE(history.keep_target("C-0142", 1, {4.0, 0.5}));
  ASSERT_EQ(export_history(path, folder.file("out.csv")).kind, Export_Result::Kind::Written);
  const std::string csv = testing::read_bytes(folder.file("out.csv"));
  for (const auto& text : texts) {
    const std::string field = text.exported;
    EXPECT_NE(csv.find("\n2026/12/01," + field + "," + field + "," + field + ",1,3,2.5,2,"), std::string::npos)
        << text.stored << "\n"
        << csv;
  }
  EXPECT_NE(csv.find(",1,3,2.5,2,4,0.5,-2.000,"), std::string::npos) << csv;
}

}  // namespace
}  // namespace quorin::qc
