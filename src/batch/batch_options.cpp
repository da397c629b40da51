#include "batch/batch_options.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <set>
#include <span>
#include <string_view>

#include "lis/link_address.h"
#include "lis/lis_settings_file.h"
#include "qc/connection_string.h"
#include "qc/history_store.h"
#include "text/cp932.h"
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

// "A-B" with 1 <= A <= B, each a plain whole number.
bool take_page_range(const std::string& value, long& first, long& last) {
  const std::size_t dash = value.find('-');
  if (dash == std::string::npos) return false;
  const auto a = whole_number(value.substr(0, dash)), b = whole_number(value.substr(dash + 1));
  if (!a || !b || *a < 1 || *a > *b) return false;
  first = *a;
  last = *b;
  return true;
}

// A lab's name for the LIS messages, as the settings take it.
const char* lab_name(const std::string& value, std::optional<std::string>& name) {
  std::string taken;
  if (const char* wanted = lis::take_lab_name(value, taken)) return wanted;
  name = std::move(taken);
  return nullptr;
}

// An option whose value is a path or a history, taken as it stands.
template <std::string Batch_Options::*field>
const char* take_text(const std::string& value, Batch_Options& options) {
  options.*field = value;
  return nullptr;
}

// An option of a batch run: its name and how its value is taken into the options. `take` returns
// nullptr, or how the value must be given when it cannot be taken ("0～3 の整数で").
struct Option_Rule {
  const char* name;
  const char* (*take)(const std::string& value, Batch_Options& options);
};

constexpr Option_Rule Option_Rules[] = {
    {"--weight",
     [](const std::string& value, Batch_Options& options) -> const char* {
       const auto weight = whole_number(value);
       if (!weight || *weight < 0 || *weight > 3) return "0～3 の整数で";
       options.weight = *weight;
       return nullptr;
     }},
    {"--order",
     [](const std::string& value, Batch_Options& options) -> const char* {
       const auto order = whole_number(value);
       if (!order || (*order != 1 && *order != 3)) return "1 か 3 で";
       options.order = *order;
       return nullptr;
     }},
    {"--from",
     [](const std::string& value, Batch_Options& options) -> const char* {
       options.from = whole_number(value);
       return options.from >= 1 ? nullptr : "1 以上の整数で";
     }},
    {"--to",
     [](const std::string& value, Batch_Options& options) -> const char* {
       options.to = whole_number(value);
       return options.to >= 1 ? nullptr : "1 以上の整数で";
     }},
    {"--model",
     [](const std::string& value, Batch_Options& options) -> const char* {
       const char* const names[] = {"logit", "4pl", "5pl"};
       const auto found = std::find(std::begin(names), std::end(names), value);
       if (found == std::end(names)) return "logit、4pl、5pl のどれかで";
       options.model = static_cast<int>(found - std::begin(names));
       return nullptr;
     }},
    {"--pdf", take_text<&Batch_Options::pdf>},
    {"--qc", take_text<&Batch_Options::qc>},
    {"--ids", take_text<&Batch_Options::ids>},
    {"--count-column", take_text<&Batch_Options::count_column>},
    {"--id-column", take_text<&Batch_Options::id_column>},
    {"--csv", take_text<&Batch_Options::csv>},
    {"--xlsx", take_text<&Batch_Options::xlsx>},
    {"--cv-limit",
     [](const std::string& value, Batch_Options& options) -> const char* {
       const auto limit = text::sole_number(value);
       if (!limit || !(*limit > 0) || *limit > 100) return "0 より大きく 100 以下の数値で";
       options.cv_limit = *limit;
       return nullptr;
     }},
    {"--hl7", take_text<&Batch_Options::hl7>},
    {"--lis",
     [](const std::string& value, Batch_Options& options) -> const char* {
       lis::LIS_Link link;
       options.lis = value;
       return lis::read_link_address(value, link).empty() ? nullptr : "ホスト:ポート (ポートは 1～65535) の形で";
     }},
    {"--lis-timeout",
     [](const std::string& value, Batch_Options& options) -> const char* {
       lis::LIS_Link link;
       if (!lis::read_link_timeout(value, link).empty()) return "0 より大きく 3600 以下の秒数で";
       options.lis_timeout = link.timeout_s;
       return nullptr;
     }},
    {"--sending-facility",
     [](const std::string& value, Batch_Options& options) { return lab_name(value, options.sending_facility); }},
    {"--receiving-application",
     [](const std::string& value, Batch_Options& options) { return lab_name(value, options.receiving_application); }},
    {"--receiving-facility",
     [](const std::string& value, Batch_Options& options) { return lab_name(value, options.receiving_facility); }},
    {"--pages",
     [](const std::string& value, Batch_Options& options) -> const char* {
       return take_page_range(value, options.first_page, options.last_page) ? nullptr : "A-B (1 <= A <= B) の形で";
     }},
};

