#include "lis/hl7_file.h"

#include <ctime>

#include "lis/oru_message.h"
#include "text/format.h"
#include "text/text_file.h"

namespace quorin::lis {

HL7_File_Report save_hl7_file(const std::string& path, const std::vector<LIS_Result>& results,
                              const LIS_Settings& settings) {
  Control_Ids ids;
  const Outgoing_Messages made = make_messages(results, settings, ids, hl7_time(std::time(nullptr)));
  if (!made.problem.empty()) return {false, 0, "HL7 ファイルを保存できません: " + path + " (" + made.problem + ")"};
  std::string bytes;
  for (const Outgoing& message : made.messages) bytes += message.text;
  if (std::string failure = text::save_file(path, bytes); !failure.empty()) return {false, 0, failure};
  const auto count = static_cast<long>(made.messages.size());
  return {true, count, "HL7 ファイルを保存しました: " + path + " (メッセージ " + text::bare_text(count) + " 件)"};
}

}  // namespace quorin::lis
