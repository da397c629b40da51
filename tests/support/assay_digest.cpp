#include "support/assay_digest.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorin::testing {

std::uint64_t assay_digest(const Assay_State& s) {
  // One chain over the 8-byte words of each block (the last one padded with zeros) and its size,
  // each step a bijection of the chain's value for a given word.
  std::uint64_t value = 0x243F6A8885A308D3ULL;
  const auto mix = [&](std::uint64_t word) { value = std::rotl(value ^ word, 29) * 0x9E3779B97F4A7C15ULL; };
  const auto add = [&](const auto* first, std::size_t count) {
    const std::size_t size = count * sizeof *first;
    for (std::size_t at = 0; at < size; at += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, reinterpret_cast<const unsigned char*>(first) + at, std::min<std::size_t>(8, size - at));
      mix(word);
    }
    mix(size);
  };
  // The first `rows` rows of a table, all of them by default.
  const auto add_rows = [&]<typename Table>(const Table& table, std::size_t rows = Table::last_row + 1) {
    add(table.row(0), std::min(rows, Table::last_row + 1) * Table::columns);
  };
  for (const std::string* text :
       {&s.Operator_Name, &s.Assay_Date, &s.Substance_Name, &s.Unit_Name, &s.Assay_No, &s.Condition_File, &s.Data_File})
    add(text->data(), text->size());
  const double numbers[] = {double(s.STD_Number), double(s.STD_Tubes),     double(s.Sera_Number),
                            double(s.Sera_Tubes), double(s.Sample_Number), double(s.Sample_Tubes),
                            s.Dilution_Factor,    double(s.Reg_Order),     double(s.Weight_Type),
                            double(s.Fit_From),   double(s.Fit_To),        double(static_cast<Integer>(s.Plot_Stage)),
                            s.Weight_Sum,         double(s.Total_Tubes)};
  add(numbers, std::size(numbers));
  const std::size_t samples = static_cast<std::size_t>(std::max<Long>(s.Sample_Number, 0)) + 1;
  add_rows(s.STD_Count);
  add_rows(s.Sera_Count);
  add_rows(s.Sample_Count, samples);
  add_rows(s.STD_Data);
  add_rows(s.STD_Conc);
  add_rows(s.Sera_Conc);
  add_rows(s.Sera_Data);
  add_rows(s.Sample_Conc, samples);
  add_rows(s.Sample_Data, samples);
  add_rows(s.Reg_Coef);
  add(s.Fit_Available.data(), s.Fit_Available.last + 1);
  add(s.ED50_Value.data(), s.ED50_Value.last + 1);
  return value;
}

}  // namespace quorin::testing
