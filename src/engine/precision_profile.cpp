#include "engine/precision_profile.h"

#include <algorithm>
#include <cmath>

#include "engine/least_squares.h"
#include "text/format.h"

namespace quorin::qc {

namespace {

// The stretches of [from, to] where q(u) = c0 + c1 u + c2 u^2 is at or below 0: the real roots
// inside cut the interval into pieces, each of one sign.
std::vector<std::pair<double, double>> where_at_most_zero(double c0, double c1, double c2, double from, double to) {
  std::vector<double> cuts = {from, to};
  if (c2 == 0) {
    if (c1 != 0) cuts.push_back(-c0 / c1);
  } else {
    const double discriminant = c1 * c1 - 4 * c2 * c0;
    if (discriminant >= 0) {
      // The root of larger magnitude first, the other from the product of the roots (no cancellation).
      const double q = -0.5 * (c1 + std::copysign(std::sqrt(discriminant), c1));
      if (q != 0) cuts.push_back(q / c2), cuts.push_back(c0 / q);
      else cuts.push_back(0);
    }
  }
  std::sort(cuts.begin(), cuts.end());
  std::vector<std::pair<double, double>> stretches;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double a = std::max(cuts[i], from), b = std::min(cuts[i + 1], to);
    if (!(a < b)) continue;
    const double middle = (a + b) / 2;
    if (c0 + c1 * middle + c2 * middle * middle > 0) continue;
    if (!stretches.empty() && stretches.back().second == a) stretches.back().second = b;
    else stretches.emplace_back(a, b);
  }
  return stretches;
}

}  // namespace

double Precision_Profile::fitted_cv(double x) const {
  const double u = std::log(x);
  return std::exp(alpha + beta * u + gamma * u * u);
}

Precision_Profile precision_profile(const Assay_State& s, double cv_limit) {
  Precision_Profile profile;
  profile.cv_limit = cv_limit;
  const Long samples = std::clamp<Long>(s.Sample_Number, 0, Max_Samples);
  for (Long i = 1; i <= samples; ++i) {
    const int tubes = std::clamp<int>(s.Sample_Tube_N(i), 0, Max_Tubes);
    const double* concentrations = s.Sample_Conc.row(i);
    // A usable tube is one read off the curve; the others hold concentration 0.
    const auto usable = std::count_if(concentrations + 1, concentrations + 1 + tubes, [](double c) { return c > 0; });
    const double mean = s.Sample_Data(i, Sample_Column::Mean), cv = s.Sample_Data(i, Sample_Column::Conc_CV);
    if (usable >= 2 && mean > 0 && cv > 0 && std::isfinite(mean) && std::isfinite(cv))
      profile.points.push_back({i, mean, cv});
  }

  const int standards = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  for (int k = 1; k <= standards; ++k) {
    const double c = s.STD_Data(3 + k, STD_Column::Concentration);
    if (!(c > 0)) continue;
    profile.standard_low = profile.standard_low == 0 ? c : std::min(profile.standard_low, c);
    profile.standard_high = std::max(profile.standard_high, c);
  }

  std::vector<double> u, y;
  u.reserve(profile.points.size());
  y.reserve(profile.points.size());
  std::vector<double> distinct;  // the first three distinct values of u: all the fit asks for
  for (const Profile_Point& point : profile.points) {
    u.push_back(std::log(point.concentration));
    y.push_back(std::log(point.cv));
    if (distinct.size() < 3 && std::find(distinct.begin(), distinct.end(), u.back()) == distinct.end())
      distinct.push_back(u.back());
  }
  const std::vector<double> w(u.size(), 1.0);
  if (profile.points.size() < static_cast<std::size_t>(Min_Profile_Samples) || distinct.size() < 3) return profile;
  const auto fit = weighted_polynomial_fit(u, y, w, 2);
  if (!fit) return profile;
  profile.fitted = true;
  profile.alpha = (*fit)[0], profile.beta = (*fit)[1], profile.gamma = (*fit)[2];
  const auto [lowest, highest] = std::minmax_element(
      profile.points.begin(), profile.points.end(),
      [](const Profile_Point& a, const Profile_Point& b) { return a.concentration < b.concentration; });
  profile.range_low = std::max(profile.standard_low, lowest->concentration);
  profile.range_high = std::min(profile.standard_high, highest->concentration);
  if (profile.standard_low > 0 && cv_limit > 0 && profile.range_low < profile.range_high) {
    for (const auto& [a, b] : where_at_most_zero(profile.alpha - std::log(cv_limit), profile.beta, profile.gamma,
                                                 std::log(profile.range_low), std::log(profile.range_high)))
      profile.working_ranges.emplace_back(std::exp(a), std::exp(b));
  }
  return profile;
}

std::string concentration_text(double value) {
  if (!(value > 0)) return text::Format(value, "0.000");
  const int decimals = std::clamp(2 - static_cast<int>(std::floor(std::log10(value))), 0, 8);
  return text::Format(value, decimals == 0 ? "0" : "0." + std::string(decimals, '0'));
}

std::string limit_text(double limit) {
  std::string text = text::Format(limit, "0.###");
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

std::string profile_summary(const Precision_Profile& profile, const std::string& unit) {
  const std::string head = "精度プロファイル: ";
  const auto points = static_cast<long long>(profile.points.size());
  if (points < Min_Profile_Samples)
    return head + "繰り返し測定された検体が足りません (" + text::bare_text(points) + " 件; " +
           text::bare_text(Min_Profile_Samples) + " 件以上が必要です)";
  if (!profile.fitted) return head + "検体の濃度が 3 種類以上ないため、曲線を求められません";
  const std::string limit = "CV ≤ " + limit_text(profile.cv_limit) + " %";
  const std::string suffix = unit.empty() ? "" : " " + unit;
  if (profile.standard_low == 0) return head + "標準の濃度がないため、測定範囲を求められません";
  if (!(profile.range_low < profile.range_high))
    return head + "検体の濃度が標準の範囲にないため、測定範囲を求められません";
  if (profile.working_ranges.empty())
    return head + limit + " となる範囲は標準と検体の濃度の範囲 (" + concentration_text(profile.range_low) + " ～ " +
           concentration_text(profile.range_high) + suffix + ") にありません";
  std::string ranges;
  for (const auto& [low, high] : profile.working_ranges)
    ranges += (ranges.empty() ? "" : ", ") + concentration_text(low) + " ～ " + concentration_text(high);
  return head + "測定範囲 (" + limit + ") " + ranges + suffix;
}

}  // namespace quorin::qc
