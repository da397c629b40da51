// Reading the command line: what opens the screens, the help, a batch run and its options, and
// the message for each kind of mistake.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch/batch_options.h"

namespace quorin::batch {
namespace {

using Kind = Command_Line::Kind;
using Arguments = std::vector<std::string>;

Arguments batch_with(const Arguments& extra) {
  Arguments arguments{"--batch", "a.crx", "b.txt", "c.txt"};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return arguments;
}

TEST(Command_Line, ChoosesTheScreensTheHelpOrABatchRun) {
  const struct {
    Arguments arguments;
    Kind kind;
  } cases[] = {
      {{}, Kind::Screens},
      {{"-platform", "offscreen", "-reverse"}, Kind::Screens},  // left to the window system
      {{"--help"}, Kind::Help},
      {{"-h"}, Kind::Help},
      {batch_with({"--weight", "1", "--help"}), Kind::Help},
      {{"--version"}, Kind::Version},
      {{"--version", "-h"}, Kind::Help},
      {batch_with({}), Kind::Batch},
      {{"--weight", "3", "--batch", "a", "b", "c"}, Kind::Batch},
  };
  for (const auto& [arguments, kind] : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    EXPECT_EQ(parse_command_line(arguments).kind, kind);
  }
}

TEST(Command_Line, ReadsFilesAndOptionsInAnyOrder) {
  const Command_Line line = parse_command_line({"--order", "3", "a.crx", "--batch", "--pdf", "r.pdf", "b.txt",
                                                "--weight", "2", "c.txt", "--to", "7", "--from", "2"});
  ASSERT_EQ(line.kind, Kind::Batch) << line.error;
  const Batch_Options& o = line.options;
  EXPECT_EQ((Arguments{o.conditions, o.counts, o.result, o.pdf}), (Arguments{"a.crx", "b.txt", "c.txt", "r.pdf"}));
  EXPECT_EQ(o.weight, 2);
  EXPECT_EQ(o.order, 3);
  EXPECT_EQ(o.from, 2);
  EXPECT_EQ(o.to, 7);
}

TEST(Command_Line, LeavesTheScreensDefaultsWhenNoOptionIsGiven) {
  const Batch_Options o = parse_command_line(batch_with({})).options;
  EXPECT_EQ(o.weight, 0);
  EXPECT_EQ(o.order, 1);
  EXPECT_FALSE(o.from.has_value());
  EXPECT_FALSE(o.to.has_value());
  EXPECT_EQ(o.pdf, "");
  EXPECT_EQ(o.model, 0) << "the logit-log fit";
  EXPECT_EQ(parse_command_line(batch_with({"--model", "5pl", "--weight", "2"})).options.model, 2);
}

TEST(Command_Line, RefusesMistakesWithAMessageNamingThem) {
  const struct {
    Arguments arguments;
    std::string message;
  } cases[] = {
      {{"--batch", "a.crx", "b.txt"},
       "--batch の後に条件ファイル、データファイル、結果ファイルの 3 つを指定してください"},
      {batch_with({"d.txt"}), "--batch の後に条件ファイル、データファイル、結果ファイルの 3 つを指定してください"},
      {batch_with({"--weight", "4"}), "--weight は 0～3 の整数で指定してください: 4"},
      {batch_with({"--weight", "-1"}), "--weight は 0～3 の整数で指定してください: -1"},
      {batch_with({"--weight", "1x"}), "--weight は 0～3 の整数で指定してください: 1x"},
      {batch_with({"--weight", "01"}), "--weight は 0～3 の整数で指定してください: 01"},
      {batch_with({"--weight", "1.0"}), "--weight は 0～3 の整数で指定してください: 1.0"},
      {batch_with({"--weight"}), "--weight の値がありません"},
      {batch_with({"--weight", ""}), "--weight の値がありません"},
      {batch_with({"--weight", "1", "--weight", "2"}), "--weight が 2 回指定されています"},
      {batch_with({"--order", "2"}), "--order は 1 か 3 で指定してください: 2"},
      {batch_with({"--from", "0"}), "--from は 1 以上の整数で指定してください: 0"},
      {batch_with({"--to", "x"}), "--to は 1 以上の整数で指定してください: x"},
      {batch_with({"--from", "5", "--to", "4"}), "--from 5 が --to 4 より大きくなっています"},
      {batch_with({"--pdf"}), "--pdf の値がありません"},
      {batch_with({"--colour", "red"}), "不明なオプションです: --colour"},
      {batch_with({"-platform", "offscreen"}), "不明なオプションです: -platform"},
      {batch_with({"--batch"}), "--batch が 2 回指定されています"},
      {{"--batch", "", "b.txt", "c.txt"}, "条件ファイルのパスが空です (\"\")"},
      {{"--batch", "a.crx", "b.txt", ""}, "結果ファイルのパスが空です (\"\")"},
      {{"a.crx"}, "不明な引数です: a.crx (ファイルを処理するには --batch を付けてください)"},
      {{"--weight", "3", "a.crx"}, "--weight は --batch と一緒に指定してください"},
      {{"--colour"}, "不明なオプションです: --colour"},
      {{"-platform"}, "-platform の値がありません"},
      {batch_with({"--model", "4PL"}), "--model は logit、4pl、5pl のどれかで指定してください: 4PL"},
      {batch_with({"--model", "5pl", "--order", "1"}), "--order は --model logit のときだけ指定できます"},
      {batch_with({"--weight", "3", "--model", "4pl"}),
       "--weight は --model 4pl・5pl では 0～2 の整数で指定してください: 3"},
  };
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const Command_Line line = parse_command_line(arguments);
    EXPECT_EQ(line.kind, Kind::Error);
    EXPECT_EQ(line.error, message);
  }
}

TEST(Command_Line, MakesEveryPathAbsoluteAndKeepsAnAbsentReportAbsent) {
  Batch_Options options = parse_command_line(batch_with({})).options;
  options = with_absolute_paths(options);
  const std::string here = std::filesystem::current_path().string();
  EXPECT_EQ(options.conditions, here + "/a.crx");
  EXPECT_EQ(options.result, here + "/c.txt");
  EXPECT_EQ(options.pdf, "");
  EXPECT_EQ(with_absolute_paths(options).counts, options.counts);
}

TEST(Command_Line, NamesTheControlSerumHistory) {
  const Command_Line batch = parse_command_line(batch_with({"--qc", "h.sqlite"}));
  EXPECT_EQ(batch.options.qc, "h.sqlite");
  const Command_Line screens = parse_command_line({"--qc", "h.sqlite"});
  EXPECT_EQ(screens.kind, Kind::Screens);
  EXPECT_EQ(screens.options.qc, "h.sqlite");
  const Command_Line export_line = parse_command_line({"--qc-export", "h.sqlite", "h.csv"});
  ASSERT_EQ(export_line.kind, Kind::QC_Export);
  EXPECT_EQ((Arguments{export_line.options.qc, export_line.options.export_csv}), (Arguments{"h.sqlite", "h.csv"}));
  for (const Arguments& wrong : {Arguments{"--qc"}, Arguments{"--qc-export", "h.sqlite"}, batch_with({"--qc"})})
    EXPECT_EQ(parse_command_line(wrong).kind, Kind::Error) << ::testing::PrintToString(wrong);
}

TEST(Command_Line, HelpNamesEveryOption) {
  const std::string help = usage_text();
  for (const char* option : {"--batch", "--weight", "--order", "--from", "--to", "--model", "--pdf", "--help", "-h",
                             "--version", "--qc", "--qc-export"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace quorin::batch
