#include "data/counter_export.h"

#include <algorithm>

#include "data/sheet_layout.h"
#include "text/format.h"
#include "text/items.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

// The cells of one row: tab-separated when the header row holds a tab, else comma-separated
// with double-quoted cells as the program's item reader takes them.
void split_row(std::string_view line, char separator, std::vector<std::string_view>& cells) {
  cells.clear();
  if (separator == '\t') {
    for (std::size_t begin = 0;;) {
      const std::size_t end = line.find('\t', begin);
      cells.push_back(line.substr(begin, end == std::string_view::npos ? end : end - begin));
      if (end == std::string_view::npos) return;
      begin = end + 1;
    }
  }
  for (text::Item_Reader items(line); auto item = items.next();) cells.push_back(*item);
}

char separator_of(std::string_view header) { return header.find('\t') != std::string_view::npos ? '\t' : ','; }

std::string row_text(std::size_t line) { return text::bare_text(static_cast<long long>(line)) + " 行目"; }

}  // namespace

std::vector<std::string> counter_headers(std::string_view text) {
  text::Line_Reader lines(text);
  const auto header = lines.next();
  std::vector<std::string> names;
  if (!header) return names;
  std::vector<std::string_view> cells;
  split_row(*header, separator_of(*header), cells);
  for (std::string_view cell : cells) names.push_back(text::Text_Clean(cell));
  return names;
}

Counter_Rows read_counter_export(std::string_view text, const Counter_Columns& columns, std::size_t room) {
  Counter_Rows rows;
  const std::vector<std::string> headers = counter_headers(text);
  if (headers.empty() || (headers.size() == 1 && headers[0].empty())) {
    rows.refusal = "見出しの行がありません";
    return rows;
  }
  auto column_of = [&](const std::string& name) -> std::ptrdiff_t {
    const auto found = std::find(headers.begin(), headers.end(), text::Text_Clean(name));
    return found == headers.end() ? -1 : found - headers.begin();
  };
  std::string listed;
  for (const std::string& h : headers) listed += (listed.empty() ? "" : ", ") + h;
  const std::ptrdiff_t count_column = column_of(columns.count);
  const std::ptrdiff_t id_column = columns.id.empty() ? -2 : column_of(columns.id);
  for (const auto& [column, name] : {std::pair{count_column, &columns.count}, std::pair{id_column, &columns.id}})
    if (column == -1) {
      rows.refusal = "列「" + *name + "」がありません (ファイルの列: " + listed + ")";
      return rows;
    }

  const char separator = separator_of(text.substr(0, text.find('\n')));
  text::Line_Reader lines(text);
  lines.next();  // the header row
  std::vector<std::string_view> cells;
  std::size_t line = 1, last_row = 1;
  auto refuse = [&](std::string message) {
    rows.items = {};
    rows.ids.clear();
    rows.refusal = std::move(message);
    return rows;
  };
  while (auto row = lines.next()) {
    ++line;
    if (text::Text_Clean(*row).empty()) continue;  // blank rows at the end hold no tube; inside, refused below
    if (line != last_row + 1) return refuse(row_text(last_row + 1) + "が空です");
    last_row = line;
    split_row(*row, separator, cells);
    const std::string_view cell =
        static_cast<std::size_t>(count_column) < cells.size() ? cells[static_cast<std::size_t>(count_column)] : "";
    Long count = 0;
    const Count_Fault fault = read_count_item(cell, count);
    if (fault == Count_Fault::Too_Large) return refuse(row_text(line) + "の測定値が大きすぎます");
    if (fault != Count_Fault::None || text::Text_Clean(cell).empty())
      return refuse(row_text(line) + "の「" + text::Text_Clean(cell) + "」は測定値ではありません");
    if (rows.items.total++ < room) {
      rows.items.counts.push_back(count);
      if (id_column >= 0)
        rows.ids.push_back(static_cast<std::size_t>(id_column) < cells.size()
                               ? text::Text_Clean(cells[static_cast<std::size_t>(id_column)])
                               : std::string());
    }
  }
  if (rows.items.total == 0) return refuse("測定値の行がありません");
  return rows;
}

std::vector<std::string> sample_ids_of_rows(const Assay_State& state, const std::vector<std::string>& row_ids) {
  const Sheet_Layout layout = Sheet_Layout::of(state);
  const Long samples = std::clamp<Long>(state.Sample_Number, 0, Max_Samples);
  std::vector<std::string> ids(static_cast<std::size_t>(samples) + 1);
  if (layout.sample_tubes <= 0) return ids;
  for (Long s = 1; s <= samples; ++s)
    for (long t = 0; t < layout.sample_tubes; ++t) {
      const auto row = static_cast<std::size_t>(layout.sera_end() + (s - 1) * layout.sample_tubes + t);
      if (row < row_ids.size() && !row_ids[row].empty()) {
        ids[static_cast<std::size_t>(s)] = row_ids[row];
        break;
      }
    }
  return ids;
}

}  // namespace quorin