const Option_Rule* option_rule(const std::string& argument) {
  for (const Option_Rule& rule : Option_Rules)
    if (argument == rule.name) return &rule;
  return nullptr;
}

// The window system's own options, passed on to it when the screens open: those that take a
// value, and those that do not.
constexpr std::string_view Window_Options[] = {"-platform",   "-display",         "-style",
                                               "-stylesheet", "-qwindowgeometry", "-qwindowtitle"};
constexpr std::string_view Window_Flags[] = {"-reverse"};

bool is_one_of(const std::string& argument, std::span<const std::string_view> names) {
  return std::find(names.begin(), names.end(), argument) != names.end();
}

// The three files of a batch run, for the message when one is given as an empty path.
constexpr const char* File_Names[] = {"条件ファイル", "データファイル", "結果ファイル"};

Command_Line error(std::string what) { return {Command_Line::Kind::Error, {}, std::move(what)}; }

// Without "--batch" only the window system's options and "--qc FILE" (the control-serum history
// the screens keep) may be given.
Command_Line screens(const std::vector<std::string>& arguments) {
  Command_Line line;
  for (std::size_t next = 0; next < arguments.size(); ++next) {
    const std::string& argument = arguments[next];
    if (is_one_of(argument, Window_Flags)) continue;
    if (argument == "--qc") {
      if (!line.options.qc.empty()) return error("--qc が 2 回指定されています");
      if (++next >= arguments.size() || arguments[next].empty()) return error("--qc の値がありません");
      line.options.qc = arguments[next];
      continue;
    }
    if (is_one_of(argument, Window_Options)) {
      if (++next >= arguments.size() || arguments[next].empty()) return error(argument + " の値がありません");
      continue;
    }
    if (option_rule(argument) != nullptr) return error(argument + " は --batch と一緒に指定してください");
    if (argument.starts_with("-")) return error("不明なオプションです: " + argument);
    return error("不明な引数です: " + argument + " (ファイルを処理するには --batch を付けてください)");
  }
  return line;
}

// "--qc-export FILE.sqlite OUT.csv" and nothing else.
Command_Line qc_export(const std::vector<std::string>& arguments) {
  if (arguments.size() != 3 || arguments[0] != "--qc-export" || arguments[1].empty() || arguments[2].empty())
    return error("--qc-export の後に履歴ファイルと書き出す CSV ファイルだけを指定してください");
  Command_Line line{Command_Line::Kind::QC_Export, {}, ""};
  line.options.qc = arguments[1];
  line.options.export_csv = arguments[2];
  return line;
}

// The history tools and the values each takes, the histories among them first.
struct QC_Tool_Rule {
  const char* action;
  std::size_t least, most;  // values
  std::size_t histories;    // how many of the first values name histories
  const char* wanted;
};
constexpr QC_Tool_Rule QC_Tools[] = {{"--qc-delete", 4, 4, 1, "履歴、測定物質名、アッセイＮｏ、実験日"},
                                     {"--qc-sync", 1, 1, 1, "履歴サーバーの URI"},
                                     {"--qc-copy", 2, 2, 2, "写し元と写し先の履歴"},
                                     {"--qc-audit", 1, 2, 1, "履歴と (書き出すなら) CSV ファイル"}};

// "--qc-delete DB SUBSTANCE ASSAY_NO DATE", "--qc-sync URI", "--qc-copy FROM TO" or
// "--qc-audit DB [OUT.csv]", and nothing else.
Command_Line qc_tool(const std::vector<std::string>& arguments) {
  for (const QC_Tool_Rule& tool : QC_Tools) {
    if (arguments.empty() || arguments[0] != tool.action) continue;
    if (arguments.size() < tool.least + 1 || arguments.size() > tool.most + 1 ||
        std::find(arguments.begin() + 1, arguments.end(), "") != arguments.end())
      return error(std::string(tool.action) + " の後に" + tool.wanted + "だけを指定してください");
    Command_Line line{Command_Line::Kind::QC_Tool, {}, ""};
    line.tool = arguments;
    return line;
  }
  return error(arguments.front() + " は最初の引数に指定してください");
}

