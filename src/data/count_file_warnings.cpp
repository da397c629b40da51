#include "data/count_file_warnings.h"

#include <string>

#include "engine/condition_commit.h"
#include "engine/condition_fields.h"
#include "data/sheet_layout.h"
#include "state/program.h"
#include "text/format.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

constexpr long Tubes_Named = 10;  // a longer list names these and counts the rest

std::string number_text(long long n) { return text::bare_text(n); }

// The tubes with a negative count, as the sheet labels them, and the standards whose mean count
// is negative: one message, or "".
std::string negative_counts(const Assay_State& state) {
  const Sheet_Layout layout = Sheet_Layout::of(state);
  if (!layout.fits_tables()) return "";
  long row = 0, negatives = 0;
  std::string tubes;
  for_each_tube(state, layout, [&](const Long& count, long group, long tube) {
    ++row;
    if (count >= 0 || ++negatives > Tubes_Named) return;
    const std::string_view category = layout.category(row);
    tubes += (tubes.empty() ? "" : "、") + std::string(category) +
             (category == "NSB" || category == "TOTAL" ? "" : " " + number_text(group)) + " の" + number_text(tube) +
             "本目";
  });
  if (negatives == 0) return "";
  if (negatives > Tubes_Named) tubes += "、ほか " + number_text(negatives - Tubes_Named) + " 本";
  std::string message =
      "データファイルに負の測定値が " + number_text(negatives) + " 本あります（" + tubes + "）。そのまま読み込みました";
  std::string standards;
  for (long g = 3; g <= layout.standards + 3; ++g) {
    const double mean = state.STD_Data(g, STD_Column::Mean_Count);
    if (!(mean < 0)) continue;
    standards += (standards.empty() ? "" : "・") +
                 (g == 3 ? std::string("ゼロスタンダード") : "スタンダード " + number_text(g - 3)) + "（" +
                 text::Text_Clean(text::general_number(mean)) + "）";
  }
  if (!standards.empty()) message += "\n" + standards + "の平均カウントが負のため、検量線に使えません";
  return message;
}

}  // namespace

void report_count_file(Program& program, const Count_Items& items, Long samples_before) {
  Assay_State& state = program.state;
  if (items.mark_line > 0)
    program.platform.message("データファイルの " + number_text(static_cast<long long>(items.mark_line)) +
                             " 行目にファイルの終わりを示す文字（1Ah）があり、そこで読み込みを終えました。\n" +
                             "その後の測定値 " + number_text(static_cast<long long>(items.after_mark)) +
                             " 個は読み込まれていません");
  if (const std::string message = negative_counts(state); !message.empty()) program.platform.message(message);
  if (state.Sample_Number != samples_before) {
    // The conditions show the number of samples the file brought, as the result file's header
    // must.
    commit_condition(state, Sample_Number_Box, number_text(state.Sample_Number));
    program.platform.message("データファイルのサンプルは " + number_text(state.Sample_Number) + " 点で、条件の " +
                             number_text(samples_before) + " 点と違います。\nサンプルの点数を " +
                             number_text(state.Sample_Number) + " にしました（条件設定と結果ファイルもこの点数です）");
  }
}

}  // namespace quorin
