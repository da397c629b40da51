// The audit trail and the copies, on both stores. One run saved, replaced and deleted leaves a
// trail whose chain holds and which accounts for every record; a row changed, removed or slipped
// in behind the program's back (through SQLite and through libpq, the guards taken off first),
// or a record changed without a row, is named by --qc-audit. On PostgreSQL the grants the README
// gives make the trail INSERT-only for a station's role. Copies keep history: a deletion travels
// and keeps a run from coming back, the later of two targets wins with its entry time, and a
// second copy either way changes nothing.

#include <gtest/gtest.h>

#include "batch/batch_options.h"
#include "qc/audit.h"
#include "qc/qc_audit.h"
#include "qc/qc_copy.h"
#include "qc/qc_delete.h"
#include "qc/server/stores.h"

namespace quorin::qc {
namespace {

// The audit tool as the command line runs it: its exit status, the trail (out) and the verdict (errors).
testing::Tool_Run audit_tool(const std::string& where) { return testing::run_tool({"--qc-audit", where}); }

// One run saved (Sera 1 3.087), saved again with other counts (3.557) and deleted; another run saved
// and a target entered: the trail's rows 1 to 5.
void one_run_saved_replaced_and_deleted(const std::string& where) {
  History_Store store;
  ASSERT_TRUE(store.open(where, Connection::Mode::Write));
  QC_Run run = testing::qc_run("コルチゾール", "C-0142", "2026/12/01", {3.087, 11.933});
  run.station = "counter-1", run.result_file = "/lab/c0142.txt";
  ASSERT_TRUE(store.store_run(run));
  run.sera[0].mean = 3.557, run.station = "counter-2";
  ASSERT_TRUE(store.store_run(run));
  ASSERT_EQ(delete_stored_run(store, where, "コルチゾール", "C-0142", "2026/12/01", "計数の取り違え").kind,
            Delete_Result::Kind::Deleted);
  ASSERT_TRUE(store.store_run(testing::qc_run("コルチゾール", "C-0143", "2026/12/02", {3.1, 12.0})));
  ASSERT_TRUE(store.keep_target("コルチゾール", 1, {3.1, 0.1, 0, {}, "", ""}));
}

template <typename Place>
class Audit_Trail : public ::testing::Test {
 protected:
  Place place;
};

using Places = ::testing::Types<testing::SQLite_Place, testing::Server_Place>;
TYPED_TEST_SUITE(Audit_Trail, Places);

TYPED_TEST(Audit_Trail, HoldsForEveryChangeAndNamesTheFirstBrokenRow) {
  one_run_saved_replaced_and_deleted(this->place.where);
  const testing::Tool_Run clean = audit_tool(this->place.where);
  EXPECT_EQ(clean.status, batch::Exit_Done) << clean.errors;
  const std::vector<Audit_Row> rows = testing::read_history(this->place.where, &History_Store::audit_trail);
  ASSERT_EQ(rows.size(), 5u);
  const char* actions[] = {Audit_Save, Audit_Replace, Audit_Delete, Audit_Save, Audit_Target_Enter};
  for (std::size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(rows[r].action, actions[r]) << r;
  // The replacement keeps the values before and after; the deletion, the run it removed and why.
  EXPECT_NE(rows[1].before.find("station=counter-1|saved_at="), std::string::npos) << rows[1].before;
  EXPECT_NE(rows[1].before.find("|sera=1:3.087,2.5,2;2:11.933,2.5,2"), std::string::npos) << rows[1].before;
  EXPECT_NE(rows[1].after.find("|sera=1:3.557,2.5,2;"), std::string::npos) << rows[1].after;
  EXPECT_EQ(rows[2].before, rows[1].after);
  EXPECT_EQ(rows[2].reason, "計数の取り違え");
  EXPECT_EQ(rows[2].user + "@" + rows[2].station, deleting_user());

  // The database itself refuses to change the trail.
  EXPECT_FALSE(this->place.try_sql("UPDATE audit SET reason = 'x' WHERE id = 3"));
  EXPECT_FALSE(this->place.try_sql("DELETE FROM audit WHERE id = 3"));
  EXPECT_EQ(audit_tool(this->place.where).out, clean.out);

  const struct {
    const char* name;
    std::string sql;  // run with the trail's guards taken off
    const char* told;
  } tamperings[] = {
      {"a value edited", "UPDATE audit SET value_before = replace(value_before, '3.087', '3.1') WHERE id = 2",
       " の 2 行目 (内容がハッシュと合いません"},
      {"a row removed", "DELETE FROM audit WHERE id = 3", " の 4 行目 (前の行のハッシュと合いません"},
      {"a row slipped in",
       "INSERT INTO audit (at, os_user, station, action, substance, assay_no, date_key, serum, value_before,"
       " value_after, reason, previous, hash) SELECT at, os_user, station, action, substance, assay_no, date_key,"
       " serum, value_before, value_after, reason, previous, hash FROM audit WHERE id = 4",
       " の 6 行目 (前の行のハッシュと合いません"},
      {"a record edited without a row", "UPDATE serum_results SET mean = 3.2 WHERE serum = 1",
       "監査証跡と合わない記録があります: "},
  };
  for (const auto& tampering : tamperings) {
    SCOPED_TRACE(tampering.name);
    const TypeParam fresh;
    one_run_saved_replaced_and_deleted(fresh.where);
    fresh.sql(fresh.unguarded(tampering.sql));
    const testing::Tool_Run broken = audit_tool(fresh.where);
    EXPECT_EQ(broken.status, batch::Exit_Trail_Broken);
    EXPECT_NE(broken.errors.find(tampering.told), std::string::npos) << broken.errors;
  }
}

// The README's set-up for an INSERT-only trail: the tables made by copying an empty history as
// the owning role, the station's role granted no more; it saves, reads and adds to the trail, and
// can neither change a row nor turn the trigger off.
TEST(Audit_Trail_Grants, AStationsRoleOnlyAddsToTheTrail) {
  const testing::Server_Place server;
  const std::string base = server.where.substr(0, server.where.find("&user="));
  server.sql(
      "DO $$ BEGIN CREATE ROLE owner_role LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$;"
      "DO $$ BEGIN CREATE ROLE station_role LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$;"
      "ALTER SCHEMA public OWNER TO owner_role");
  testing::Scratch_Folder folder;
  testing::write_bytes(folder.file("empty.sqlite"), "");
  ASSERT_TRUE(copy_history(folder.file("empty.sqlite"), base + "&user=owner_role").done);
  testing::server_sql(base + "&user=owner_role",
                      "GRANT SELECT ON quorin_schema TO station_role;"
                      "GRANT SELECT, INSERT, UPDATE, DELETE ON runs, serum_results, targets, deletions TO station_role;"
                      "GRANT SELECT, INSERT ON audit TO station_role");
  const std::string station = base + "&user=station_role";
  one_run_saved_replaced_and_deleted(station);
  EXPECT_EQ(audit_tool(station).status, batch::Exit_Done);
  for (const char* change :
       {"DELETE FROM audit", "UPDATE audit SET reason = ''", "ALTER TABLE audit DISABLE TRIGGER USER"})
    EXPECT_FALSE(testing::try_server_sql(station, change).first) << change;
  EXPECT_EQ(audit_tool(station).status, batch::Exit_Done);
}

// Copies between a station's file and each store: every case starts from FROM and TO as given
// and copies in the direction given; a second copy then changes nothing, in either direction.
TYPED_TEST(Audit_Trail, CopiesKeepDeletionsAndTheLaterTarget) {
  testing::SQLite_Place file;
  const std::string from = file.where, to = this->place.where;
  const auto count = [](const std::string& where) { return testing::runs_in(where).size(); };
  QC_Run run = testing::qc_run("TSH", "T-1", "2026/12/01", {2.5});
  run.station = "counter-1";
  ASSERT_TRUE(testing::store_in(from, run));
  ASSERT_TRUE(copy_history(from, to).done);
  ASSERT_EQ(count(to), 1u);

  // Deleted in TO, the run does not come back from FROM, and the deletion goes back to FROM.
  {
    History_Store b;
    ASSERT_TRUE(b.open(to, Connection::Mode::Write));
    ASSERT_EQ(delete_stored_run(b, to, "TSH", "T-1", "2026/12/01", "誤登録").kind, Delete_Result::Kind::Deleted);
  }
  EXPECT_NE(copy_history(from, to).message.find("新しく 0 回、置き換え 0 回"), std::string::npos);
  EXPECT_EQ(count(to), 0u);
  EXPECT_NE(copy_history(to, from).message.find("削除の記録 1 件"), std::string::npos);
  EXPECT_EQ(count(from), 0u) << "the deletion removed the run it was made of";

  // A target entered in TO in 2026 against FROM's of 2020: the later wins both ways, times as entered.
  {
    History_Store a, b;
    ASSERT_TRUE(a.open(from, Connection::Mode::Write));
    ASSERT_TRUE(b.open(to, Connection::Mode::Write));
    bool changed = false;
    ASSERT_TRUE(a.copy_target({"TSH", 1, {2.0, 0.2, 0, {}, "2020-01-10 08:00:00.000", ""}}, changed));
    ASSERT_TRUE(b.copy_target({"TSH", 1, {3.1, 0.1, 0, {}, "2026-12-05 09:30:00.000", ""}}, changed));
  }
  for (const auto& [source, target] : {std::pair{from, to}, std::pair{to, from}})
    ASSERT_TRUE(copy_history(source, target).done);
  for (const std::string& where : {from, to}) {
    const std::map<int, Kept_Target> targets = testing::targets_in(where, "TSH");
    EXPECT_EQ(targets.at(1).mean, 3.1) << where;
    EXPECT_EQ(targets.at(1).entered_at, "2026-12-05 09:30:00.000") << where;
  }

  // Nothing changes the second time, whichever way; both trails account for their records.
  const auto trails = [&] { return audit_tool(from).out + audit_tool(to).out; };
  const std::string before = trails();
  for (const auto& [source, target] : {std::pair{from, to}, std::pair{to, from}})
    EXPECT_NE(copy_history(source, target).message.find("新しく 0 回、置き換え 0 回; 目標値 0 件; 削除の記録 0 件"),
              std::string::npos);
  EXPECT_EQ(trails(), before);
  for (const std::string& where : {from, to}) EXPECT_EQ(audit_tool(where).status, batch::Exit_Done) << where;
}

}  // namespace
}  // namespace quorin::qc
