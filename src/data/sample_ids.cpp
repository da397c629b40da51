#include "data/sample_ids.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "text/cp932.h"
#include "text/csv_reader.h"
#include "text/display_width.h"
#include "text/format.h"
#include "text/text_clean.h"
#include "text/text_file.h"

namespace quorin {

namespace {

std::string line_text(std::size_t line) { return text::bare_text(static_cast<long long>(line)) + " 行目"; }

// Characters with which one identifier could show as another, or as none: controls (C0, DEL, C1),
// every character Unicode says to ignore when it cannot be shown (the soft hyphen, zero-width and
// direction marks, variation selectors, fillers, tags, ...), the blanks other than the space and
// the ideographic space (no-break, thin, ... spaces), the blank braille pattern, the separators of
// lines and paragraphs, and the combining voiced sound marks (か with U+3099 looks as が does).
bool unprinted(char32_t c) {
  struct Range {
    char32_t first, last;
  };
  static constexpr Range Unprinted[] = {
      {0x0000, 0x001F}, {0x007F, 0x00A0},   {0x00AD, 0x00AD},   {0x034F, 0x034F},  {0x061C, 0x061C}, {0x115F, 0x1160},
      {0x1680, 0x1680}, {0x17B4, 0x17B5},   {0x180B, 0x180F},   {0x2000, 0x200F},  {0x2028, 0x202F}, {0x205F, 0x206F},
      {0x2800, 0x2800}, {0x3099, 0x309A},   {0x3164, 0x3164},   {0xFE00, 0xFE0F},  {0xFEFF, 0xFEFF}, {0xFFA0, 0xFFA0},
      {0xFFF0, 0xFFFB}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF}};
  if (c >= 0x20 && c < 0x7F) return false;
  return std::any_of(std::begin(Unprinted), std::end(Unprinted),
                     [c](const Range& r) { return c >= r.first && c <= r.last; });
}

// The sample number of a pair's first cell: decimal digits with blanks around them, or nullopt
// for anything else. A number beyond any sample is held at Max_Samples + 1.
std::optional<Long> pair_number(std::string_view cell) {
  const std::string_view digits = text::trim_blanks(cell);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  long long number = 0;
  for (const char d : digits) number = std::min<long long>(number * 10 + (d - '0'), Max_Samples + 1LL);
  return static_cast<Long>(number);
}

enum class Line_Form { Pair, Alone, Neither };

Line_Form form_of(const text::Csv_Row& row) {
  if (row.cells.size() == 1) return Line_Form::Alone;
  if (row.cells.size() == 2 && pair_number(row.cells[0])) return Line_Form::Pair;
  return Line_Form::Neither;
}

bool blank_line(const text::Csv_Row& row) { return row.cells.size() == 1 && text::trim_blanks(row.cells[0]).empty(); }

}  // namespace

std::string identifier_fault(std::string_view id) {
  std::size_t characters = 0;
  for (std::size_t at = 0; at < id.size(); ++characters)
    if (const char32_t c = text::next_character(id, at); unprinted(c)) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      return std::string("ID に表示できない文字 (") + code + ") があります";
    }
  if (characters > Longest_Identifier)
    return "ID が " + text::bare_text(static_cast<long long>(characters)) + " 文字あります (" +
           text::bare_text(static_cast<long long>(Longest_Identifier)) + " 文字まで)";
  return "";
}

Id_List read_id_list(std::string_view text, Long samples) {
  // The lines, trailing empty lines left out: the form, the pair's number and the identifier.
  struct Line {
    std::size_t number;
    Line_Form form;
    Long sample;
    std::string id;
  };
  std::vector<Line> lines;
  std::size_t last_filled = 0;
  text::Csv_Reader reader(text, ',');
  while (const text::Csv_Row* row = reader.next()) {
    const Line_Form form = form_of(*row);
    lines.push_back({row->line, form, form == Line_Form::Pair ? *pair_number(row->cells[0]) : 0,
                     std::string(text::trim_blanks(row->cells.back()))});
    if (!blank_line(*row)) last_filled = lines.size();
  }
  if (reader.fault() != text::Csv_Fault::None)
    return {{},
            line_text(reader.fault_line()) + (reader.fault() == text::Csv_Fault::Open_Quote
                                                  ? "の二重引用符が閉じられていません"
                                                  : "の二重引用符の後に文字があります"),
            ""};
  lines.resize(last_filled, Line{});

  Id_List list;
  list.ids.assign(static_cast<std::size_t>(std::max<Long>(samples, 0)) + 1, "");
  const Line_Form form = lines.empty() ? Line_Form::Alone : lines.front().form;
  std::map<std::string, std::size_t> seen;  // identifier -> its line
  std::map<Long, std::size_t> numbered;     // sample -> its line
  Long given = 0;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const Line& line = lines[n];
    const std::string at = line_text(line.number);
    if (line.form == Line_Form::Neither || form == Line_Form::Neither)
      return {{},
              at + "は「番号,ID」の形でも ID だけの形でもありません (「,」や「\"」を含む ID は \"…\" で囲んでください)",
              ""};
    if (line.form != form)
      return {{},
              at + (form == Line_Form::Pair ? "は「番号,ID」の形ではありません (1 行目から「番号,ID」の一覧です)"
                                            : "は ID だけの行ではありません (1 行目から ID だけの一覧です)"),
              ""};
    const Long sample = form == Line_Form::Pair ? line.sample : static_cast<Long>(n + 1);
    const std::string& id = line.id;
    if (id.empty()) return {{}, at + "の ID が空です", ""};
    if (const std::string fault = identifier_fault(id); !fault.empty()) return {{}, at + ": " + fault, ""};
    if (form == Line_Form::Pair && sample == 0) return {{}, at + ": サンプル番号は 1 からです", ""};
    if (sample > samples) {
      const std::string count = "サンプルは " + text::bare_text(samples) + " 件です";
      return {
          {},
          at + ": " + count + (form == Line_Form::Pair ? " (この番号のサンプルはありません)" : " (ID が多すぎます)"),
          ""};
    }
    if (const auto [other, fresh] = numbered.emplace(sample, line.number); !fresh)
      return {{},
              at + ": サンプル " + text::bare_text(sample) + " の ID は " + line_text(other->second) + "にもあります",
              ""};
    if (const auto [other, fresh] = seen.emplace(id, line.number); !fresh)
      return {{}, at + "の ID「" + id + "」は " + line_text(other->second) + "と同じです", ""};
    list.ids[static_cast<std::size_t>(sample)] = id;
    ++given;
  }
  if (given < samples)
    list.note = "ID のないサンプルが " + text::bare_text(samples - given) + " 件あります (サンプル " +
                text::bare_text(samples) + " 件, ID " + text::bare_text(given) + " 件)";
  return list;
}

std::string load_sample_ids(Assay_State& state, const std::string& path, std::string& note) {
  const text::File_Read file = text::read_file(path, std::size_t{64} << 20);
  if (!file.ok) return file.message;
  std::string refusal;
  const std::optional<std::string> utf8 = text::any_text_to_utf8(file.bytes, &refusal);
  if (!utf8) return "ID ファイルを読み込めません: " + path + " (" + refusal + ")";
  Id_List list = read_id_list(*utf8, std::clamp<Long>(state.Sample_Number, 0, Max_Samples));
  if (!list.refusal.empty()) return "ID ファイルを読み込めません: " + path + " (" + list.refusal + ")";
  state.Sample_Id = std::move(list.ids);
  note = list.note;
  return "";
}

}  // namespace quorin
