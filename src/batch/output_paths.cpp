#include "batch/output_paths.h"

#include <filesystem>
#include <iterator>

#include "lis/lis_settings_file.h"
#include "qc/qc_history.h"
#include "text/same_file.h"

namespace quorin::batch {

namespace {

bool within(const std::string& path, const std::string& folder) {
  const std::string written = text::written_path(path);
  return written == folder || written.starts_with(folder + "/");
}

// Why an output would replace one of the program's own files (the default history, the LIS
// settings, the outboxes of the history server and of the LIS, all kept in one folder), or "".
// Only the history may lie there, and only outside the outboxes.
std::string own_file_clash(const std::string& path, const char* what, bool history) {
  const std::string default_history = qc::default_history_path();
  if (default_history.empty()) return "";
  const std::string folder = text::written_path(std::filesystem::path(default_history).parent_path().string());
  if (!history && within(path, folder))
    return std::string(what) + "は、プログラムが履歴・送信待ち・設定を置くフォルダー (" + folder +
           ") には保存できません: " + path;
  if (history && (within(path, folder + "/outbox") || text::same_file(path, lis::lis_settings_path())))
    return std::string(what) + "に、プログラムの送信待ちや LIS 設定のファイルは使えません: " + path;
  return "";
}

}  // namespace

std::string output_clash(const Batch_Options& options) {
  const struct {
    const std::string& path;
    const char* what;
  } outputs[] = {{options.result, "結果ファイル"},       {options.pdf, "PDF ファイル"},
                 {options.qc, "精度管理の履歴ファイル"}, {options.csv, "CSV ファイル"},
                 {options.xlsx, "Excel ファイル"},       {options.hl7, "HL7 ファイル"}};
  for (auto output = std::begin(outputs); output != std::end(outputs); ++output) {
    if (output->path.empty()) continue;
    if (std::string clash = own_file_clash(output->path, output->what, &output->path == &options.qc); !clash.empty())
      return clash;
    for (const std::string* input : {&options.conditions, &options.counts, &options.ids})
      if (text::same_file(output->path, *input))
        return std::string(output->what) + "が入力ファイルと同じです: " + output->path;
    for (auto earlier = std::begin(outputs); earlier != output; ++earlier)
      if (!earlier->path.empty() && text::same_file(output->path, earlier->path))
        return std::string(earlier->what) + "と" + output->what + "が同じファイルです: " + output->path;
  }
  return "";
}

}  // namespace quorin::batch
