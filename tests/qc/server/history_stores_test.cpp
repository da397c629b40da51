// The control-serum history in each place it lives. One table of behaviour that the SQLite file
// and the PostgreSQL database both pass: a run saved again replaces itself; a deletion needs a
// reason, is kept for audit and leaves an established target where it was until the user asks;
// the rules span runs; the export names each run's curve and station; an older schema is read and
// brought forward; a later or foreign history is refused and left as it was. On real SQLite files:
// a serum without concentration stays missing, a write cut off midway is undone, two runs saving at
// once both arrive, the export runs no formula, and every file that cannot serve as the history
// (corrupt, locked, on a full disk, read-only) is refused with its reason and left
// byte for byte as it was (a file that is no database at all: the history from the command line).

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <latch>
#include <thread>
#include <utility>

#include "engine/logistic.h"
#include "qc/audit.h"
#include "qc/history_store.h"
#include "qc/qc_audit.h"
#include "qc/qc_delete.h"
#include "qc/qc_export.h"
#include "qc/qc_series.h"
#include "qc/server/stores.h"

namespace quorin::qc {
namespace {

QC_Run run_of(int day, double mean, int kind = 0) {
  QC_Run run = testing::qc_run("コルチゾール", "C-" + std::to_string(day), "2026/3/" + std::to_string(day), {mean, {}});
  run.curve = {kind, 1, kind == 0 ? 3 : 0, 1, 8};
  run.station = "counter-" + std::to_string(day % 2);
  run.sera[1] = {2, std::nullopt, 0, 0};
  return run;
}

template <typename Place>
class History_Stores : public ::testing::Test {
 protected:
  std::vector<QC_Run> runs() { return testing::runs_in(place.where); }
  Series series() { return make_series(runs(), testing::targets_in(place.where, "コルチゾール")); }
  Place place;
};

using Places = ::testing::Types<testing::SQLite_Place, testing::Server_Place>;
TYPED_TEST_SUITE(History_Stores, Places);

TYPED_TEST(History_Stores, SaveReplaceDeleteTargetsRulesAndExport) {
  History_Store store;
  ASSERT_TRUE(store.open(this->place.where, Connection::Mode::Write));
  // Values 10 ± 0.5 over 20 days, then two at 10.6; day 3 saved again off another curve replaces its run.
  for (int day = 1; day <= 22; ++day) ASSERT_TRUE(store.store_run(run_of(day, day > 20 ? 10.6 : day % 2 ? 9.5 : 10.5)));
  Save_Receipt receipt;
  // (A mean of more than 15 significant digits: the deletion below must keep it whole.)
  ASSERT_TRUE(store.store_run(run_of(3, 9.000000000000002, Four_PL), receipt));
  EXPECT_TRUE(receipt.replaced);
  EXPECT_EQ(receipt.replaced_station, "counter-1");
  std::vector<QC_Run> all = this->runs();
  ASSERT_EQ(all.size(), 22u);
  EXPECT_EQ(all[2].sera[0].mean, 9.000000000000002);
  EXPECT_EQ(all[2].sera[1].mean, std::nullopt);
  EXPECT_EQ(all[2].curve, (Run_Curve{Four_PL, 1, 0, 1, 8}));

  // The target of serum 1 comes from runs 1..20, run 3 among them; the verdict of run 3 warns of
  // its curve, which is not the curve of the others.
  const Target before = this->series().targets.at(1);
  EXPECT_NE(curve_warning(this->series(), 1).find("複数の検量線"), std::string::npos);

  const auto delete_run = [&](const char* assay_no, const char* reason) {
    return delete_stored_run(store, this->place.where, "コルチゾール", assay_no, "2026/03/03", reason).kind;
  };
  EXPECT_EQ(delete_run("C-3", "  "), Delete_Result::Kind::Refused);
  EXPECT_EQ(delete_run("C-99", "誤登録"), Delete_Result::Kind::Not_Found);
  EXPECT_EQ(delete_run("C-3", "別の検量線で保存した"), Delete_Result::Kind::Deleted);
  EXPECT_EQ(this->runs().size(), 21u);
  const std::vector<Deleted_Run> deleted = testing::read_history(this->place.where, &History_Store::deleted_runs);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0].reason, "別の検量線で保存した");
  EXPECT_EQ(deleted[0].deleted_by, deleting_user());
  EXPECT_EQ(deleted[0].sera, "1=9.000000000000002,2.5,2;2=,0,0");
  // The target stays as it was until the user asks for it again.
  const Target kept = this->series().targets.at(1);
  EXPECT_EQ(kept.mean, before.mean);
  EXPECT_TRUE(kept.kept);
  ASSERT_TRUE(store.clear_target("コルチゾール", 1));
  EXPECT_NE(this->series().targets.at(1).mean, before.mean);

