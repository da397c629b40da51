#include "batch/batch_options.h"

#include <cstddef>
#include <filesystem>
#include <set>

#include "text/format.h"
#include "text/number_text.h"

namespace quorin::batch {

namespace {

// The whole number an argument spells in its plain form ("2", not "02", "2.0" or "2x").
std::optional<int> whole_number(const std::string& argument) {
  const double value = text::Val(argument);
  const auto number = text::to_long(value);
  if (!number || text::bare_text(*number) != argument) return std::nullopt;
  return *number;
}

struct Numeric_Option {
  const char* name;
  bool (*allowed)(int);
  const char* wanted;  // how the value must be given, for the message
};

constexpr Numeric_Option Weight{"--weight", [](int w) { return w >= 0 && w <= 3; }, "0～3 の整数で"};
constexpr Numeric_Option Order{"--order", [](int o) { return o == 1 || o == 3; }, "1 か 3 で"};
constexpr Numeric_Option From{"--from", [](int f) { return f >= 1; }, "1 以上の整数で"};
constexpr Numeric_Option To{"--to", [](int t) { return t >= 1; }, "1 以上の整数で"};

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  Command_Line parse() {
    Command_Line line;
    line.kind = Command_Line::Kind::Batch;
    std::vector<std::string> files;
    for (next_ = 1; next_ < arguments_.size() && error_.empty();) {
      const std::string& argument = arguments_[next_++];
      if (argument == "--help") return {Command_Line::Kind::Help, {}, ""};
      if (argument == "--weight") number(Weight, line.options.weight);
      else if (argument == "--order") number(Order, line.options.order);
      else if (argument == "--from") optional_number(From, line.options.from);
      else if (argument == "--to") optional_number(To, line.options.to);
      else if (argument == "--pdf") path("--pdf", line.options.pdf);
      else if (argument == "--qc") path("--qc", line.options.qc);
      else if (argument.starts_with("--")) error_ = "不明なオプションです: " + argument;
      else files.push_back(argument);
    }
    if (error_.empty() && files.size() != 3)
      error_ = "--batch の後に条件ファイル、データファイル、結果ファイルの 3 つを指定してください";
    if (error_.empty() && line.options.from && line.options.to && *line.options.from > *line.options.to)
      error_ = "--from " + text::bare_text(*line.options.from) + " が --to " + text::bare_text(*line.options.to) +
               " より大きくなっています";
    if (!error_.empty()) return {Command_Line::Kind::Error, {}, error_};
    line.options.conditions = files[0];
    line.options.counts = files[1];
    line.options.result = files[2];
    return line;
  }

 private:
  // The option's value, or nullopt after noting the error when there is none or it was given before.
  std::optional<std::string> value_of(const std::string& name) {
    if (!seen_.insert(name).second) {
      error_ = name + " が 2 回指定されています";
      return std::nullopt;
    }
    if (next_ >= arguments_.size() || arguments_[next_].empty()) {
      error_ = name + " の値がありません";
      return std::nullopt;
    }
    return arguments_[next_++];
  }

  static std::string wrong_value(const Numeric_Option& option, const std::string& value) {
    return std::string(option.name) + " は " + option.wanted + "指定してください: " + value;
  }

  void number(const Numeric_Option& option, int& target) {
    const auto value = value_of(option.name);
    if (!value) return;
    const auto number = whole_number(*value);
    if (!number || !option.allowed(*number)) error_ = wrong_value(option, *value);
    else target = *number;
  }

  void optional_number(const Numeric_Option& option, std::optional<int>& target) {
    int number_value = 0;
    number(option, number_value);
    if (error_.empty()) target = number_value;
  }

  void path(const std::string& name, std::string& target) {
    if (const auto value = value_of(name)) target = *value;
  }

  const std::vector<std::string>& arguments_;
  std::size_t next_ = 1;
  std::set<std::string> seen_;
  std::string error_;
};

}  // namespace

Command_Line parse_command_line(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {};
  if (arguments[0] == "--help") return {Command_Line::Kind::Help, {}, ""};
  if (arguments[0] == "--qc-export") {
    if (arguments.size() != 3 || arguments[1].empty() || arguments[2].empty())
      return {Command_Line::Kind::Error, {}, "--qc-export の後に履歴ファイルと書き出す CSV ファイルを指定してください"};
    Command_Line line{Command_Line::Kind::QC_Export, {}, ""};
    line.options.qc = arguments[1];
    line.options.export_csv = arguments[2];
    return line;
  }
  if (arguments[0] == "--qc") {
    if (arguments.size() != 2 || arguments[1].empty())
      return {Command_Line::Kind::Error, {}, "--qc の後に精度管理の履歴ファイルを 1 つ指定してください"};
    Command_Line line;
    line.options.qc = arguments[1];
    return line;
  }
  if (arguments[0] != "--batch") return {};
  return Parser(arguments).parse();
}

Batch_Options with_absolute_paths(Batch_Options options) {
  for (std::string* path : {&options.conditions, &options.counts, &options.result, &options.pdf, &options.qc}) {
    std::error_code error;  // no working folder: the path stays as given, and its file is not found
    if (const auto absolute = std::filesystem::absolute(*path, error); !path->empty() && !error)
      *path = absolute.lexically_normal().string();
  }
  return options;
}

std::string usage_text() {
  return "使い方:\n"
         "  quorin\n"
         "      画面で操作します\n"
         "  quorin --batch 条件ファイル.crx データファイル.txt 結果ファイル.txt [オプション]\n"
         "      画面と同じ手順で条件ファイルとデータファイルを読み込み、検量線を求め、\n"
         "      標準液濃度・管理血清値・サンプル値を計算して結果ファイルに保存します\n"
         "  quorin --qc-export 履歴ファイル.sqlite 書き出し.csv\n"
         "      精度管理の履歴のすべての測定と管理血清を CSV (UTF-8) に書き出します\n"
         "  quorin --qc 履歴ファイル.sqlite\n"
         "      既定とは別の精度管理の履歴ファイルを使って画面で操作します\n"
         "  quorin --help\n"
         "      この説明を表示します\n"
         "\n"
         "オプション:\n"
         "  --weight W   重み付け (既定 0)\n"
         "                 0 重み付け無し  1 標準点との距離  2 Logit変換補正\n"
         "                 3 標準点との距離+Logit変換補正\n"
         "  --order O    回帰式の次数 1 (直線) または 3 (3次式) (既定 1)\n"
         "  --from F     回帰に使う最初のスタンダード番号 (既定 1)\n"
         "  --to T       回帰に使う最後のスタンダード番号 (既定 スタンダードの数)\n"
         "  --pdf FILE   条件・データ・2 つのグラフ・3 つの測定結果の印刷を 1 つの PDF ファイルに書きます\n"
         "               (精度プロファイルと、--qc のときは管理血清ごとの精度管理図も)\n"
         "  --qc FILE    結果を精度管理の履歴ファイル (SQLite) に記録し、管理血清の判定を表示します\n"
         "\n"
         "画面が表示するメッセージは標準エラー出力に書かれます。\n"
         "精度管理の判定と、履歴ファイルに記録できなかったことは、終了コードを変えません。\n"
         "終了コード: 0 保存できた  1 処理できなかった (結果ファイルも PDF ファイルも書かれません)\n"
         "            2 コマンドラインの誤り\n";
}

}  // namespace quorin::batch
