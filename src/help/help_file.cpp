#include "help/help_file.h"

#include <algorithm>
#include <string_view>

#include "help/help_location.h"
#include "text/cp932.h"
#include "text/items.h"
#include "text/number_text.h"
#include "text/text_file.h"

namespace quorin::help {

namespace {

constexpr int Items_Per_Record = 4;
// Far beyond any help text; a larger file is not one of ours.
constexpr std::size_t Largest_File = std::size_t{16} << 20;

struct Text_Read {
  bool ok = false;
  std::string text;  // UTF-8
  std::string message;
};

std::size_t line_of(std::string_view bytes, std::size_t offset) {
  return 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + std::min(offset, bytes.size()), '\n'));
}

bool has_non_ascii(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// A file saved as UTF-8 (with its byte-order mark, or Japanese text that is valid UTF-8 through
// and through, which code page 932 text practically never is) would otherwise read as garbage.
bool looks_utf8(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return true;
  return has_non_ascii(bytes) && text::utf8_to_cp932(bytes).has_value();
}

std::string folder_list(const std::vector<std::string>& folders) {
  std::string list;
  for (const std::string& folder : folders) list += (list.empty() ? "" : "、") + folder;
  return list;
}

// Turns a file's bytes into UTF-8 text; `path` names the file in messages.
Text_Read decode_text(const std::string& name, std::string_view bytes, const std::string& path) {
  Text_Read result;
  if (text::looks_binary(bytes)) {
    result.message = name + " はテキストファイルではありません: " + path;
    return result;
  }
  if (looks_utf8(bytes)) {
    result.message = name + " の文字コードがシフトJISではありません（UTF-8のようです）: " + path;
    return result;
  }
  text::Cp932_Error error;
  auto utf8 = text::cp932_to_utf8(bytes, &error);
  if (!utf8) {
    result.message = name + " の文字コードがシフトJISではありません（" + std::to_string(line_of(bytes, error.offset)) +
                     "行目）: " + path;
    return result;
  }
  result.ok = true;
  result.text = std::move(*utf8);
  return result;
}

// Finds the file in the folders, reads it and turns it into UTF-8 text.
Text_Read read_text(const std::string& name, const std::vector<std::string>& folders) {
  Text_Read result;
  const std::string path = find_file(name, folders);
  if (path.empty()) {
    result.message = name + " が見つかりません（探した場所: " + folder_list(folders) + "）";
    return result;
  }
  const text::File_Read file = text::read_file(path, Largest_File);
  if (!file.ok) {
    result.message = file.message;
    return result;
  }
  return decode_text(name, file.bytes, path);
}

struct Item {
  std::string_view text;
  std::size_t line;
};

Help_Topic make_topic(const Item* items) {
  Help_Topic topic;
  topic.Help_Section = text::Val(items[0].text);
  topic.Help_Kind = text::to_integer(text::Val(items[1].text)).value_or(0);
  topic.Help_Title = std::string(items[2].text);
  topic.Help_Text = std::string(items[3].text);
  return topic;
}

Help_Read parse_topics(std::string_view text) {
  std::vector<Item> items;
  text::Item_Reader reader(text);
  for (std::size_t line = reader.line_number(); const auto item = reader.next(); line = reader.line_number())
    items.push_back({*item, line});
  // Empty lines at the end of the file are no record.
  while (!items.empty() && items.back().text.empty()) items.pop_back();

  Help_Read result;
  const std::size_t records = (items.size() + Items_Per_Record - 1) / Items_Per_Record;
  const std::size_t complete = items.size() / Items_Per_Record;
  for (std::size_t k = 0; k < std::min<std::size_t>(complete, Max_Topics); ++k)
    result.topics.push_back(make_topic(&items[k * Items_Per_Record]));
  if (records > Max_Topics) {
    result.message = std::string(Help_File_Name) + " の項目が" + std::to_string(Max_Topics) + "件を超えています。" +
                     std::to_string(Max_Topics + 1) + "件目からの" + std::to_string(records - Max_Topics) +
                     "件は表示されません。";
  } else if (complete < records) {
    result.message = std::string(Help_File_Name) + " の" + std::to_string(items[complete * Items_Per_Record].line) +
                     "行目の項目は4つの欄がそろっていないため表示されません。";
  }
  return result;
}

Readme_Read readme_of(std::string_view text) {
  Readme_Read result;
  text::Item_Reader reader(text);
  while (const auto item = reader.next()) result.lines.emplace_back(*item);
  return result;
}

}  // namespace

Help_Read read_help_topics(const std::vector<std::string>& folders) {
  const Text_Read file = read_text(Help_File_Name, folders);
  if (!file.ok) return {{}, file.message};
  return parse_topics(file.text);
}

Readme_Read read_readme_lines(const std::vector<std::string>& folders) {
  const Text_Read file = read_text(Readme_File_Name, folders);
  if (!file.ok) return {{}, file.message};
  return readme_of(file.text);
}

Help_Read parse_help_file(std::string_view bytes, const std::string& path) {
  const Text_Read file = decode_text(Help_File_Name, bytes, path);
  if (!file.ok) return {{}, file.message};
  return parse_topics(file.text);
}

Readme_Read parse_readme_file(std::string_view bytes, const std::string& path) {
  const Text_Read file = decode_text(Readme_File_Name, bytes, path);
  if (!file.ok) return {{}, file.message};
  return readme_of(file.text);
}

}  // namespace quorin::help
