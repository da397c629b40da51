// The results screen's "CSV保存" and "Excel保存".
#include <functional>

#include "results/result_export.h"
#include "results/results_procedures.h"
#include "state/current_results.h"
#include "state/program.h"

namespace quorin {

namespace {

void export_results(Program& program, const ui::File_Dialog& dialog,
                    const std::function<std::string(Assay_State&, const std::string&)>& save) {
  for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample})
    if (!Bring_Table_Up_To_Date(program, kind)) return;
  const std::string path = program.platform.save_file(dialog);
  if (path.empty()) return;
  const std::string failure = save(program.state, path);
  program.platform.message(failure.empty() ? "データ保存が終了しました" : failure);
}

}  // namespace

void Result_Export_CSV(Program& program) {
  export_results(program, {"", "CSV(*.csv)|*.csv", "csv"},
                 [](Assay_State& state, const std::string& path) { return save_results_csv(state, path); });
}

void Result_Export_XLSX(Program& program) {
  export_results(program, {"", "Excel(*.xlsx)|*.xlsx", "xlsx"},
                 [](Assay_State& state, const std::string& path) { return save_results_xlsx(state, path); });
}

}  // namespace quorin