// "--lis-sync HOST:PORT" and optionally "--lis-timeout SECONDS", and nothing else.
Command_Line lis_sync(const std::vector<std::string>& arguments) {
  Command_Line line{Command_Line::Kind::LIS_Sync, {}, ""};
  std::set<std::string> seen;
  for (std::size_t next = 0; next < arguments.size(); ++next) {
    const std::string& argument = arguments[next];
    if (argument != "--lis-sync" && argument != "--lis-timeout")
      return error("--lis-sync には LIS の ホスト:ポート と --lis-timeout 秒 だけを指定できます: " + argument);
    if (!seen.insert(argument).second) return error(argument + " が 2 回指定されています");
    if (++next >= arguments.size() || arguments[next].empty()) return error(argument + " の値がありません");
    const std::string wrong = argument == "--lis-sync" ? lis::read_link_address(arguments[next], line.lis_link)
                                                       : lis::read_link_timeout(arguments[next], line.lis_link);
    if (!wrong.empty()) return error(wrong);
  }
  return line;
}

// A history server's connection string is read as libpq reads it before anything is done: one
// that libpq cannot read, or that carries a password (which would stand on a command line where
// others can read it), is refused at once, never repeated in the message.
Command_Line usable_histories(Command_Line line) {
  std::vector<std::string> histories = {line.options.qc};
  for (const QC_Tool_Rule& tool : QC_Tools)
    if (!line.tool.empty() && line.tool[0] == tool.action)
      histories.insert(histories.end(), line.tool.begin() + 1, line.tool.begin() + 1 + tool.histories);
  for (const std::string& where : histories)
    if (const qc::History_Name name = qc::read_history_name(where); name.kind == qc::History_Name::Kind::Refused)
      return error(name.problem);
  return line;
}

Command_Line batch_run(const std::vector<std::string>& arguments) {
  Command_Line line;
  line.kind = Command_Line::Kind::Batch;
  Batch_Options& options = line.options;
  std::vector<std::string> files;
  std::set<std::string> seen;
  for (std::size_t next = 0; next < arguments.size(); ++next) {
    const std::string& argument = arguments[next];
    const Option_Rule* rule = option_rule(argument);
    if (argument == "--batch" || rule != nullptr) {
      if (!seen.insert(argument).second) return error(argument + " が 2 回指定されています");
      if (rule == nullptr) continue;
      if (++next >= arguments.size() || arguments[next].empty()) return error(argument + " の値がありません");
      const std::string& value = arguments[next];
      if (const char* wanted = rule->take(value, options))
        // A value that is not UTF-8 is not repeated: it would garble the message.
        return error(argument + " は " + wanted + "指定してください" + (text::valid_utf8(value) ? ": " + value : ""));
    } else if (argument.starts_with("-") && argument.size() > 1) {
      return error("不明なオプションです: " + argument);
    } else {
      files.push_back(argument);
    }
  }
  if (files.size() != 3)
    return error("--batch の後に条件ファイル、データファイル、結果ファイルの 3 つを指定してください");
  for (std::size_t i = 0; i < files.size(); ++i)
    if (files[i].empty()) return error(std::string(File_Names[i]) + "のパスが空です (\"\")");
  if (options.from && options.to && *options.from > *options.to)
    return error("--from " + text::bare_text(*options.from) + " が --to " + text::bare_text(*options.to) +
                 " より大きくなっています");
  if (!options.id_column.empty() && options.count_column.empty())
    return error("--id-column は --count-column と一緒に指定してください");
  if (seen.count("--pages") != 0 && options.pdf.empty()) return error("--pages は --pdf と一緒に指定してください");
  if (options.model != 0 && seen.count("--order") != 0) return error("--order は --model logit のときだけ指定できます");
  if (options.model != 0 && options.weight > 2)
    return error("--weight は --model 4pl・5pl では 0～2 の整数で指定してください: " + text::bare_text(options.weight));
  if (options.lis_timeout && options.lis.empty()) return error("--lis-timeout は --lis と一緒に指定してください");
  for (const char* name : {"--sending-facility", "--receiving-application", "--receiving-facility"})
    if (seen.count(name) != 0 && options.hl7.empty() && options.lis.empty())
      return error(std::string(name) + " は --hl7 か --lis と一緒に指定してください");
  options.conditions = files[0];
  options.counts = files[1];
  options.result = files[2];
  return line;
}

}  // namespace

