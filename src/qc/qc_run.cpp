#include "qc/qc_run.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include <unistd.h>

#include "engine/assay_state.h"
#include "engine/result_curve.h"
#include "text/format.h"
#include "text/text_clean.h"

namespace quorin::qc {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Compares texts with their runs of digits taken as numbers ("C-9" before "C-10"); 0 when equal.
int natural_compare(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (is_digit(a[i]) && is_digit(b[j])) {
      std::size_t end_a = i, end_b = j;
      while (end_a < a.size() && is_digit(a[end_a])) ++end_a;
      while (end_b < b.size() && is_digit(b[end_b])) ++end_b;
      std::string_view number_a = a.substr(i, end_a - i), number_b = b.substr(j, end_b - j);
      while (number_a.size() > 1 && number_a.front() == '0') number_a.remove_prefix(1);
      while (number_b.size() > 1 && number_b.front() == '0') number_b.remove_prefix(1);
      if (number_a.size() != number_b.size()) return number_a.size() < number_b.size() ? -1 : 1;
      if (const int c = number_a.compare(number_b); c != 0) return c;
      i = end_a, j = end_b;
      continue;
    }
    if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
    ++i, ++j;
  }
  if (i == a.size() && j == b.size()) return a.compare(b);  // "01" and "1": still an order
  return i == a.size() ? -1 : 1;
}

}  // namespace

const Serum_Value* QC_Run::serum(int s) const {
  for (const Serum_Value& value : sera)
    if (value.serum == s) return &value;
  return nullptr;
}

std::string date_key(std::string_view typed_date) {
  const std::string trimmed = text::Text_Clean(typed_date);
  std::vector<std::string> numbers;
  for (std::size_t i = 0; i < trimmed.size();) {
    if (!is_digit(trimmed[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < trimmed.size() && is_digit(trimmed[end])) ++end;
    numbers.push_back(trimmed.substr(i, end - i));
    i = end;
  }
  if (numbers.size() != 3 || numbers[0].size() != 4 || numbers[1].size() > 2 || numbers[2].size() > 2) return trimmed;
  const int month = std::stoi(numbers[1]), day = std::stoi(numbers[2]);
  if (month < 1 || month > 12 || day < 1 || day > 31) return trimmed;
  char key[16];
  std::snprintf(key, sizeof key, "%s-%02d-%02d", numbers[0].c_str(), month, day);
  return key;
}

bool runs_in_order(const QC_Run& a, const QC_Run& b) {
  if (a.date_key != b.date_key) return a.date_key < b.date_key;
  if (const int c = natural_compare(a.assay_no, b.assay_no); c != 0) return c < 0;
  // A run not stored yet comes after the stored ones.
  const auto order = [](const QC_Run& run) { return run.id == 0 ? INT64_MAX : run.id; };
  return order(a) < order(b);
}

QC_Run current_run(const Assay_State& state, const std::string& result_file) {
  QC_Run run;
  run.substance = text::Text_Clean(state.Substance_Name);
  run.assay_no = text::Text_Clean(state.Assay_No);
  run.assay_date = text::Text_Clean(state.Assay_Date);
  run.date_key = date_key(run.assay_date);
  run.unit = text::Text_Clean(state.Unit_Name);
  run.operator_name = text::Text_Clean(state.Operator_Name);
  // The control sera were read off the curve in force; with none (nothing computed) it stays unknown.
  if (const Curve_Outcome in_force = make_curve_in_force(state); in_force.curve) run.curve = run_curve(*in_force.curve);
  run.fit = curve_text(run.curve);
  run.station = station_name();
  run.result_file = result_file;
  const int sera = std::min<int>(std::max<int>(state.Sera_Number, 0), Max_Sera);
  for (int i = 1; i <= sera; ++i) {
    Serum_Value value;
    value.serum = i;
    // No concentration (a mean of 0, or none the curve could give) is a missing value, never 0.
    const double mean = state.Sera_Data(i, Sera_Column::Mean), cv = state.Sera_Data(i, Sera_Column::Conc_CV);
    if (mean != 0 && std::isfinite(mean)) value.mean = mean;
    value.cv = std::isfinite(cv) ? cv : 0;
    value.tubes = state.Sera_Tube_N(i);
    run.sera.push_back(value);
  }
  return run;
}

std::string identity_problem(const QC_Run& run) {
  if (run.substance.empty()) return "測定物質名が入力されていません";
  if (run.assay_no.empty()) return "アッセイＮｏが入力されていません";
  if (run.assay_date.empty()) return "実験日が入力されていません";
  return "";
}

std::string station_name() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace quorin::qc