  // An entered target of 10 ± 0.25 puts the last two runs at +2.4 SD: the export shows the last
  // breaking 2-2s across the two runs.
  ASSERT_TRUE(store.keep_target("コルチゾール", 1, {10.0, 0.25, 0, {Logit_Log, 1, 3, 1, 8}, "", ""}));

  testing::Scratch_Folder folder;
  ASSERT_EQ(export_history(this->place.where, folder.file("out.csv")).kind, Export_Result::Kind::Written);
  const std::string csv = testing::read_bytes(folder.file("out.csv"));
  EXPECT_NE(csv.find("\r\n2026/3/22,C-22,コルチゾール,,1,10.6,2.5,2,10,0.25,2.400,1-2s 2-2s,却下,"
                     "ロジット・ログ 重1 3次,STD 1～8,ロジット・ログ 重1 3次 (STD 1～8),counter-0\r\n"),
            std::string::npos)
      << csv;
}

TYPED_TEST(History_Stores, OlderSchemaReadAndBroughtForwardOthersLeftAsTheyWere) {
  this->place.make_version_1();
  std::vector<QC_Run> old = this->runs();
  ASSERT_EQ(old.size(), 1u);
  EXPECT_FALSE(old[0].curve.known());
  EXPECT_EQ(this->place.version(), "1") << "reading changes nothing";
  ASSERT_TRUE(testing::store_in(this->place.where, run_of(6, 4.6)));
  EXPECT_EQ(this->place.version(), "3");
  // The trail begins at the migration, with the run the history held, and accounts for every record.
  const std::vector<Audit_Row> trail = testing::read_history(this->place.where, &History_Store::audit_trail);
  ASSERT_EQ(trail.size(), 3u);
  EXPECT_EQ(trail[0].action + " " + trail[0].before + " " + trail[1].action, "migrate version=1 existing-run");
  EXPECT_EQ(audit_history(this->place.where).kind, Audit_Result::Kind::Holds);
  const std::vector<QC_Run> now = this->runs();
  ASSERT_EQ(now.size(), 2u);
  EXPECT_EQ(curve_text(now[0].curve), "不明");
  EXPECT_EQ(now[0].sera[0].mean, 4.5);
  EXPECT_EQ(now[1].curve.kind, Logit_Log);

  for (const Db_Failure failure : {Db_Failure::Too_New, Db_Failure::Foreign}) {  // a later version, another program's
    const TypeParam other;
    if (failure == Db_Failure::Too_New) other.make_version_1(), other.set_version(Schema_Version + 1);
    else other.make_foreign();
    const std::string before = other.snapshot();
    ASSERT_FALSE(before.empty());
    for (const auto mode : {Connection::Mode::Read, Connection::Mode::Write}) {
      History_Store store;
      const Db_Outcome outcome = store.open(other.where, mode);
      EXPECT_EQ(outcome.failure, failure) << history_message(other.where, outcome);
    }
    EXPECT_EQ(other.snapshot(), before);
  }
}

namespace fs = std::filesystem;
using testing::store_in;

QC_Run file_run(const std::string& no, const std::string& date, std::vector<std::optional<double>> means) {
  QC_Run run = testing::qc_run("コルチゾール", no, date, means);
  run.result_file = std::string(64, 'r');
  return run;
}

