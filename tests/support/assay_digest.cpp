#include "support/assay_digest.h"

#include <algorithm>

namespace quorin::testing {

namespace {

template <typename T>
void append(std::string& out, const T* first, std::size_t count) {
  out.append(reinterpret_cast<const char*>(first), count * sizeof(T));
}

// The first `rows` rows of a table, all of them by default.
template <typename Table>
void append_rows(std::string& out, const Table& table, std::size_t rows = Table::last_row + 1) {
  append(out, table.row(0), std::min(rows, Table::last_row + 1) * Table::columns);
}

template <typename Array>
void append_array(std::string& out, const Array& array) {
  append(out, array.data(), Array::last + 1);
}

}  // namespace

std::string assay_digest(const Assay_State& s) {
  std::string out;
  for (const std::string* text :
       {&s.Operator_Name, &s.Assay_Date, &s.Substance_Name, &s.Unit_Name, &s.Assay_No, &s.Condition_File, &s.Data_File})
    out += *text + '\n';
  const double numbers[] = {double(s.STD_Number), double(s.STD_Tubes),     double(s.Sera_Number),
                            double(s.Sera_Tubes), double(s.Sample_Number), double(s.Sample_Tubes),
                            s.Dilution_Factor,    double(s.Reg_Order),     double(s.Weight_Type),
                            double(s.Fit_From),   double(s.Fit_To),        double(static_cast<Integer>(s.Plot_Stage)),
                            s.Weight_Sum,         double(s.Total_Tubes)};
  append(out, numbers, std::size(numbers));
  const std::size_t samples = static_cast<std::size_t>(std::max<Long>(s.Sample_Number, 0)) + 1;
  append_rows(out, s.STD_Count);
  append_rows(out, s.Sera_Count);
  append_rows(out, s.Sample_Count, samples);
  append_rows(out, s.STD_Data);
  append_rows(out, s.STD_Conc);
  append_rows(out, s.Sera_Conc);
  append_rows(out, s.Sera_Data);
  append_rows(out, s.Sample_Conc, samples);
  append_rows(out, s.Sample_Data, samples);
  append_rows(out, s.Reg_Coef);
  append_array(out, s.Fit_Available);
  append_array(out, s.ED50_Value);
  return out;
}

}  // namespace quorin::testing
