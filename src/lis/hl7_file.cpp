#include "lis/hl7_file.h"

#include "text/format.h"
#include "text/text_file.h"

namespace quorin::lis {

HL7_File_Report save_hl7_file(const std::string& path, const std::vector<Outgoing>& messages) {
  std::string bytes;
  for (const Outgoing& message : messages) bytes += message.text;
  if (std::string failure = text::save_file(path, bytes); !failure.empty()) return {false, 0, failure};
  const auto count = static_cast<long>(messages.size());
  return {true, count, "HL7 ファイルを保存しました: " + path + " (メッセージ " + text::bare_text(count) + " 件)"};
}

}  // namespace quorin::lis
