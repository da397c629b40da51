#include "data/counter_export.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "data/sample_ids.h"
#include "text/csv_reader.h"
#include "text/display_width.h"
#include "text/format.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

using text::csv_row_text;

std::string number_text(std::size_t n) { return text::bare_text(static_cast<long long>(n)); }

// A cell as a message quotes it: cleaned, and cut with "…" where it is long.
std::string shown_cell(std::string_view cell) {
  constexpr std::size_t Longest_Shown = 24;  // display columns
  const std::string cleaned = text::Text_Clean(cell);
  if (text::display_columns(cleaned) <= Longest_Shown) return "「" + cleaned + "」";
  return "「" + text::clip_to_columns(cleaned, Longest_Shown - 1) + "…」";
}

bool blank_row(const text::Csv_Row& row) {
  return std::all_of(row.cells.begin(), row.cells.end(),
                     [](std::string_view cell) { return text::Text_Clean(cell).empty(); });
}

std::string quote_fault(const text::Csv_Reader& reader) {
  return csv_row_text(reader.fault_row(), reader.fault_line()) + (reader.fault() == text::Csv_Fault::Open_Quote
                                                                      ? "の二重引用符が閉じられていません"
                                                                      : "の二重引用符の後に文字があります");
}

// Gives each sample the identifier its tube rows name: the same on every row that names one,
// and no other sample's.
class Sample_Ids {
 public:
  explicit Sample_Ids(const Sheet_Layout& layout) : first_row_(layout.sera_end()), tubes_(layout.sample_tubes) {}

  // The identifier cell of data row `row` (0-based) of the file's row `at`; "" when it may be
  // taken, else why not.
  std::string take(std::size_t row, std::string_view cell, const text::Csv_Row& at) {
    if (tubes_ <= 0 || static_cast<long>(row) < first_row_) return "";
    const long sample = (static_cast<long>(row) - first_row_) / tubes_ + 1;
    if (sample > Max_Samples) return "";
    if (ids.size() <= static_cast<std::size_t>(sample)) ids.resize(static_cast<std::size_t>(sample) + 1);
    const std::string_view id = text::trim_blanks(cell);
    if (id.empty()) return "";
    std::string& held = ids[static_cast<std::size_t>(sample)];
    if (held == id) return "";
    const std::string where = csv_row_text(at);
    if (!held.empty()) {
      return where + "の ID「" + std::string(id) + "」はサンプル " + text::bare_text(sample) + " の ID「" + held +
             "」と違います (計数器の並びとサンプルごとのチューブ数を確かめてください)";
    }
    if (const std::string fault = identifier_fault(id); !fault.empty()) return where + ": " + fault;
    if (const auto [owner, fresh] = owners_.try_emplace(std::string(id), sample); !fresh)
      return where + "の ID「" + std::string(id) + "」はサンプル " + text::bare_text(owner->second) + " にもあります";
    held = id;
    return "";
  }

  std::vector<std::string> ids;  // index 1..

 private:
  long first_row_;
  long tubes_;
  std::unordered_map<std::string, long> owners_;
};

}  // namespace

std::vector<std::string> counter_headers(std::string_view text) {
  text::Csv_Reader reader(text, text::csv_separator(text));
  std::vector<std::string> names;
  if (const text::Csv_Row* header = reader.next())
    for (std::string_view cell : header->cells) names.push_back(text::Text_Clean(cell));
  return names;
}

Counter_Rows read_counter_export(std::string_view text, const Counter_Columns& columns, const Sheet_Layout& layout,
                                 std::size_t room) {
  Counter_Rows rows;
  auto refuse = [&](std::string message) {
    rows.items = {};
    rows.ids.clear();
    rows.refusal = std::move(message);
    return rows;
  };
  text::Csv_Reader reader(text, text::csv_separator(text));
  std::vector<std::string> headers;
  if (const text::Csv_Row* header = reader.next())
    for (std::string_view cell : header->cells) headers.push_back(text::Text_Clean(cell));
  if (reader.fault() != text::Csv_Fault::None) return refuse(quote_fault(reader));
  if (headers.empty() || (headers.size() == 1 && headers[0].empty())) return refuse("見出しの行がありません");

  std::string listed;
  for (const std::string& h : headers) listed += (listed.empty() ? "" : ", ") + h;
  // The column of a header name: missing, or found twice, is a refusal.
  std::string refusal;
  auto column_of = [&](const std::string& name) -> std::size_t {
    const std::string wanted = text::Text_Clean(name);
    const auto first = std::find(headers.begin(), headers.end(), wanted);
    if (first == headers.end()) {
      refusal = "列「" + name + "」がありません (ファイルの列: " + listed + ")";
    } else if (const auto second = std::find(first + 1, headers.end(), wanted); second != headers.end()) {
      refusal = "列「" + name + "」が 2 つあります (" +
                number_text(static_cast<std::size_t>(first - headers.begin()) + 1) + " 列目と " +
                number_text(static_cast<std::size_t>(second - headers.begin()) + 1) + " 列目)";
    }
    return static_cast<std::size_t>(first - headers.begin());
  };
  const std::size_t count_column = column_of(columns.count);
  if (!refusal.empty()) return refuse(refusal);
  const bool with_ids = !columns.id.empty();
  const std::size_t id_column = with_ids ? column_of(columns.id) : 0;
  if (!refusal.empty()) return refuse(refusal);

  const std::size_t width = headers.size();
  std::optional<bool> trailing;      // every row ends with a separator: one empty cell more than the header
  std::optional<std::string> blank;  // the first of the blank rows read last: refused if a tube row follows
  Sample_Ids samples(layout);
  std::size_t data_row = 0;
  while (const text::Csv_Row* row = reader.next()) {
    if (blank_row(*row)) {
      if (!blank) blank = csv_row_text(*row);
      continue;
    }
    if (blank) return refuse(*blank + "が空です");
    const std::size_t cells = row->cells.size();
    if (!trailing) trailing = cells == width + 1 && text::Text_Clean(row->cells.back()).empty();
    if (cells != width + (*trailing ? 1 : 0) || (*trailing && !text::Text_Clean(row->cells.back()).empty()))
      return refuse(
          csv_row_text(*row) + "のセルは " + number_text(cells) + " 個です (見出しは " + number_text(width) + " 個" +
          (*trailing && cells != width + 1 ? "、ほかの行は末尾の区切りまで " + number_text(width + 1) + " 個)" : ")"));
    const std::string_view cell = row->cells[count_column];
    Long count = 0;
    const Count_Fault fault = read_count_item(cell, count);
    if (fault == Count_Fault::Too_Large) return refuse(csv_row_text(*row) + "の測定値が大きすぎます");
    if (fault != Count_Fault::None || text::Text_Clean(cell).empty())
      return refuse(csv_row_text(*row) + "の" + shown_cell(cell) + "は測定値ではありません" +
                    (cell.find(',') != std::string_view::npos ? " (「,」を含む数は読めません)" : ""));
    if (rows.items.total++ < room) {
      rows.items.counts.push_back(count);
      if (with_ids)
        if (std::string wrong = samples.take(data_row, row->cells[id_column], *row); !wrong.empty())
          return refuse(wrong);
    }
    ++data_row;
  }
  if (reader.fault() != text::Csv_Fault::None) return refuse(quote_fault(reader));
  if (rows.items.total == 0) return refuse("測定値の行がありません");
  if (with_ids) rows.ids = std::move(samples.ids);
  return rows;
}

}  // namespace quorin
