#include "lis/lis_settings_file.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "lis/link_address.h"
#include "qc/qc_history.h"
#include "text/cp932.h"
#include "text/format.h"
#include "text/text_clean.h"
#include "text/text_file.h"

namespace quorin::lis {

namespace {

constexpr const char* First_Line = "QUORIN LIS settings 1";
constexpr std::size_t Largest_File = 64 * 1024;

// The three names in the order of the file and of the messages, with what the user calls them.
struct Name_Key {
  const char* key;
  std::string LIS_Settings::*name;
  const char* called;
};
constexpr Name_Key Name_Keys[] = {
    {"sending_facility", &LIS_Settings::sending_facility, "送信元施設 (MSH-4)"},
    {"receiving_application", &LIS_Settings::receiving_application, "受信アプリケーション (MSH-5)"},
    {"receiving_facility", &LIS_Settings::receiving_facility, "受信施設 (MSH-6)"}};

// Takes one "key=value" line into the settings; "" or what is wrong with it.
std::string take_line(const std::string& line, LIS_Settings& settings) {
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) return "「キー=値」の形ではありません";
  const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
  if (key == "lis") return read_link_address(value, settings.link);
  if (key == "timeout") return read_link_timeout(value, settings.link);
  for (const Name_Key& name : Name_Keys) {
    if (key != name.key) continue;
    if (const char* wanted = take_lab_name(value, settings.*name.name))
      return std::string(name.called) + " は " + wanted + "書いてください";
    return "";
  }
  return "不明なキーです: " + key;
}

}  // namespace

const char* take_lab_name(std::string_view given, std::string& name) {
  if (!text::valid_utf8(given)) return "UTF-8 の文字で";
  std::string cleaned = text::Text_Clean(given);
  if (cleaned.empty()) return "空白でない名前で";
  static_assert(Longest_Lab_Name == 180, "the message names the limit");
  if (cleaned.size() > Longest_Lab_Name) return "180 バイト以内で";
  name = std::move(cleaned);
  return nullptr;
}

std::string lis_settings_path() {
  const std::string history = qc::default_history_path();
  return history.empty() ? "" : (std::filesystem::path(history).parent_path() / "lis-settings.txt").string();
}

Settings_Read read_lis_settings(const std::string& path) {
  Settings_Read read;
  std::error_code error;
  if (path.empty() || std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found) return read;
  auto damaged = [&](const std::string& why) {
    read.kind = Settings_Read::Kind::Damaged;
    read.settings = {};
    read.message = "LIS の設定ファイルを読めません: " + path + " (" + why + ")";
    return read;
  };
  const text::File_Read file = text::read_file(path, Largest_File);
  if (!file.ok) return damaged(file.message);
  if (!text::valid_utf8(file.bytes)) return damaged("UTF-8 ではありません");
  std::istringstream lines(file.bytes);
  std::string line;
  if (!std::getline(lines, line) || line != First_Line) return damaged("LIS の設定ファイルではありません");
  std::vector<std::string> seen;
  for (int number = 2; std::getline(lines, line); ++number) {
    if (line.empty()) continue;
    const std::string key = line.substr(0, line.find('='));
    const std::string where = text::bare_text(number) + " 行目: ";
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) return damaged(where + key + " が 2 回あります");
    seen.push_back(key);
    if (const std::string wrong = take_line(line, read.settings); !wrong.empty()) return damaged(where + wrong);
  }
  if (seen.size() != 2 + std::size(Name_Keys)) return damaged("設定が足りません");
  read.kind = Settings_Read::Kind::Read;
  return read;
}

std::string save_lis_settings(const std::string& path, const LIS_Settings& settings) {
  if (path.empty()) return "LIS の設定を保存する場所がありません (HOME が設定されていません)";
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  std::string bytes = std::string(First_Line) + "\nlis=" + link_name(settings.link) +
                      "\ntimeout=" + text::Format(settings.link.timeout_s, "") + "\n";
  for (const Name_Key& name : Name_Keys) bytes += std::string(name.key) + "=" + settings.*name.name + "\n";
  return text::save_file(path, bytes);
}

std::string missing_lab_name(const LIS_Settings& settings) {
  for (const Name_Key& name : Name_Keys)
    if ((settings.*name.name).empty()) return std::string(name.called) + "が設定されていません";
  return "";
}

}  // namespace quorin::lis
