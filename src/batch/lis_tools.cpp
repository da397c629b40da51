#include "batch/lis_tools.h"

#include <ostream>

#include "batch/batch_platform.h"
#include "lis/hl7_file.h"
#include "lis/link_address.h"
#include "lis/lis_send.h"
#include "lis/lis_settings_file.h"

namespace quorin::batch {

int run_lis_sync(const lis::LIS_Link& link, std::ostream& errors) {
  const lis::Delivery_Report report = lis::send_waiting(link);
  for (const std::string& line : report.lines) errors << line << '\n';
  return report.failed ? Exit_Failed : report.undelivered() ? Exit_LIS_Waiting : Exit_Done;
}

std::string batch_lis_settings(const Batch_Options& options, lis::LIS_Settings& settings) {
  const lis::Settings_Read saved = lis::read_lis_settings(lis::lis_settings_path());
  settings = saved.settings;
  if (!options.lis.empty()) lis::read_link_address(options.lis, settings.link);  // read when parsed
  if (options.lis_timeout) settings.link.timeout_s = *options.lis_timeout;
  const std::pair<const std::optional<std::string>&, std::string&> names[] = {
      {options.sending_facility, settings.sending_facility},
      {options.receiving_application, settings.receiving_application},
      {options.receiving_facility, settings.receiving_facility}};
  for (const auto& [given, name] : names)
    if (given) name = *given;
  const std::string missing = lis::missing_lab_name(settings);
  if (missing.empty()) return "";
  return missing +
         ": --sending-facility、--receiving-application、--receiving-facility で指定するか、測定結果画面の"
         "「LIS設定」で保存してください" +
         (saved.kind == lis::Settings_Read::Kind::Damaged ? "\n" + saved.message : "");
}

std::string prepare_lis_outputs(const Batch_Options& options, const lis::LIS_Settings& settings, LIS_Rows& rows,
                                Batch_Platform& platform) {
  if (const std::string left_out = left_out_text(rows.left_out); !left_out.empty()) platform.warning(left_out);
  lis::Outgoing_Messages made = lis::make_messages_now(rows.results, settings);
  if (!made.problem.empty())
    return options.hl7.empty() ? "LIS " + options.lis + " へ送れません: " + made.problem
                               : "HL7 ファイルを保存できません: " + options.hl7 + " (" + made.problem + ")";
  if (!options.hl7.empty()) {
    const lis::HL7_File_Report saved = lis::save_hl7_file(options.hl7, made.messages);
    if (!saved.saved) return saved.message;
    platform.message(saved.message);
  }
  if (!options.lis.empty()) rows.messages = std::move(made.messages);  // kept only to be sent
  return "";
}

bool send_lis_option(const lis::LIS_Settings& settings, const LIS_Rows& rows, Batch_Platform& platform) {
  const lis::Delivery_Report report =
      lis::send_messages(rows.messages, settings.link, lis::shown_progress(platform, settings.link));
  platform.message(lis::report_text(report));
  return report.undelivered();
}

}  // namespace quorin::batch
