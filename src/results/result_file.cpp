#include "results/result_file.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/condition_file.h"
#include "engine/parallel.h"
#include "qc/qc_procedures.h"
#include "results/result_table.h"
#include "results/results_procedures.h"
#include "state/current_results.h"
#include "state/program.h"
#include "text/format.h"

namespace quorin {

namespace {

constexpr const char* Separator = "-------,-------,-------,-------,-------,";

// Samples a part of the sample lines has at the least: fewer are written faster than a thread
// is started.
constexpr long Least_Samples_Per_Part = 4000;
// Samples whose lines are made in one round (some 6 MB of text at ten tubes a sample).
constexpr long Samples_Per_Round = 16384;

// The general number texts of the tube concentrations met last, by the bits of the value: they
// recur in a large assay (each count gives the same concentration in all its tubes), and copying
// a text costs far less than making it.
class Number_Texts {
 public:
  // Room for about as many texts as there are values to write, at most 16384.
  explicit Number_Texts(std::size_t values) {
    while (slot_bits_ < 14 && (std::size_t{1} << slot_bits_) < values) ++slot_bits_;
    slots_.resize(std::size_t{1} << slot_bits_);
  }
  char* write(char* out, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    Slot& slot = slots_[(bits * 0x9E3779B97F4A7C15u) >> (64 - slot_bits_)];
    if (slot.length == 0 || slot.bits != bits) {
      char made[text::General_Number_Size];
      const auto length = static_cast<std::size_t>(text::general_number_to(made, value) - made);
      if (length > sizeof slot.text) return std::copy_n(made, length, out);
      slot.bits = bits;
      slot.length = static_cast<std::uint8_t>(length);
      std::memcpy(slot.text, made, length);
    }
    std::memcpy(out, slot.text, slot.length);
    return out + slot.length;
  }

 private:
  struct Slot {  // 32 bytes: the table of 16384 stays within a core's cache
    std::uint64_t bits = 0;
    std::uint8_t length = 0;  // 0: empty
    char text[23];            // the longest text: "-1.23456789012345E-308 "
  };
  int slot_bits_ = 4;
  std::vector<Slot> slots_;
};

// One line of the file, its texts and numbers written straight into a buffer that holds the
// longest line (a sample of Max_Tubes tubes: some 530 bytes), then added to the file's bytes
// at once. Numbers are in the general number form; a count or a tube number, a whole number,
// has its signed text followed by a blank (‹ 1234 ›), made without a floating-point conversion.
class Line {
 public:
  Line& text(std::string_view piece) {
    std::memcpy(end_, piece.data(), piece.size());
    end_ += piece.size();
    return *this;
  }
  Line& number(double value) {
    end_ = text::general_number_to(end_, value);
    return *this;
  }
  // A value that recurs, through the texts made before.
  Line& number(double value, Number_Texts& texts) {
    end_ = texts.write(end_, value);
    return *this;
  }
  Line& whole(long long value) {
    end_ = text::signed_text_to(end_, value);
    *end_++ = ' ';
    return *this;
  }
  void end(text::Line_Writer& out) {
    out.ascii(std::string_view(buffer_, static_cast<std::size_t>(end_ - buffer_)));
    out.end_line();
    end_ = buffer_;
  }