class History_File : public ::testing::Test {
 public:  // the fault table's steps reach the fixture
  // A history of `runs` runs on consecutive days.
  void history_of(int runs) {
    for (int day = 1; day <= runs; ++day)
      ASSERT_TRUE(
          store_in(path, file_run("C-" + std::to_string(day), "2026/11/" + std::to_string(day), {3.0 + day, 12.0})));
  }

  testing::SQLite_Place place;  // runs SQL on the file as another program would
  testing::Scratch_Folder& folder = place.folder;
  const std::string& path = place.where;
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
      {"corrupt",
       [](History_File& t) {
         t.history_of(60);
         std::string bytes = testing::read_bytes(t.path);
         ASSERT_GT(bytes.size(), 3u * 4096);
         testing::write_bytes(t.path, bytes.replace(4096, 4096, std::string(4096, '\x5A')));  // the second page
       },
       "(ファイルが壊れています)"},
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
      QC_Run big = file_run("C-99", "2026/12/24", {4.0, 5.0});
      big.result_file = std::string(200000, 'x');  // more than the full disk takes
      _exit(static_cast<int>(store_in(path, big).failure));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    sqlite3_close(std::exchange(other, nullptr));  // the lock let go
    const Db_Failure failure = WIFEXITED(status) ? static_cast<Db_Failure>(WEXITSTATUS(status)) : Db_Failure::Other;
    EXPECT_NE(history_message(path, {failure, ""}).find(fault.reason), std::string::npos) << static_cast<int>(failure);
    EXPECT_TRUE(testing::read_bytes(path) == before) << "the file is never changed";
  }
}

// A serum without a concentration is stored as NULL, not as 0 (a run saved again takes its place
// in the table every store passes). A program stopped in the middle of a write then leaves its
// changes in the file and the old pages in the journal: the next reader puts the file back.
TEST_F(History_File, AMissingValueIsNullAndAWriteCutOffMidwayIsUndone) {
  ASSERT_TRUE(store_in(path, file_run("C-10", "2026/12/01", {3.1, std::nullopt})));
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
  const std::vector<QC_Run> runs = testing::runs_in(path);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].sera[0].mean, 3.1);
  EXPECT_EQ(place.sql("SELECT count(*) FROM serum_results WHERE mean IS NULL"), "1");
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
        if (outcomes[r]) outcomes[r] = history.store_run(file_run("C-" + std::to_string(r), "2026/12/01", {3.0}));
      });
    for (std::thread& run : runs) run.join();
    for (const Db_Outcome& outcome : outcomes) EXPECT_TRUE(outcome) << pair << ": " << history_message(file, outcome);
    EXPECT_EQ(testing::runs_in(file).size(), 2u);
  }
}

// A text that a spreadsheet would run as a formula goes into the export with a leading apostrophe,
// so that it shows as the text it is, and so does a text that begins with one ("'+1" is not "+1");
// numbers, a negative z among them, stay numbers (golden/formula_export.csv).
TEST_F(History_File, TheExportRunsNoFormulaAndKeepsNumbers) {
  for (const char* text : {"=HYPERLINK(\"http://x\",\"y\")", "+1", "'+1", "-A1", "@SUM(A1)", "C-0142"}) {
    QC_Run run = file_run(text, "2026/12/01", {3.0});
    run.substance = run.unit = text;
    ASSERT_TRUE(store_in(path, run));
  }
  History_Store history;
  ASSERT_TRUE(history.open(path, Connection::Mode::Write));
  ASSERT_TRUE(history.keep_target("C-0142", 1, {4.0, 0.5, 0, {}, "", ""}));
  ASSERT_EQ(export_history(path, folder.file("out.csv")).kind, Export_Result::Kind::Written);
  testing::expect_golden("formula_export.csv", testing::read_bytes(folder.file("out.csv")));
}

}  // namespace
}  // namespace quorin::qc
