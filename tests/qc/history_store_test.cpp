// The control-serum history on real SQLite files: saving an assay again replaces its run, a
// serum without concentration stays missing, and every file that cannot serve as the history
// (not SQLite, corrupt, another program's, a later version's, locked, on a full disk, read-only)
// is refused with its reason and left byte for byte as it was.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "qc/history_store.h"
#include "results/results_fixture.h"
#include "state/navigation.h"
#include "state/program.h"
#include "support/test_support.h"
#include "ui/scripted_platform.h"

namespace quorin::qc {
namespace {

constexpr int Short_Wait_Ms = 100;  // busy timeout of the tests: long enough to wait, short enough to fail fast

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
  Db_Outcome outcome = history.open(path, Connection::Mode::Write, Short_Wait_Ms);
  return outcome ? history.store_run(run) : outcome;
}

std::vector<QC_Run> stored(const std::string& path) {
  History_Store history;
  std::vector<QC_Run> runs;
  Db_Outcome outcome = history.open(path, Connection::Mode::Read, Short_Wait_Ms);
  if (outcome) outcome = history.all_runs(runs);
  EXPECT_TRUE(outcome) << history_message(path, outcome);
  return runs;
}

// Runs SQL on the file with SQLite itself, as another program would.
void raw_sql(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

// The first column of the first row, read with SQLite itself.
std::int64_t raw_number(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  const std::int64_t value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return value;
}

// The failure an attempt gives in a child process that first lowers its own rights or limits.
Db_Failure in_child(const std::function<void()>& setup, const std::function<Db_Outcome()>& attempt) {
  const pid_t pid = fork();
  if (pid == 0) {
    setup();
    _exit(static_cast<int>(attempt().failure));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? static_cast<Db_Failure>(WEXITSTATUS(status)) : Db_Failure::Other;
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
};

TEST_F(History_File, SavingAnAssayAgainReplacesItsRun) {
  ASSERT_TRUE(store(path, run_of("C-10", "2026/12/1", {3.0, 12.0})));
  ASSERT_TRUE(store(path, run_of("C-9", "2026/12/01", {3.5, 12.5})));
  ASSERT_TRUE(store(path, run_of("C-10", "2026/12/01", {3.1, std::nullopt})));  // the same day written otherwise
  QC_Run other = run_of("C-10", "2026/12/01", {9.0});
  other.substance = "ＴＳＨ";
  ASSERT_TRUE(store(path, other));

  const std::vector<QC_Run> runs = stored(path);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].assay_no, "C-9");  // by substance, then the assay numbers as numbers
  EXPECT_EQ(runs[1].assay_no, "C-10");
  EXPECT_EQ(runs[1].assay_date, "2026/12/01");
  ASSERT_EQ(runs[1].sera.size(), 2u);
  EXPECT_EQ(runs[1].sera[0].mean, 3.1);
  EXPECT_EQ(runs[1].sera[1].mean, std::nullopt);
  EXPECT_EQ(runs[2].substance, "ＴＳＨ");

  EXPECT_EQ(raw_number(path, "SELECT count(*) FROM serum_results WHERE mean IS NULL"), 1)
      << "a missing mean is stored as NULL, not as 0";
  EXPECT_EQ(raw_number(path, "PRAGMA user_version"), History_Store::Schema_Version);
  EXPECT_EQ(raw_number(path, "PRAGMA application_id"), History_Store::Application_Id);
}

TEST_F(History_File, AFileThatCannotServeIsLeftAsItWas) {
  struct Fault {
    const char* name;
    std::function<void(History_File&)> prepare;
    Db_Failure expected;
    std::function<void()> child_setup;  // run the attempt in a child process set up so
  };
  const Fault faults[] = {
      {"not SQLite",
       [](History_File& t) { testing::write_bytes(t.path, "NSB, 346\r\nTOTAL, 21465\r\n"); },
       Db_Failure::Not_Database,
       {}},
      {"corrupt",
       [](History_File& t) {
         t.history_of(60);
         std::string bytes = testing::read_bytes(t.path);
         ASSERT_GT(bytes.size(), 3u * 4096);
         bytes.replace(4096, 4096, std::string(4096, '\x5A'));  // the whole second page
         testing::write_bytes(t.path, bytes);
       },
       Db_Failure::Corrupt,
       {}},
      {"another program's database",
       [](History_File& t) { raw_sql(t.path, "CREATE TABLE samples (x)"); },
       Db_Failure::Foreign,
       {}},
      {"a later version",
       [](History_File& t) {
         t.history_of(1);
         raw_sql(t.path, "PRAGMA user_version = 2");
       },
       Db_Failure::Too_New,
       {}},
      {"full disk", [](History_File& t) { t.history_of(3); }, Db_Failure::Full,
       [path = path] {
         std::signal(SIGXFSZ, SIG_IGN);
         const auto size = static_cast<rlim_t>(std::filesystem::file_size(path));
         const rlimit limit{size, size};
         setrlimit(RLIMIT_FSIZE, &limit);
       }},
      {"read-only",
       [](History_File& t) {
         t.history_of(3);
         std::filesystem::permissions(t.path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                                  std::filesystem::perms::others_read);
         std::filesystem::permissions(t.folder.path(),
                                      std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                          std::filesystem::perms::others_write,
                                      std::filesystem::perm_options::remove);
       },
       Db_Failure::Read_Only,
       [] {
         if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);  // root may write anything
       }},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                                    std::filesystem::perms::group_exec |
                                                    std::filesystem::perms::others_read |
                                                    std::filesystem::perms::others_exec);
    std::filesystem::remove(path);
    fault.prepare(*this);
    const std::string before = testing::read_bytes(path);
    const std::size_t runs_before = fault.child_setup ? stored(path).size() : 0;
    QC_Run big = run_of("C-99", "2026/12/24", {4.0, 5.0});
    big.result_file = std::string(200000, 'x');  // more than the full disk takes
    const Db_Failure failure =
        fault.child_setup ? in_child(fault.child_setup, [&] { return store(path, big); }) : store(path, big).failure;
    EXPECT_EQ(failure, fault.expected);
    EXPECT_TRUE(testing::read_bytes(path) == before) << "the file is never changed";
    if (fault.child_setup) {
      EXPECT_EQ(stored(path).size(), runs_before) << "and still reads as before";
    }
  }
}

