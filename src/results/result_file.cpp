#include "results/result_file.h"

#include <algorithm>

#include "conditions/condition_file.h"
#include "conditions/reg_set.h"
#include "results/current_results.h"
#include "results/result_table.h"
#include "state/program.h"
#include "state/screen_procedures.h"
#include "text/format.h"

namespace quorin {

namespace {

using text::general_number;
using text::signed_text;

constexpr const char* Separator = "-------,-------,-------,-------,-------,";

// One comma-separated field in the general number form.
void number(text::Line_Writer& out, double value) { out.ascii(general_number(value)); }

// The same for a count or a tube number: a whole number's general form is its signed text
// followed by a blank (‹ 1234 ›), made without the cost of a floating-point conversion.
void whole(text::Line_Writer& out, long long value) {
  out.ascii(signed_text(value));
  out.ascii(" ");
}

void write_standards(const Assay_State& s, text::Line_Writer& out, Long& tube_number) {
  const Long rows = item_count(s, Result_Kind::Standard_Data);
  for (int k = 1; k <= rows; ++k) {
    const std::string name = standard_row_name(k);
    const int tubes = measured_tubes(s, Result_Kind::Standard_Data, k);
    for (int t = 1; t <= tubes; ++t) {
      whole(out, ++tube_number);
      out.ascii(",");
      out.ascii(name);
      out.ascii(",");
      whole(out, s.STD_Count(k, t));
      out.end_line();
    }
    out.ascii(",,");
    number(out, s.STD_Data(k, 1));
    out.ascii(",");
    number(out, s.STD_Data(k, 2));
    if (k >= 3) {  // NSB and TOTAL have no B/B0
      out.ascii(",");
      number(out, s.STD_Data(k, 3));
    }
    out.end_line();
  }
}

void write_sera(const Assay_State& s, text::Line_Writer& out, Long& tube_number) {
  const Long sera = item_count(s, Result_Kind::Sera);
  for (int i = 1; i <= sera; ++i) {
    const int tubes = measured_tubes(s, Result_Kind::Sera, i);
    if (tubes == 0) continue;
    for (int t = 1; t <= tubes; ++t) {
      whole(out, ++tube_number);
      out.ascii(",");
      whole(out, s.Sera_Count(i, t));
      out.ascii(",");
      number(out, s.Sera_Conc(i, t));
      out.end_line();
    }
    out.ascii("Sera" + signed_text(i) + ",,");
    number(out, s.Sera_Data(i, 1));
    out.ascii(",");
    number(out, s.Sera_Data(i, 2));
    out.ascii(",");
    number(out, s.Sera_Data(i, 3));
    out.end_line();
  }
}

void write_samples(const Assay_State& s, text::Line_Writer& out) {
  const Long samples = item_count(s, Result_Kind::Sample);
  for (Long i = 1; i <= samples; ++i) {
    const int tubes = measured_tubes(s, Result_Kind::Sample, i);
    if (tubes == 0) continue;
    const double* data = s.Sample_Data.row(i);
    out.ascii("Sample" + signed_text(i));
    for (int column : {1, 2, 3, 4, 0}) {
      out.ascii(",");
      number(out, data[column]);
    }
    out.ascii(",");
    const Long* counts = s.Sample_Count.row(i);
    const double* concentrations = s.Sample_Conc.row(i);
    for (int t = 1; t <= tubes; ++t) {
      out.ascii(",");
      whole(out, counts[t]);
      out.ascii(",");
      number(out, concentrations[t]);
      out.ascii(",");
    }
    out.end_line();
  }
}

}  // namespace

void write_result_sections(const Assay_State& state, text::Line_Writer& out) {
  // About 30 bytes a tube and 100 an item: one allocation for the largest assay.
  const auto samples = static_cast<std::size_t>(item_count(state, Result_Kind::Sample));
  const auto tubes = static_cast<std::size_t>(std::clamp<int>(state.Sample_Tubes, 0, Max_Tubes));
  out.reserve(out.bytes().size() + samples * (100 + 30 * tubes) + 64 * 1024);
  Long tube_number = 0;
  write_standards(state, out, tube_number);
  out.line(Separator);
  write_sera(state, out, tube_number);
  out.line(Separator);
  write_samples(state, out);
}

void Result_Output(Program& program) {
  // The file holds the control sera and the samples as the counts and conditions in force give them.
  if (!Bring_Table_Up_To_Date(program, Result_Kind::Sera) || !Bring_Table_Up_To_Date(program, Result_Kind::Sample))
    return;
  const std::string path = program.platform.save_file({"", "ﾃｷｽﾄ(*.txt)|*.txt", "txt"});
  if (path.empty()) return;
  const auto* conditions = program.screen_as<Reg_Set>(Screen::Conditions);
  if (conditions == nullptr) {
    program.platform.message("結果を保存できません: " + path + "\n条件設定画面が開かれていません");
    return;
  }
  text::Line_Writer out;
  write_condition_lines(*conditions, out);
  if (out.failed()) {
    program.platform.message("結果を保存できません: " + path + "\n条件設定の「" + out.bad_character() +
                             "」はシフトJISで保存できない文字です");
    return;
  }
  write_result_sections(program.state, out);
  const std::string failure = text::save_file(path, out.bytes());
  program.platform.message(failure.empty() ? "データ保存が終了しました" : failure);
  if (failure.empty()) QC_Record_Run(program, path);
}

}  // namespace quorin
