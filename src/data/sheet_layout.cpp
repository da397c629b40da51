#include "data/sheet_layout.h"

#include "text/format.h"

namespace quorin {

Sheet_Layout Sheet_Layout::of(const Assay_State& state) {
  return {state.STD_Tubes,  state.STD_Number,    state.Sera_Number,
          state.Sera_Tubes, state.Sample_Number, state.Sample_Tubes};
}

bool Sheet_Layout::fits_tables() const {
  auto within = [](long value, long last) { return value >= 0 && value <= last; };
  return within(standard_tubes, Max_Tubes) && within(standards, Max_Standards) && within(sera, Max_Sera) &&
         within(sera_tubes, Max_Tubes) && within(samples, Max_Samples) && within(sample_tubes, Max_Tubes);
}

std::string_view Sheet_Layout::category(long row) const {
  if (row <= standard_tubes) return "NSB";
  if (row <= 2 * standard_tubes) return "TOTAL";
  if (row <= standard_rows()) return "STD";
  if (row <= sera_end()) return "Sera";
  return "Sample";
}

int Sheet_Layout::concentration_group(long row) const {
  if (row <= 2 * standard_tubes || row > standard_rows()) return 0;
  return static_cast<int>((row - 1) / standard_tubes + 1);
}

Sheet_Layout::Row_Label Sheet_Layout::label_of(long row) const {
  if (row <= standard_rows()) {
    const long index = row - 1;
    return {standard_group_number(index / standard_tubes + 1), index % standard_tubes + 1};
  }
  if (row <= sera_end()) {
    const long index = row - standard_rows() - 1;
    return {index / sera_tubes + 1, index % sera_tubes + 1};
  }
  const long index = row - sera_end() - 1;
  return {index / sample_tubes + 1, index % sample_tubes + 1};
}

std::string remark_text(const Sheet_Layout& layout, long row) {
  const Sheet_Layout::Row_Label label = layout.label_of(row);
  std::string text(layout.category(row));
  text += text::bare_text(label.group);
  text += '-';
  text += text::bare_text(label.tube);
  return text;
}

std::string concentration_text(const Assay_State& state, const Sheet_Layout& layout, long row) {
  const int group = layout.concentration_group(row);
  return group == 0 ? std::string() : text::Format(state.STD_Data(group, STD_Column::Concentration), "##0.0000");
}

std::string count_text(Long count) { return text::Format(count, "######"); }

}  // namespace quorin
