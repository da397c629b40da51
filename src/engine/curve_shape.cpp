#include "engine/curve_shape.h"

#include <algorithm>
#include <cmath>

#include "engine/fit_choice.h"
#include "engine/result_curve.h"
#include "text/format.h"
#include "text/text_clean.h"

namespace quorin {

namespace {

std::string number_text(long long value) { return text::bare_text(value); }

// The standards of the regression range that can stand on the curve (a tube measured, a
// concentration above 0), in order of increasing concentration.
std::vector<int> standards_by_concentration(const Assay_State& s) {
  std::vector<int> standards;
  const int last = std::min<int>(s.Fit_To, std::clamp<int>(s.STD_Number, 0, Max_Standards));
  for (int i = std::max<int>(s.Fit_From, 1); i <= last; ++i)
    if (s.STD_Tube_N(3 + i) > 0 && s.STD_Data(3 + i, STD_Column::Concentration) > 0) standards.push_back(i);
  std::stable_sort(standards.begin(), standards.end(), [&s](int a, int b) {
    return s.STD_Data(3 + a, STD_Column::Concentration) < s.STD_Data(3 + b, STD_Column::Concentration);
  });
  return standards;
}

std::string standards_warning(const Assay_State& s) {
  const std::vector<int> standards = standards_by_concentration(s);
  auto mean = [&s](int i) { return s.STD_Data(3 + i, STD_Column::Mean_Count); };
  auto conc = [&s](int i) { return s.STD_Data(3 + i, STD_Column::Concentration); };
  auto named = [&](int i) {
    return "スタンダード " + number_text(i) + " の " + text::Text_Clean(text::general_number(mean(i)));
  };
  // Neighbouring steps that do not fall make one chain: "1 → 2 → 3", not "1 → 2、2 → 3".
  std::string pairs;
  int chain_end = 0;
  for (std::size_t k = 1; k < standards.size(); ++k) {
    const int low = standards[k - 1], high = standards[k];
    if (!(conc(high) > conc(low)) || mean(high) < mean(low)) continue;
    if (low != chain_end) pairs += (pairs.empty() ? "" : "、") + named(low);
    pairs += " → " + named(high);
    chain_end = high;
  }
  if (pairs.empty()) return "";
  return "スタンダードの平均カウントが濃度の順に下がっていません（" + pairs +
         "）。この検量線から読み取った濃度は正しくないおそれがあります";
}

bool any_fit_available(const Assay_State& s) {
  for (int k = 0; k < Fit_Count; ++k)
    if (s.Fit_Available(k)) return true;
  return false;
}

}  // namespace

bool cubic_falls(double c1, double c2, double c3, double low, double high) {
  auto slope = [&](double x) { return c1 + 2 * c2 * x + 3 * c3 * x * x; };
  double steepest_rise = std::max(slope(low), slope(high));
  if (c3 != 0) {
    const double turn = -c2 / (3 * c3);
    if (turn > low && turn < high) steepest_rise = std::max(steepest_rise, slope(turn));
  }
  return !(steepest_rise > 0);
}

std::string chosen_fit_shape_warning(const Assay_State& s) {
  if (model_in_use(s) || s.Reg_Order == 1 || !fit_available(s, s.Weight_Type, s.Reg_Order)) return "";
  const std::vector<int> standards = standards_by_concentration(s);
  if (standards.size() < 2) return "";
  const double low = std::log(s.STD_Data(3 + standards.front(), STD_Column::Concentration));
  const double high = std::log(s.STD_Data(3 + standards.back(), STD_Column::Concentration));
  const int w = s.Weight_Type;
  if (cubic_falls(s.Reg_Coef(w, 2), s.Reg_Coef(w, 3), s.Reg_Coef(w, 4), low, high)) return "";
  return fit_label(w, s.Reg_Order) + "：3次式が回帰範囲のスタンダードの濃度の間で下がり続けていないため、" +
         "同じカウントに二つ以上の濃度が当てはまる所があります。読み取った濃度は正しくないおそれがあります";
}

std::vector<std::string> curve_shape_warnings(const Assay_State& s) {
  std::vector<std::string> warnings;
  if (!any_fit_available(s)) return warnings;
  for (std::string warning : {standards_warning(s), chosen_fit_shape_warning(s)})
    if (!warning.empty()) warnings.push_back(std::move(warning));
  return warnings;
}

}  // namespace quorin
