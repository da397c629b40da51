// From a counter's own export with the tubes' identifiers to the result file, the CSV and the
// Excel workbook, read back with unzip (not with the library that wrote it).

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "batch_fixture.h"

namespace quorin {
namespace {

// A member of a zip archive as unzip extracts it.
std::string unzipped(const std::string& archive, const std::string& member) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(("unzip -p '" + archive + "' '" + member + "'").c_str(), "r"),
                                             ::pclose);
  std::string bytes;
  char buffer[4096];
  for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) bytes.append(buffer, n);
  return bytes;
}

// The first match of `pattern`'s group 1 in `text`, "" for none.
std::string found(const std::string& text, const std::string& pattern) {
  std::smatch match;
  return std::regex_search(text, match, std::regex(pattern)) ? match[1].str() : "";
}

using Lab_Exports = testing::Batch_Test;

TEST_F(Lab_Exports, CounterExportWithIdentifiersToResultCsvAndWorkbook) {
  // The example's counts as a counter writes them: a header, positions, counts per minute with
  // decimals that round to the same counts, and an identifier on every sample tube.
  std::istringstream counts(testing::read_bytes(testing::Example_Counts));  // a count to a line
  std::string exported = "Pos,Sample ID,CPM\r\n";
  constexpr long Front_Rows = 28, Sample_Tubes = 2;  // (8 + 3) x 2 standard tubes, 3 x 2 serum tubes
  long row = 0;
  for (long count; counts >> count;) {
    const long sample = row >= Front_Rows ? (row - Front_Rows) / Sample_Tubes + 1 : 0;
    const std::string id = sample == 0 ? "" : sample == 3 ? "=1+2" : "検体-" + std::to_string(sample);
    exported += std::to_string(++row) + "," + id + "," + std::to_string(count) + ".4\r\n";
  }
  testing::write_bytes(folder.file("counter.csv"), exported);

  ASSERT_EQ(testing::run_in_process(example()).status, batch::Exit_Done);  // the example's own result file
  batch::Batch_Options options = example();
  options.counts = folder.file("counter.csv");
  options.result = folder.file("from_export.txt");
  options.count_column = "CPM", options.id_column = "Sample ID";
  options.csv = folder.file("results.csv"), options.xlsx = folder.file("results.xlsx");
  options.cv_limit = 0.5;
  const testing::Batch_Outcome run = testing::run_in_process(options);
  ASSERT_EQ(run.status, batch::Exit_Done) << run.errors;
  EXPECT_EQ(testing::read_bytes(options.result), testing::read_bytes(folder.file("result.txt")));

  // The identifiers stand beside the samples, "=1+2" quoted so that no formula is run.
  const std::string csv = testing::read_bytes(options.csv);
  testing::expect_golden("results.csv", csv);
  // The first sample whose CV is above the limit: its flags and mean as the CSV gives them.
  std::smatch flagged;
  ASSERT_TRUE(std::regex_search(
      csv, flagged, std::regex("\r\nサンプル,([0-9]+),[^,]*,([^,]+),[^,]*,[^,]*,[^,]*,[^,]*,([^,]*CV[^,]*),")));
  const std::string flagged_row = std::to_string(std::stol(flagged[1]) + 1);

  const std::string workbook = unzipped(options.xlsx, "xl/workbook.xml");
  for (const char* sheet : {"検体", "管理血清", "スタンダード", "検量線"})
    EXPECT_NE(workbook.find("name=\"" + std::string(sheet) + "\""), std::string::npos) << sheet;
  const std::string samples = unzipped(options.xlsx, "xl/worksheets/sheet1.xml");
  EXPECT_NE(samples.find("<t>検体-1</t>"), std::string::npos);
  // The flagged sample's mean is a number cell holding the CSV's value, and its flags are shaded.
  const std::string mean = found(samples, "<c r=\"C" + flagged_row + "\"[^>]*><v>([^<]*)</v>");
  ASSERT_FALSE(mean.empty()) << "C" << flagged_row << " is no number cell";
  EXPECT_NEAR(std::stod(mean), std::stod(flagged[2]), 1e-12 * std::stod(flagged[2]));
  // Its flags' style, that style's fill, and the colour of the fill.
  const std::string style = found(samples, "<c r=\"G" + flagged_row + "\" s=\"([0-9]+)\"");
  ASSERT_FALSE(style.empty());
  const std::string styles = unzipped(options.xlsx, "xl/styles.xml");
  const std::string xfs = found(styles, "<cellXfs[^>]*>(.*)</cellXfs>");
  const std::regex xf_fill("<xf [^>]*fillId=\"([0-9]+)\""), fill_element("<fill>(.*?)</fill>");
  auto xf = std::sregex_iterator(xfs.begin(), xfs.end(), xf_fill);
  auto fill = std::sregex_iterator(styles.begin(), styles.end(), fill_element);
  std::advance(fill, std::stoi((*std::next(xf, std::stoi(style)))[1].str()));
  EXPECT_NE((*fill)[1].str().find("FFC7CE"), std::string::npos);
}

}  // namespace
}  // namespace quorin