TEST_F(History_File, AnotherProgramsLockIsWaitedForThenRefused) {
  history_of(2);
  const std::string before = testing::read_bytes(path);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  const Db_Outcome outcome = store(path, run_of("C-3", "2026/11/3", {4.0}));
  EXPECT_EQ(outcome.failure, Db_Failure::Busy);
  EXPECT_EQ(history_message(path, outcome).find("他のプログラムが使用中です") != std::string::npos, true);
  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(testing::read_bytes(path) == before);
  EXPECT_TRUE(store(path, run_of("C-3", "2026/11/3", {4.0}))) << "free again, the run is kept";
  EXPECT_EQ(stored(path).size(), 3u);
}

// A program stopped in the middle of a write leaves its changes in the file and the old pages in
// the journal: the next reader puts the file back as it was.
TEST_F(History_File, AWriteCutOffMidwayIsUndone) {
  history_of(2);
  const pid_t pid = fork();
  if (pid == 0) {
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
  waitpid(pid, nullptr, 0);
  ASSERT_TRUE(std::filesystem::exists(path + "-journal"));
  EXPECT_EQ(stored(path).size(), 2u);
  EXPECT_EQ(raw_number(path, "SELECT count(*) FROM runs"), 2);
}

// The program saves the result file whatever the history does, tells once that the history
// cannot be used and goes on without it; with a good history, the saved assay is its run.
TEST(History_Of_The_Program, ABadHistoryCostsOneMessageAndNeverTheResultFile) {
  testing::Scratch_Folder folder;
  ui::Scripted_Platform platform;
  Program program(platform);
  testing::hand_worked(program.state);  // serum 1 has no tube, so no mean
  program.state.Substance_Name = " コルチゾール ";
  program.state.Assay_No = "C-0142";
  program.state.Assay_Date = "2026/12/01";
  program.show(Screen::Conditions);
  testing::as_computed(program.state);
  const std::string bad = folder.file("bad.sqlite"), good = folder.file("good.sqlite");
  testing::write_bytes(bad, "not a database\r\n");
  program.qc_history.path = bad;
  auto save = [&](const std::string& result) {
    platform.file_answers = {folder.file(result)};
    program.state.Screen_No = screen_no(Screen::Result);
    Command_Exec(program, target::Save);
  };
  save("first.txt");
  save("second.txt");
  ASSERT_EQ(platform.messages.size(), 3u) << ::testing::PrintToString(platform.messages);
  EXPECT_EQ(platform.messages[0], "データ保存が終了しました");
  EXPECT_EQ(platform.messages[1], "精度管理の履歴ファイルを使えません: " + bad +
                                      " (SQLite のデータベースではありません: file is not a database)\n"
                                      "以後、精度管理の履歴を使わずに続けます");
  EXPECT_EQ(platform.messages[2], "データ保存が終了しました");
  EXPECT_TRUE(std::filesystem::exists(folder.file("first.txt")) && std::filesystem::exists(folder.file("second.txt")));
  EXPECT_EQ(testing::read_bytes(bad), "not a database\r\n");

  program.qc_history = {good, "", ""};
  save("third.txt");
  EXPECT_EQ(platform.messages.back(), "データ保存が終了しました");
  const std::vector<QC_Run> runs = stored(good);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].substance, "コルチゾール");
  EXPECT_EQ(runs[0].result_file, folder.file("third.txt"));
  ASSERT_EQ(runs[0].sera.size(), 2u);
  EXPECT_EQ(runs[0].sera[0].mean, std::nullopt);
  EXPECT_EQ(runs[0].sera[1].mean, 1.24225);
  EXPECT_EQ(runs[0].sera[1].tubes, 2);
}

}  // namespace
}  // namespace quorin::qc
