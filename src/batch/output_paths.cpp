#include "batch/output_paths.h"

#include <iterator>

#include "text/same_file.h"

namespace quorin::batch {

std::string output_clash(const Batch_Options& options) {
  const struct {
    const std::string& path;
    const char* what;
  } outputs[] = {{options.result, "結果ファイル"},       {options.pdf, "PDF ファイル"},
                 {options.qc, "精度管理の履歴ファイル"}, {options.csv, "CSV ファイル"},
                 {options.xlsx, "Excel ファイル"},       {options.hl7, "HL7 ファイル"}};
  for (auto output = std::begin(outputs); output != std::end(outputs); ++output) {
    if (output->path.empty()) continue;
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
