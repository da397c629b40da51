// One table of behaviour that the SQLite file and the PostgreSQL database both pass: a run saved
// again replaces itself; a deletion needs a reason, is kept for audit and leaves an established
// target where it was until the user asks; the rules span runs; the export names each run's
// curve and station; an older schema is read and brought forward; a later, foreign or broken
// history is refused and left as it was.

#include <gtest/gtest.h>

#include "engine/logistic.h"
#include "qc/history_store.h"
#include "qc/qc_delete.h"
#include "qc/qc_export.h"
#include "qc/qc_series.h"
#include "qc/server/stores.h"

namespace quorin::qc {
namespace {

QC_Run run_of(int day, double mean, int kind = 0) {
  QC_Run run;
  run.substance = "コルチゾール";
  run.assay_no = "C-" + std::to_string(day);
  run.assay_date = "2026/3/" + std::to_string(day);
  run.date_key = date_key(run.assay_date);
  run.curve = {kind, 1, kind == 0 ? 3 : 0, 1, 8};
  run.station = "counter-" + std::to_string(day % 2);
  run.sera = {{1, mean, 2.5, 2}, {2, std::nullopt, 0, 0}};
  return run;
}

template <typename Place>
class History_Stores : public ::testing::Test {
 protected:
  std::vector<QC_Run> runs() {
    History_Store store;
    std::vector<QC_Run> all;
    Db_Outcome outcome = store.open(place.where, Connection::Mode::Read);
    if (outcome) outcome = store.all_runs(all);
    EXPECT_TRUE(outcome) << history_message(place.where, outcome);
    return all;
  }
  Series series() {
    History_Store store;
    std::map<int, Kept_Target> kept;
    EXPECT_TRUE(store.open(place.where, Connection::Mode::Read));
    EXPECT_TRUE(store.kept_targets("コルチゾール", kept));
    return make_series(runs(), kept);
  }
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
  ASSERT_TRUE(store.store_run(run_of(3, 9.0, Four_PL), receipt));
  EXPECT_TRUE(receipt.replaced);
  EXPECT_EQ(receipt.replaced_station, "counter-1");
  std::vector<QC_Run> all = this->runs();
  ASSERT_EQ(all.size(), 22u);
  EXPECT_EQ(all[2].sera[0].mean, 9.0);
  EXPECT_EQ(all[2].sera[1].mean, std::nullopt);
  EXPECT_EQ(all[2].curve, (Run_Curve{Four_PL, 1, 0, 1, 8}));
  EXPECT_EQ(all[1].curve, (Run_Curve{Logit_Log, 1, 3, 1, 8}));
  EXPECT_EQ(all[2].station, "counter-1");

  // The target of serum 1 comes from runs 1..20, run 3 among them; the verdict of run 3 warns of
  // its curve, which is not the curve of the others.
  const Target before = this->series().targets.at(1);
  EXPECT_EQ(before.curve.kind, Mixed_Curves);
  EXPECT_NE(curve_warning(this->series(), 1).find("複数の検量線"), std::string::npos);

  const struct {
    const char* assay_no;
    const char* reason;
    Delete_Result::Kind kind;
  } deletions[] = {{"C-3", "  ", Delete_Result::Kind::Refused},
                   {"C-99", "誤登録", Delete_Result::Kind::Not_Found},
                   {"C-3", "別の検量線で保存した", Delete_Result::Kind::Deleted},
                   {"C-3", "もう一度", Delete_Result::Kind::Not_Found}};
  for (const auto& deletion : deletions) {
    SCOPED_TRACE(std::string(deletion.assay_no) + " " + deletion.reason);
    EXPECT_EQ(delete_stored_run(store, this->place.where, "コルチゾール", deletion.assay_no, "2026/03/03",
                                deletion.reason)
                  .kind,
              deletion.kind);
  }
  EXPECT_EQ(this->runs().size(), 21u);
  std::vector<Deleted_Run> deleted;
  ASSERT_TRUE(store.deleted_runs(deleted));
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0].reason, "別の検量線で保存した");
  EXPECT_EQ(deleted[0].deleted_by, deleting_user());
  EXPECT_EQ(deleted[0].sera, "1=9,2.5,2;2=,0,0");
  // The target stays as it was until the user asks for it again.
  const Target kept = this->series().targets.at(1);
  EXPECT_EQ(kept.mean, before.mean);
  EXPECT_TRUE(kept.kept);
  ASSERT_TRUE(store.clear_target("コルチゾール", 1));
  EXPECT_NE(this->series().targets.at(1).mean, before.mean);

  // An entered target of 10 ± 0.25 puts the earlier runs at ±2 SD, which breaks nothing, and the
  // last two at +2.4 SD: 1-2s, then 2-2s across the two runs.
  ASSERT_TRUE(store.keep_target("コルチゾール", 1, {10.0, 0.25, 0, {Logit_Log, 1, 3, 1, 8}}));
  const Series judged = this->series();
  EXPECT_EQ(judged.checks[18].verdict, Verdict::Accept);
  EXPECT_EQ(judged.checks[19].verdict, Verdict::Warning);
  EXPECT_EQ(judged.checks[20].verdict, Verdict::Reject);
  EXPECT_EQ(serum_rules_text(judged.checks[20], 1, " "), "1-2s 2-2s");

  testing::Scratch_Folder folder;
  ASSERT_EQ(export_history(this->place.where, folder.file("out.csv")).kind, Export_Result::Kind::Written);
  const std::string csv = testing::read_bytes(folder.file("out.csv"));
  EXPECT_NE(csv.find(",判定,検量線,標準範囲,目標値の検量線,測定端末\r\n"), std::string::npos);
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
  {
    History_Store store;
    ASSERT_TRUE(store.open(this->place.where, Connection::Mode::Write));
    ASSERT_TRUE(store.store_run(run_of(6, 4.6)));
  }
  EXPECT_EQ(this->place.version(), "2");
  const std::vector<QC_Run> now = this->runs();
  ASSERT_EQ(now.size(), 2u);
  EXPECT_EQ(curve_text(now[0].curve), "不明");
  EXPECT_EQ(now[0].sera[0].mean, 4.5);
  EXPECT_EQ(now[1].curve.kind, Logit_Log);

  const struct {
    const char* name;
    std::function<void(const TypeParam&)> spoil;
    Db_Failure failure;
  } refusals[] = {
      {"a later version", [](const TypeParam& place) { place.make_version_1(), place.set_version(3); },
       Db_Failure::Too_New},
      {"another program's", [](const TypeParam& place) { place.make_foreign(); }, Db_Failure::Foreign},
  };
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(refusal.name);
    const TypeParam other;
    refusal.spoil(other);
    const std::string before = other.snapshot();
    ASSERT_FALSE(before.empty());
    for (const auto mode : {Connection::Mode::Read, Connection::Mode::Write}) {
      History_Store store;
      const Db_Outcome outcome = store.open(other.where, mode);
      EXPECT_EQ(outcome.failure, refusal.failure) << history_message(other.where, outcome);
    }
    EXPECT_EQ(other.snapshot(), before);
  }
}

}  // namespace
}  // namespace quorin::qc
