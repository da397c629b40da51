#include "support/assay_digest.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorin::testing {

namespace {

// One chain over the 8-byte words (the last one padded with zeros) and the size, each step a
// bijection of the chain's value for a given word.
class Fingerprint {
 public:
  template <typename T>
  void add(const T* first, std::size_t count) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(first);
    const std::size_t size = count * sizeof(T);
    for (std::size_t at = 0; at < size; at += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes + at, std::min<std::size_t>(8, size - at));
      mix(word);
    }
    mix(size);
  }
  std::uint64_t value() const { return value_; }

 private:
  void mix(std::uint64_t word) { value_ = std::rotl(value_ ^ word, 29) * 0x9E3779B97F4A7C15ULL; }
  std::uint64_t value_ = 0x243F6A8885A308D3ULL;
};

// The first `rows` rows of a table, all of them by default.
template <typename Table>
void add_rows(Fingerprint& out, const Table& table, std::size_t rows = Table::last_row + 1) {
  out.add(table.row(0), std::min(rows, Table::last_row + 1) * Table::columns);
}

template <typename Array>
void add_array(Fingerprint& out, const Array& array) {
  out.add(array.data(), Array::last + 1);
}

}  // namespace

std::uint64_t assay_digest(const Assay_State& s) {
  Fingerprint out;
  for (const std::string* text :
       {&s.Operator_Name, &s.Assay_Date, &s.Substance_Name, &s.Unit_Name, &s.Assay_No, &s.Condition_File, &s.Data_File})
    out.add(text->data(), text->size());
  const double numbers[] = {double(s.STD_Number), double(s.STD_Tubes),     double(s.Sera_Number),
                            double(s.Sera_Tubes), double(s.Sample_Number), double(s.Sample_Tubes),
                            s.Dilution_Factor,    double(s.Reg_Order),     double(s.Weight_Type),
                            double(s.Fit_From),   double(s.Fit_To),        double(static_cast<Integer>(s.Plot_Stage)),
                            s.Weight_Sum,         double(s.Total_Tubes)};
  out.add(numbers, std::size(numbers));
  const std::size_t samples = static_cast<std::size_t>(std::max<Long>(s.Sample_Number, 0)) + 1;
  add_rows(out, s.STD_Count);
  add_rows(out, s.Sera_Count);
  add_rows(out, s.Sample_Count, samples);
  add_rows(out, s.STD_Data);
  add_rows(out, s.STD_Conc);
  add_rows(out, s.Sera_Conc);
  add_rows(out, s.Sera_Data);
  add_rows(out, s.Sample_Conc, samples);
  add_rows(out, s.Sample_Data, samples);
  add_rows(out, s.Reg_Coef);
  add_array(out, s.Fit_Available);
  add_array(out, s.ED50_Value);
  return out.value();
}

}  // namespace quorin::testing