 private:
  char buffer_[64 + Max_Tubes * 64];
  char* end_ = buffer_;
};

void write_standards(const Assay_State& s, text::Line_Writer& out, Long& tube_number) {
  Line line;
  const Long rows = item_count(s, Result_Kind::Standard_Data);
  for (int k = 1; k <= rows; ++k) {
    const std::string name = standard_row_name(k);
    const int tubes = measured_tubes(s, Result_Kind::Standard_Data, k);
    for (int t = 1; t <= tubes; ++t)
      line.whole(++tube_number).text(",").text(name).text(",").whole(s.STD_Count(k, t)).end(out);
    line.text(",,").number(s.STD_Data(k, STD_Column::Mean_Count)).text(",").number(s.STD_Data(k, STD_Column::Count_CV));
    if (k >= 3) line.text(",").number(s.STD_Data(k, STD_Column::Percent));  // NSB and TOTAL have no B/B0
    line.end(out);
  }
}

void write_sera(const Assay_State& s, text::Line_Writer& out, Long& tube_number) {
  Line line;
  const Long sera = item_count(s, Result_Kind::Sera);
  for (int i = 1; i <= sera; ++i) {
    const int tubes = measured_tubes(s, Result_Kind::Sera, i);
    if (tubes == 0) continue;
    for (int t = 1; t <= tubes; ++t)
      line.whole(++tube_number).text(",").whole(s.Sera_Count(i, t)).text(",").number(s.Sera_Conc(i, t)).end(out);
    line.text("Sera").text(text::signed_text(i)).text(",,").number(s.Sera_Data(i, Sera_Column::Mean)).text(",");
    line.number(s.Sera_Data(i, Sera_Column::Range)).text(",").number(s.Sera_Data(i, Sera_Column::Conc_CV)).end(out);
  }
}

void write_samples(const Assay_State& s, text::Line_Writer& out, Number_Texts& texts, Long first, Long last) {
  Line line;
  char name[text::Signed_Text_Size];
  for (Long i = first; i <= last; ++i) {
    const int tubes = measured_tubes(s, Result_Kind::Sample, i);
    if (tubes == 0) continue;
    const double* data = s.Sample_Data.row(i);
    line.text("Sample").text(std::string_view(name, static_cast<std::size_t>(text::signed_text_to(name, i) - name)));
    for (int column : {1, 2, 3, 4, 0}) line.text(",").number(data[column]);
    line.text(",");
    const Long* counts = s.Sample_Count.row(i);
    const double* concentrations = s.Sample_Conc.row(i);
    for (int t = 1; t <= tubes; ++t)
      line.text(",").whole(counts[t]).text(",").number(concentrations[t], texts).text(",");
    line.end(out);
  }
}

}  // namespace

void write_result_sections(const Assay_State& state, text::Line_Writer& out) {
  const long samples = item_count(state, Result_Kind::Sample);
  write_result_sections(state, out, part_count(samples, Least_Samples_Per_Part));
}

void write_result_sections(const Assay_State& state, text::Line_Writer& out, int parts) {
  // About 30 bytes a tube and 100 an item: one allocation for the largest assay.
  const auto samples = static_cast<std::size_t>(item_count(state, Result_Kind::Sample));
  const auto tubes = static_cast<std::size_t>(std::clamp<int>(state.Sample_Tubes, 0, Max_Tubes));
  out.reserve(out.bytes().size() + samples * (100 + 30 * tubes) + 64 * 1024);
  Long tube_number = 0;
  write_standards(state, out, tube_number);
  out.line(Separator);
  write_sera(state, out, tube_number);
  out.line(Separator);
  // The sample lines are made by `parts` threads at once, in rounds: in each round the calling
  // thread writes the first share straight into the file's bytes while the others write the next
  // shares apart, added after it in order. A round is small, so little is held twice.
  const auto shares = static_cast<std::size_t>(std::max(parts, 1));
  std::vector<text::Line_Writer> apart(shares - 1);
  for (text::Line_Writer& lines : apart) lines.reserve(Samples_Per_Round / shares * (100 + 30 * tubes));
  std::vector<Number_Texts> texts;
  for (std::size_t share = 0; share < shares; ++share)
    texts.emplace_back(std::min<std::size_t>(samples, Samples_Per_Round) * tubes / shares);
  for (long round = 1; round <= static_cast<long>(samples); round += Samples_Per_Round) {
    const long round_last = std::min(static_cast<long>(samples), round + Samples_Per_Round - 1);
    for_each_part(round, round_last, parts, [&](int share, long first, long last) {
      write_samples(state, share == 0 ? out : apart[static_cast<std::size_t>(share - 1)],
                    texts[static_cast<std::size_t>(share)], static_cast<Long>(first), static_cast<Long>(last));
    });
    for (text::Line_Writer& lines : apart) {
      out.append(lines);
      lines.clear();
    }
  }
}

Result_File_Draft::Result_File_Draft(Program& program, const std::string& path) : program_(program), file_(path) {
  text::Line_Writer out;
  write_condition_lines(program.state.Condition_Texts, out);
  if (out.failed()) {
    program.platform.message("結果を保存できません: " + path + "\n条件設定の「" + out.bad_character() +
                             "」はシフトJISで保存できない文字です");
    return;
  }
  write_result_sections(program.state, out);
  file_.write(out.bytes());
  ready_ = file_.failure().empty();
  if (!ready_) program.platform.message(file_.failure());
}

bool Result_File_Draft::put_in_place() {
  if (!ready_) return false;
  ready_ = false;
  const std::string failure = file_.commit();
  program_.platform.message(failure.empty() ? "データ保存が終了しました" : failure);
  if (!failure.empty()) return false;
  QC_Record_Run(program_, file_.path());
  return true;
}

bool Save_Result_File(Program& program, const std::string& path) {
  Result_File_Draft draft(program, path);
  return draft.put_in_place();
}

bool Result_Output(Program& program) {
  // The file holds the control sera and the samples as the counts and conditions in force give them.
  if (!Bring_Table_Up_To_Date(program, Result_Kind::Sera) || !Bring_Table_Up_To_Date(program, Result_Kind::Sample))
    return false;
  const std::string path = program.platform.save_file({"", "ﾃｷｽﾄ(*.txt)|*.txt", "txt"});
  return !path.empty() && Save_Result_File(program, path);
}

}  // namespace quorin
