#include "data/sample_ids.h"

#include <algorithm>
#include <map>

#include "text/cp932.h"
#include "text/format.h"
#include "text/items.h"
#include "text/number_text.h"
#include "text/text_clean.h"
#include "text/text_file.h"

namespace quorin {

namespace {

std::string line_text(std::size_t line) { return text::bare_text(static_cast<long long>(line)) + " 行目"; }

// An identifier as written: blanks around it and one pair of double quotes dropped.
std::string identifier(std::string_view raw) {
  std::string id = text::Text_Clean(raw);
  if (id.size() >= 2 && id.front() == '"' && id.back() == '"') id = text::Text_Clean(id.substr(1, id.size() - 2));
  return id;
}

// The sample number of a "number,identifier" line, or 0 when the line is no such pair.
Long pair_number(std::string_view line) {
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return 0;
  const std::string number = text::Text_Clean(line.substr(0, comma));
  const auto value = text::to_long(text::Val(number));
  return value && *value >= 1 && text::bare_text(*value) == number ? static_cast<Long>(*value) : 0;
}

}  // namespace

Id_List read_id_list(std::string_view text, Long samples) {
  std::vector<std::string_view> lines;
  for (text::Line_Reader reader(text); auto line = reader.next();) lines.push_back(*line);
  while (!lines.empty() && text::Text_Clean(lines.back()).empty()) lines.pop_back();

  Id_List list;
  list.ids.assign(static_cast<std::size_t>(std::max<Long>(samples, 0)) + 1, "");
  const bool pairs = !lines.empty() && pair_number(lines.front()) > 0;
  std::map<std::string, std::size_t> seen;  // identifier -> its line
  std::map<Long, std::size_t> numbered;     // sample -> its line
  Long given = 0;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::size_t line = n + 1;
    Long sample = static_cast<Long>(line);
    std::string_view raw = lines[n];
    if (pairs) {
      sample = pair_number(raw);
      if (sample == 0) return {{}, line_text(line) + "は「番号,ID」の形ではありません", ""};
      raw.remove_prefix(raw.find(',') + 1);
    }
    const std::string id = identifier(raw);
    if (id.empty()) return {{}, line_text(line) + "の ID が空です", ""};
    if (sample > samples)
      return {{}, line_text(line) + ": サンプルは " + text::bare_text(samples) + " 件です (ID が多すぎます)", ""};
    if (const auto [at, fresh] = numbered.emplace(sample, line); !fresh)
      return {{}, line_text(line) + ": サンプル " + text::bare_text(sample) + " の ID は " + line_text(at->second) +
                      "にもあります", ""};
    if (const auto [at, fresh] = seen.emplace(id, line); !fresh)
      return {{}, line_text(line) + "の ID「" + id + "」は " + line_text(at->second) + "と同じです", ""};
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
  const std::optional<std::string> utf8 = text::any_text_to_utf8(file.bytes);
  if (!utf8) return "ID ファイルを読み込めません: " + path + " (UTF-8 でもシフトJIS でもありません)";
  Id_List list = read_id_list(*utf8, std::clamp<Long>(state.Sample_Number, 0, Max_Samples));
  if (!list.refusal.empty()) return "ID ファイルを読み込めません: " + path + " (" + list.refusal + ")";
  state.Sample_Id = std::move(list.ids);
  note = list.note;
  return "";
}

}  // namespace quorin
