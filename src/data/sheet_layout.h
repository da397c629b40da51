#pragma once
// The rows of the data sheet: one row per tube, in the order NSB, TOTAL, zero standard,
// standards 1..n, control sera 1..m, samples 1..p, each group's tubes 1.. in turn. The count
// data file keeps its counts in the same order.

#include <string>
#include <string_view>

#include "engine/assay_state.h"

namespace quorin {

struct Sheet_Layout {
  long standard_tubes = 0;  // t, also the tubes of the NSB, TOTAL and zero-standard rows
  long standards = 0;       // n
  long sera = 0;            // m
  long sera_tubes = 0;      // s
  long samples = 0;         // p
  long sample_tubes = 0;    // q

  static Sheet_Layout of(const Assay_State& state);

  // False when a number lies outside what the count tables hold; such a shape has no sheet.
  bool fits_tables() const;

  long standard_rows() const { return (standards + 3) * standard_tubes; }
  long sera_end() const { return standard_rows() + sera * sera_tubes; }
  long total() const { return sera_end() + samples * sample_tubes; }

  // "NSB", "TOTAL", "STD", "Sera" or "Sample" for a sheet row 1..total().
  std::string_view category(long row) const;
  // The standard-side table row (3 zero standard, 3 + k standard k) whose concentration a
  // sheet row shows, or 0 for the rows that show none.
  int concentration_group(long row) const;

  // The group and tube numbers of a sheet row 1..total() (see for_each_tube).
  struct Row_Label {
    long group = 0;
    long tube = 0;
  };
  Row_Label label_of(long row) const;
};

// The group number a standard-side table row carries: 0 for NSB (row 1) and the zero standard
// (row 3), 1 for TOTAL, k for standard k.
constexpr long standard_group_number(long table_row) { return table_row == 1 ? 0 : table_row == 2 ? 1 : table_row - 3; }

// Calls visit(count, group, tube) for every tube of the sheet in row order, with the table cell
// that holds its count and the group and tube numbers its row carries (group 0 for NSB and for
// the zero standard, 1 for TOTAL, k for standard, serum or sample k). `State` is Assay_State or
// const Assay_State.
template <typename State, typename Visit>
void for_each_tube(State& state, const Sheet_Layout& layout, Visit&& visit) {
  for (long row = 1; row <= layout.standards + 3; ++row) {
    const long group = standard_group_number(row);
    auto* counts = state.STD_Count.row(row);
    for (long tube = 1; tube <= layout.standard_tubes; ++tube) visit(counts[tube], group, tube);
  }
  for (long serum = 1; serum <= layout.sera; ++serum) {
    auto* counts = state.Sera_Count.row(serum);
    for (long tube = 1; tube <= layout.sera_tubes; ++tube) visit(counts[tube], serum, tube);
  }
  for (long sample = 1; sample <= layout.samples; ++sample) {
    auto* counts = state.Sample_Count.row(sample);
    for (long tube = 1; tube <= layout.sample_tubes; ++tube) visit(counts[tube], sample, tube);
  }
}

// The texts of a row as the sheet shows and the printout prints them.
// REMARK: the category, the group number, "-", the tube number ("STD3-2", "NSB0-1").
std::string remark_text(const Sheet_Layout& layout, long row);
// The concentration of a zero-standard or standard row under "##0.0000"; "" on other rows.
std::string concentration_text(const Assay_State& state, const Sheet_Layout& layout, long row);
// The count under "######": "" for 0, the minus sign kept.
std::string count_text(Long count);

}  // namespace quorin
