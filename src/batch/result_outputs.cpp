#include "batch/result_outputs.h"

#include "data/sample_ids.h"
#include "engine/result_flags.h"
#include "results/result_export.h"
#include "state/program.h"

namespace quorin::batch {

void apply_result_options(const Batch_Options& options, Program& program) {
  program.state.Count_Column = options.count_column;
  program.state.Count_Id_Column = options.id_column;
  if (options.cv_limit) program.state.Flag_CV_Limit = *options.cv_limit;
}

std::string load_ids_option(const Batch_Options& options, Program& program) {
  if (options.ids.empty()) return "";
  std::string note;
  if (std::string failure = load_sample_ids(program.state, options.ids, note); !failure.empty()) return failure;
  if (!note.empty()) program.platform.message(note);
  return "";
}

std::string write_result_exports(const Batch_Options& options, Program& program) {
  Assay_State& state = program.state;
  program.platform.message(flag_summary(state, Result_Kind::Sample, flag_limits(state)));
  if (!options.csv.empty())
    if (std::string failure = save_results_csv(state, options.csv); !failure.empty()) return failure;
  if (!options.xlsx.empty())
    if (std::string failure = save_results_xlsx(state, options.xlsx); !failure.empty()) return failure;
  return "";
}

}  // namespace quorin::batch
