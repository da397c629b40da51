#include "data/count_load.h"

#include <optional>
#include <string>

#include "data/count_file_warnings.h"
#include "data/counter_export.h"
#include "data/sheet_layout.h"
#include "engine/treatment_standard.h"
#include "state/program.h"
#include "text/cp932.h"
#include "text/format.h"
#include "text/text_file.h"

namespace quorin {

namespace {

std::string cannot_load(const std::string& path, const std::string& reason) {
  return "データファイルを読み込めません: " + path + " (" + reason + ")";
}

// The item that is no count as the message shows it: its text when that is short and readable.
std::string item_text(const std::string& stored) {
  constexpr std::size_t Longest_Shown = 24;
  if (stored.empty() || stored.size() > Longest_Shown) return "";
  const std::optional<std::string> utf8 = text::cp932_to_utf8(stored);
  return utf8 ? "「" + *utf8 + "」" : "";
}

}  // namespace

Loaded_Counts read_counter_file(const std::string& path, const Assay_State& state) {
  const text::File_Read file = text::read_file(path);
  if (!file.ok) return {{}, file.message, {}};
  std::string refusal;
  const std::optional<std::string> utf8 = text::any_text_to_utf8(file.bytes, &refusal);
  if (!utf8) return {{}, cannot_load(path, refusal), {}};
  Counter_Rows rows = read_counter_export(*utf8, {state.Count_Column, state.Count_Id_Column}, Sheet_Layout::of(state),
                                          count_room(state));
  if (!rows.refusal.empty()) return {{}, cannot_load(path, rows.refusal), {}};
  return {std::move(rows.items), "", std::move(rows.ids)};
}

Loaded_Counts read_counts(const std::string& path, const Assay_State& state) {
  Count_File file = read_count_file(path, count_room(state));
  Loaded_Counts loaded{std::move(file.items), "", {}};
  const Count_Items& items = loaded.items;
  const std::string line = text::bare_text(static_cast<long long>(items.bad_line)) + " 行目";
  if (!file.failure.empty()) {
    loaded.message = file.failure;
  } else if (file.not_text) {
    loaded.message = cannot_load(path, "テキストファイルではありません");
  } else if (items.fault == Count_Fault::Too_Large) {
    loaded.message = cannot_load(path, line + "の測定値が大きすぎます");
  } else if (items.fault == Count_Fault::Not_A_Count) {
    loaded.message = cannot_load(path, line + item_text(items.bad_item) + "は測定値ではありません");
  } else if (items.total == 0) {
    loaded.message = cannot_load(path, "ファイルが空です");
  }
  return loaded;
}

namespace {

std::string not_loaded_message(const Assay_State& state, std::size_t left) {
  const std::string tail =
      "ファイルの残りの測定値 " + text::bare_text(static_cast<long long>(left)) + " 個は読み込まれていません";
  if (state.Sample_Tubes <= 0) return "サンプルごとのチューブ数が 0 のため、" + tail;
  return "サンプルの点数は１０万までです。" + tail;
}

std::string short_file_message(std::size_t held, std::size_t missing) {
  auto number = [](std::size_t n) { return text::bare_text(static_cast<long long>(n)); };
  return "データファイルの測定値は " + number(held) + " 個で、条件の " + number(held + missing) +
         " 個に足りません。\n残りの " + number(missing) + " 本は空のチューブになりました";
}

}  // namespace

void store_loaded_counts(Program& program, const Loaded_Counts& loaded, const std::string& path) {
  Assay_State& state = program.state;
  const Long samples_before = state.Sample_Number;
  const Stored_Counts stored = store_counts(state, loaded.items);
  state.Sample_Id = loaded.sample_ids;
  state.Counts_Unsaved = false;
  state.Data_File = path;
  Treatment_Standard(state);
  if (stored.left_over > 0) program.platform.message(not_loaded_message(state, stored.left_over));
  if (stored.missing > 0) program.platform.message(short_file_message(loaded.items.total, stored.missing));
  report_count_file(program, loaded.items, samples_before);
}

}  // namespace quorin
