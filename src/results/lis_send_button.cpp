#include "results/lis_send_button.h"

#include "lis/link_address.h"
#include "lis/lis_send.h"
#include "lis/lis_settings_file.h"
#include "results/lis_rows.h"
#include "results/result_table.h"
#include "state/current_results.h"
#include "state/program.h"
#include "text/format.h"

namespace quorin {

namespace {

constexpr const char* Settings_Hint = "「LIS設定」で LIS の宛先と名前を保存すると送れます";

// The lab's settings, or why they cannot be used.
std::string usable_settings(lis::LIS_Settings& settings) {
  const lis::Settings_Read read = lis::read_lis_settings(lis::lis_settings_path());
  if (read.kind == lis::Settings_Read::Kind::Missing) return std::string("LIS の設定がありません。") + Settings_Hint;
  if (read.kind == lis::Settings_Read::Kind::Damaged) return read.message + "\n" + Settings_Hint;
  settings = read.settings;
  const std::string missing = lis::missing_lab_name(settings);
  return missing.empty() ? "" : missing + "。" + Settings_Hint;
}

}  // namespace

std::string lis_send_blocker(const Program& program) {
  const Assay_State& state = program.state;
  bool any_id = false;
  for (Long i = 1; i <= state.Sample_Number && !any_id; ++i) any_id = !sample_id(state, i).empty();
  if (!any_id)
    return state.Sample_Number == 0 ? "サンプルがありません"
                                    : "ID のあるサンプルがありません (ID のないサンプルは送りません)";
  lis::LIS_Settings settings;
  return usable_settings(settings);
}

void Result_LIS_Send(Program& program) {
  ui::Platform& platform = program.platform;
  lis::LIS_Settings settings;
  if (const std::string problem = usable_settings(settings); !problem.empty()) return platform.message(problem);
  for (const Result_Kind kind : {Result_Kind::Standard_Conc, Result_Kind::Sera, Result_Kind::Sample})
    if (!Bring_Table_Up_To_Date(program, kind)) return;
  const LIS_Rows rows = lis_rows(program.state);
  const std::string left_out = left_out_text(rows.left_out);
  if (rows.results.empty()) return platform.message("ID のあるサンプルがありません。" + left_out);
  const std::string where = "LIS " + lis::link_name(settings.link);
  if (!platform.ask_yes_no("サンプル " + text::bare_text(static_cast<long long>(rows.results.size())) + " 件の結果を " +
                           where + " へ送ります。よろしいですか" + (left_out.empty() ? "" : "\n(" + left_out + ")")))
    return;
  const lis::Delivery_Report report =
      lis::send_results(rows.results, settings, lis::shown_progress(platform, settings.link));
  const std::string told = lis::report_text(report) + (left_out.empty() ? "" : "\n" + left_out);
  if (report.undelivered()) platform.warning(told);
  else platform.message(told);
}

}  // namespace quorin