Command_Line parse_command_line(const std::vector<std::string>& arguments) {
  auto given = [&arguments](std::initializer_list<std::string_view> names) {
    return std::find_first_of(arguments.begin(), arguments.end(), names.begin(), names.end()) != arguments.end();
  };
  if (given({"--help", "-h"})) return {Command_Line::Kind::Help, {}, ""};
  if (given({"--version"})) return {Command_Line::Kind::Version, {}, ""};
  if (given({"--qc-export"})) return usable_histories(qc_export(arguments));
  if (given({"--qc-delete", "--qc-sync", "--qc-copy", "--qc-audit"})) return usable_histories(qc_tool(arguments));
  if (given({"--lis-sync"})) return lis_sync(arguments);
  if (given({"--batch"})) return usable_histories(batch_run(arguments));
  return usable_histories(screens(arguments));
}

Batch_Options with_absolute_paths(Batch_Options options) {
  for (std::string* path : {&options.conditions, &options.counts, &options.result, &options.pdf, &options.qc,
                            &options.ids, &options.csv, &options.xlsx, &options.hl7}) {
    if (qc::is_server_uri(*path)) continue;  // a history server, not a file
    std::error_code error;                   // no working folder: the path stays as given, and its file is not found
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
         "      (オプションは --batch の前後、ファイルの間のどこにでも書けます)\n"
         "  quorin --qc-export 履歴ファイル.sqlite 書き出し.csv\n"
         "      精度管理の履歴のすべての測定と管理血清を CSV (UTF-8) に書き出します\n"
         "  quorin --qc-delete 履歴ファイル.sqlite 測定物質名 アッセイNo 実験日\n"
         "      履歴から測定を 1 回分削除します (理由を標準入力から 1 行で入力します)\n"
         "  quorin --qc-sync postgresql://ホスト/データベース\n"
         "      履歴サーバーに送れなかった記録 (送信待ち) を送ります。送れない記録や読めない\n"
         "      送信待ちファイルが残るときは終了コード 1 です\n"
         "  quorin --qc-copy 写し元 写し先\n"
         "      履歴ファイルを履歴サーバーへ (またはその逆へ) 写します。削除の記録も写り、\n"
         "      同じ測定・目標値は新しい方が残ります。2 度写しても何も変わりません\n"
         "  quorin --qc-audit 履歴 [書き出し.csv]\n"
         "      履歴の監査証跡 (すべての変更の記録) のハッシュの鎖と、記録が証跡と合うことを確かめ、\n"
         "      証跡を CSV (UTF-8) で書き出します (ファイルを指定しないときは標準出力へ)\n"
         "  quorin --lis-sync ホスト:ポート [--lis-timeout 秒]\n"
         "      LIS に送れなかった検査結果のメッセージ (送信待ち) を送ります。送信待ちファイルを\n"
         "      使えないときは終了コード 1 です\n"
         "      (受領確認を待つ時間は既定 30 秒)\n"
         "  quorin --qc 履歴ファイル.sqlite\n"
         "      既定とは別の精度管理の履歴ファイルを使って画面で操作します\n"
         "  quorin --help (-h)\n"
         "      この説明を表示します\n"
         "  quorin --version\n"
         "      バージョンを表示します\n"
         "\n"
         "オプション:\n"
         "  --weight W   重み付け (既定 0)\n"
         "                 0 重み付け無し  1 標準点との距離  2 Logit変換補正\n"
         "                 3 標準点との距離+Logit変換補正\n"
         "  --order O    回帰式の次数 1 (直線) または 3 (3次式) (既定 1)\n"
         "  --from F     回帰に使う最初のスタンダード番号 (既定 1)\n"
         "  --to T       回帰に使う最後のスタンダード番号 (既定 スタンダードの数)\n"
         "  --model M    測定結果に使う曲線 (既定 logit)\n"
         "                 logit 上の重み付けと次数のロジット・ログ式  4pl 4 パラメータ・ロジスティック\n"
         "                 5pl 5 パラメータ・ロジスティック\n"
         "               4pl・5pl では --weight がその重み付け (0 重み付け無し  1 計数統計  2 CV一定)、\n"
         "               --order は指定できません\n"
         "  --pdf FILE   測定結果画面の「一括印刷」と同じ印刷 (条件・データ・2 つのグラフ・\n"
         "               3 つの測定結果、4pl・5pl ではモデル比較のページも) を 1 つの PDF ファイルに\n"
         "               書きます (精度プロファイルと、--qc のときは管理血清ごとの精度管理図も)\n"
         "  --qc FILE    結果を精度管理の履歴ファイル (SQLite) に記録し、管理血清の判定を表示します\n"
         "               postgresql://ホスト/データベース (または host=... dbname=...) を指定すると\n"
         "               共有の履歴サーバーに記録します (パスワードは ~/.pgpass か PGPASSWORD に置き、\n"
         "               接続文字列には書きません)。同じ測定の記録があれば置き換えて、そう表示します\n"
         "  --ids FILE   サンプルの ID の一覧 (1 行に 1 つ、または「番号,ID」) を読み込みます\n"
         "  --count-column NAME\n"
         "               データファイルを計数器の書き出し (見出し行のある CSV・タブ区切り) として読み、\n"
         "               見出し NAME の列を測定値とします\n"
         "  --id-column NAME\n"
         "               --count-column とともに: 見出し NAME の列をサンプルの ID とします\n"
         "  --cv-limit P フラグ「CV」を付ける濃度 CV の上限 (%) (既定 10)\n"
         "               フラグ: > 最高のスタンダードより高い  < 最低のスタンダードまたは検出限界 (2SD)\n"
         "               より低い  CV CV が上限より大きい  1 使えたチューブが 1 本  × 使えたチューブがない\n"
         "               R (スタンダード) 逆算平均が濃度の 80～120% の外\n"
         "  --csv FILE   測定結果を CSV (UTF-8、BOM 付き) に書きます\n"
         "  --xlsx FILE  測定結果を Excel ファイル (検体・管理血清・スタンダード・検量線) に書きます\n"
         "               CSV・Excel には平均濃度とサンプル値の 95% 区間 (下限・上限) が入ります。\n"
         "               フラグ >・<・× の値には区間がありません。標準点との距離で重み付けした\n"
         "               ロジット・ログ式の区間は、検体が標準と同じようにばらつくとした仮定によるもので、\n"
         "               列「95%区間の前提」に「仮定」と示します\n"
         "  --pages A-B  --pdf の A ページから B ページまでだけを書きます (既定 すべてのページ)\n"
         "  --hl7 FILE   ID のあるサンプルの結果を HL7 v2.5.1 の ORU^R01 メッセージ (1 サンプル 1 件) で\n"
         "               ファイルに書きます (結果ファイルの直前に書かれます)\n"
         "  --lis ホスト:ポート\n"
         "               同じメッセージを結果ファイルの保存後に MLLP で LIS へ送り、1 件ずつ受領確認を\n"
         "               待ちます。届かなかったものは送信待ちに残ります (--lis-sync で送ります)\n"
         "  --lis-timeout 秒\n"
         "               --lis で接続と受領確認を待つ時間 (既定 設定の値、なければ 30 秒)\n"
         "  --sending-facility 名前  --receiving-application 名前  --receiving-facility 名前\n"
         "               メッセージの送信元施設 (MSH-4)・受信アプリケーション (MSH-5)・受信施設 (MSH-6)。\n"
         "               指定しないものは画面の「LIS設定」で保存した値を使い、どこにもなければ\n"
         "               --hl7・--lis は処理を始めずに終了コード 2 で終わります\n"
         "\n"
         "画面が表示するメッセージは標準エラー出力に書かれます。印刷の進み具合は、標準エラー出力が\n"
         "端末のときだけ表示されます。精度管理の判定は終了コードを変えません。\n"
         "終了コード: 0 保存できた  1 処理できなかった (結果ファイルも PDF ファイルも書かれません。\n"
         "              --csv・--xlsx のファイルは結果ファイルの直前に書かれます)\n"
         "            2 コマンドラインの誤り (出力ファイルが入力ファイルや他の出力ファイルと同じときも)\n"
         "            3 結果ファイルは保存した (--qc では履歴にも記録した) が、PDF ファイルを\n"
         "              置けなかった (以前の PDF ファイルはそのまま)\n"
         "            4 結果ファイルは保存したが、--qc の測定の記録をどこにも保存できなかった\n"
         "              (履歴ファイルが使用中のまま・書き込めない、サーバーにも送信待ちにも置けない)\n"
         "            5 --qc-audit: 監査証跡の鎖が途切れている、または証跡と合わない記録がある\n"
         "            6 LIS へのメッセージが送信待ちに残っている (--lis-sync で送ります)、送信待ちに\n"
         "              置けなかった (表示に従い送り直します)、または壊れた送信待ちファイルを別名で残した\n"
         "              (読めなかったメッセージは送られていません)。--batch では結果ファイルは保存してあります\n"
         "            1 つの実行に当てはまるものが複数あるときは 4、3、6 の順に先のものです\n";
}

}  // namespace quorin::batch
