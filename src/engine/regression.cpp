#include "engine/regression.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "engine/fit_choice.h"
#include "engine/least_squares.h"
#include "engine/response.h"
#include "engine/treatment_standard.h"
#include "text/format.h"

namespace quorin {
namespace {

// How far (in logit, relative to 1 + the largest |y|) the elimination's curve may lie from the
// QR curve over the plotted range before the QR solution is taken: far above the 1e-11 the
// elimination reaches on ordinary standard sets, far below any digit the program shows.
constexpr double Elimination_Trust = 1e-9;

using Coefficients = std::array<double, 4>;  // c0..c3 of c0 + c1 x + c2 x^2 + c3 x^3

struct Range {
  int first;
  int last;
};

// The standards a fit may use: Fit_From..Fit_To when it lies within 1..STD_Number.
std::optional<Range> fit_range(const Assay_State& s) {
  const int n = s.STD_Number;
  if (n < 1 || n > Max_Standards || s.Fit_From < 1 || s.Fit_To > n || s.Fit_From > s.Fit_To) return std::nullopt;
  return Range{s.Fit_From, s.Fit_To};
}

// The messages of one Regression; reasons shared by several fits are given once, after the
// labels of all of them ("重1 3次・重3 3次：...").
class Message_List {
 public:
  void add(const std::string& reason) { entries_.push_back({reason, ""}); }
  void add_for_fit(const std::string& reason, int weight_type, int order) {
    const std::string label = fit_label(weight_type, order);
    for (auto& [known, labels] : entries_) {
      if (known == reason && !labels.empty()) {
        labels += "・" + label;
        return;
      }
    }
    entries_.push_back({reason, label});
  }
  Regression_Result finish() const {
    Regression_Result result;
    for (const auto& [reason, labels] : entries_)
      result.messages.push_back(labels.empty() ? reason : labels + "：" + reason);
    return result;
  }

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

std::string number_text(long long value) { return text::bare_text(value); }

std::string problem_reason(Fit_Problem problem, int order, int concentrations) {
  switch (problem) {
    case Fit_Problem::too_few_concentrations:
      return "回帰に使える濃度が " + number_text(concentrations) + " 種類しかありません（" + number_text(order) +
             "次式には " + number_text(order + 1) + " 種類以上が必要です）";
    case Fit_Problem::singular: return "連立方程式が解けません";
    case Fit_Problem::not_finite: return "重みが極端に大きく、係数を計算できません";
    case Fit_Problem::not_falling:
      return "傾きが 0 以上のため、濃度を読み取れません（競合法ではスタンダードのカウントは濃度とともに下がります）";
    case Fit_Problem::none: break;
  }
  return "";
}

void report(Message_List& messages, const Fit_Outcome& outcome, int weight_type) {
  if (outcome.line != Fit_Problem::none)
    messages.add_for_fit(problem_reason(outcome.line, 1, outcome.concentrations), weight_type, 1);
  if (outcome.cubic != Fit_Problem::none)
    messages.add_for_fit(problem_reason(outcome.cubic, 3, outcome.concentrations), weight_type, 3);
}

void report_distance_weighting(Message_List& messages, const std::string& reason) {
  for (int weight_type : {1, 3})
    for (int order : {1, 3}) messages.add_for_fit(reason, weight_type, order);
}

struct Distance_Factors {
  std::array<double, Max_Standards + 1> factor{};
  std::vector<std::string> reasons;  // why a factor is undefined, naming the standard
};

// D_i = (tubes - 1) / sum (y_ij - cubic(x_i))^2 / 100 of the range about the unweighted cubic
// a0..a3; 0 for a single tube, which has no scatter to weigh by and so leaves the fit.
Distance_Factors distance_factors(const Assay_State& s, Range range, const Coefficients& cubic) {
  const double nsb = s.STD_Data(STD_Row::NSB, STD_Column::Mean_Count);
  const double b0 = s.STD_Data(STD_Row::Zero, STD_Column::Mean_Count);
  Distance_Factors d;
  for (int i = range.first; i <= range.last; ++i) {
    const double x = s.STD_Log_Conc(i);
    const double fitted = cubic[0] + cubic[1] * x + cubic[2] * std::pow(x, 2) + cubic[3] * std::pow(x, 3);
    const int tubes = std::clamp<int>(s.STD_Tube_N(3 + i), 0, Max_Tubes);
    double ss = 0;
    for (int j = 1; j <= tubes; ++j) {
      const double y = logit(clamp_standard_percent(tube_percent(s.STD_Count(3 + i, j), nsb, b0)));
      ss += std::pow(y - fitted, 2);
    }
    const std::string standard = "スタンダード " + number_text(i);
    if (tubes == 0) {
      d.reasons.push_back(standard + " に測定されたチューブがないため、距離の重みが決まりません");
    } else if (tubes > 1) {
      d.factor[i] = (tubes - 1) / ss / 100;
      if (!std::isfinite(d.factor[i]))
        d.reasons.push_back(standard + " のチューブがすべて重み付け無しの3次式の上にあり、距離の重みが決まりません");
    }
  }
  return d;
}

// Distance_Weight of the range from the unweighted cubic in slots 29..32. Returns the reasons
// a factor is undefined; nothing is written then.
std::vector<std::string> set_distance_factors(Assay_State& s, Range range) {
  const Distance_Factors d = distance_factors(
      s, range,
      {s.Reg_Work(Reg_Slot::A0), s.Reg_Work(Reg_Slot::A1), s.Reg_Work(Reg_Slot::A2), s.Reg_Work(Reg_Slot::A3)});
  if (d.reasons.empty())
    for (int i = range.first; i <= range.last; ++i) s.Distance_Weight(i) = d.factor[i];
  return d.reasons;
}

// Why no curve can be fitted to the standards of the range, whatever the weighting: B/B0 not
// defined, a standard without a usable tube (its B/B0 is not known), or every standard at one
// B/B0 (a flat curve, off which no concentration can be read). Empty when they can carry one.
std::vector<std::string> standards_problems(const Assay_State& s, Range range) {
  if (const std::string problem = response_problem(s); !problem.empty()) return {problem};
  std::vector<std::string> problems;
  for (int i = range.first; i <= range.last; ++i)
    if (s.STD_Tube_N(3 + i) == 0)
      problems.push_back("スタンダード " + number_text(i) +
                         " の1本目のチューブに測定値がないため、B/B0 が求まりません");
  if (!problems.empty() || range.last == range.first) return problems;

  const double first = s.STD_Data(3 + range.first, STD_Column::Percent);
  for (int i = range.first + 1; i <= range.last; ++i)
    if (s.STD_Data(3 + i, STD_Column::Percent) != first) return problems;
  problems.push_back("回帰範囲のスタンダードの B/B0 がすべて " + text::Format(first, "##0.0") +
                     "% で同じため、検量線が水平になり濃度を求められません（B0 以上のカウントは 99.5%、NSB "
                     "以下のカウントは 0.5% とみなされます）");
  return problems;
}

// An upper bound of |p(x) - q(x)| over |x| <= reach.
double curve_gap(const Coefficients& p, const Coefficients& q, double reach) {
  double gap = 0;
  for (int k = 3; k >= 0; --k) gap = gap * reach + std::fabs(p[k] - q[k]);
  return gap;
}

bool all_finite(const Coefficients& c) {
  return std::all_of(c.begin(), c.end(), [](double v) { return std::isfinite(v); });
}

// The elimination's coefficients when they are defined and agree with the QR solution,
// otherwise the QR solution; nullopt when the QR finds the problem rank-deficient.
std::optional<Coefficients> choose(const std::optional<Coefficients>& elimination,
                                   const std::optional<Coefficients>& qr, double reach, double y_scale) {
  if (!qr) return std::nullopt;
  if (elimination && all_finite(*elimination) && curve_gap(*elimination, *qr, reach) <= Elimination_Trust * y_scale)
    return elimination;
  return qr;
}

// The points of the range with their weights, and the sums of the weighted normal equations:
// S_k = sum w x^k (S0 is the weight sum), T_k = sum w x^k y.
struct Normal_Sums {
  std::vector<double> xs, ys, ws;
  double S0 = 0, S1 = 0, S2 = 0, S3 = 0, S4 = 0, S5 = 0, S6 = 0;
  double T0 = 0, T1 = 0, T2 = 0, T3 = 0;
};

Normal_Sums weighted_sums(const Assay_State& s) {
  Normal_Sums n;
  const auto range = fit_range(s);
  if (!range) return n;
  for (int i = range->first; i <= range->last; ++i) {
    const double w = s.Distance_Weight(i) * s.Logit_Weight(i);
    const double x = s.STD_Log_Conc(i);
    const double y = s.STD_Data(3 + i, STD_Column::Logit);
    n.xs.push_back(x);
    n.ys.push_back(y);
    n.ws.push_back(w);
    n.S0 += w;
    double* const sums[] = {&n.S1, &n.S2, &n.S3, &n.S4, &n.S5, &n.S6};
    for (int k = 1; k <= 6; ++k) *sums[k - 1] += w * std::pow(x, k);
    double* const moments[] = {&n.T0, &n.T1, &n.T2, &n.T3};
    for (int k = 0; k <= 3; ++k) *moments[k] += w * std::pow(x, k) * y;
  }
  return n;
}

// The closed-form elimination of the normal equations, term by term: Reg_Work slots 1..28
// (S1..S6, T0..T3, E11..E28) and the polynomials where their divisors are not 0.
struct Elimination {
  std::array<double, 29> work{};  // slot 0 unused
  bool finite = false;            // every term, S0 and the determinant D are numbers
  std::optional<Coefficients> cubic;
  std::optional<Coefficients> line;
};

Elimination eliminate(const Normal_Sums& n) {
  const double S0 = n.S0, S1 = n.S1, S2 = n.S2, S3 = n.S3, S4 = n.S4, S5 = n.S5, S6 = n.S6;
  const double T0 = n.T0, T1 = n.T1, T2 = n.T2, T3 = n.T3;
  const double E11 = S3 * S3 - S4 * S2;
  const double E12 = S4 * S3 - S5 * S2;
  const double E13 = T1 * S3 - T0 * S4;
  const double E14 = S3 * S1 - S4 * S0;
  const double E15 = S3 * S2 - S4 * S1;
  const double E16 = T2 * S3 - T0 * S5;
  const double E17 = S3 * S2 - S5 * S0;
  const double E18 = S3 * S3 - S5 * S1;
  const double E19 = T3 * S3 - T0 * S6;
  const double E20 = S4 * S3 - S6 * S1;
  const double E21 = S5 * S3 - S6 * S2;
  const double E22 = S3 * S3 - S6 * S0;
  const double E23 = E14 * E12 - E17 * E11;
  const double E24 = E16 * E11 - E13 * E12;
  const double E25 = E18 * E11 - E15 * E12;
  const double E26 = E19 * E11 - E21 * E13;
  const double E27 = E22 * E11 - E21 * E14;
  const double E28 = E20 * E11 - E21 * E15;
  const double D = E27 * E25 + E23 * E28;

  Elimination e;
  e.work = {0,   S1,  S2,  S3,  S4,  S5,  S6,  T0,  T1,  T2,  T3,  E11, E12, E13, E14,
            E15, E16, E17, E18, E19, E20, E21, E22, E23, E24, E25, E26, E27, E28};
  e.finite = std::all_of(e.work.begin(), e.work.end(), [](double v) { return std::isfinite(v); }) &&
             std::isfinite(S0) && std::isfinite(D);
  if (D != 0 && E25 != 0 && E11 != 0 && S3 != 0) {
    const double a0 = (E26 * E25 - E24 * E28) / D;
    const double a1 = (a0 * E23 + E24) / E25;
    const double a2 = (E13 - a0 * E14 - a1 * E15) / E11;
    const double a3 = (T0 - a0 * S0 - a1 * S1 - a2 * S2) / S3;
    e.cubic = Coefficients{a0, a1, a2, a3};
  }
  const double Dl = S2 * S0 - S1 * S1;
  if (Dl != 0 && S0 != 0) {
    const double b = (T1 * S0 - T0 * S1) / Dl;
    const double a = (T0 - b * S1) / S0;
    e.line = Coefficients{a, b, 0, 0};
  }
  return e;
}

// The polynomials the fit keeps: each elimination result checked against (or replaced by) the
// QR solution, with the reason for any that cannot be determined.
struct Chosen_Polynomials {
  std::optional<Coefficients> line, cubic;
};

Chosen_Polynomials choose_polynomials(const Normal_Sums& n, const Elimination& e, Fit_Outcome& outcome) {
  // Distinct concentrations that carry weight decide which polynomials are determined at all.
  std::vector<double> weighted_x;
  double reach = 1, y_scale = 1;
  for (std::size_t i = 0; i < n.xs.size(); ++i) {
    if (!(n.ws[i] > 0)) continue;
    weighted_x.push_back(n.xs[i]);
    reach = std::max(reach, std::fabs(n.xs[i]) + std::log(2.0));
    y_scale = std::max(y_scale, 1 + std::fabs(n.ys[i]));
  }
  std::sort(weighted_x.begin(), weighted_x.end());
  outcome.concentrations = static_cast<int>(std::unique(weighted_x.begin(), weighted_x.end()) - weighted_x.begin());

  Chosen_Polynomials chosen;
  if (outcome.concentrations < 2) {
    outcome.line = Fit_Problem::too_few_concentrations;
  } else {
    chosen.line = choose(e.line, weighted_polynomial_fit(n.xs, n.ys, n.ws, 1), reach, y_scale);
    if (!chosen.line) outcome.line = Fit_Problem::singular;
  }
  if (outcome.concentrations < 4) {
    outcome.cubic = Fit_Problem::too_few_concentrations;
  } else if (!chosen.line) {
    outcome.cubic = outcome.line;  // the solver starts from the line and falls back on it
  } else {
    chosen.cubic = choose(e.cubic, weighted_polynomial_fit(n.xs, n.ys, n.ws, 3), reach, y_scale);
    if (!chosen.cubic) outcome.cubic = Fit_Problem::singular;
  }
  return chosen;
}

}  // namespace

Fit_Outcome Fit_Weighted(Assay_State& s) {
  Fit_Outcome outcome;
  for (int slot = 1; slot <= 40; ++slot) s.Reg_Work(slot) = 0;
  s.Weight_Sum = 0;
  const int weight_type = s.Weight_Type;
  if (weight_type < 0 || weight_type >= Weight_Count) {
    outcome.line = outcome.cubic = Fit_Problem::too_few_concentrations;
    return outcome;
  }

  const Normal_Sums sums = weighted_sums(s);
  const Elimination elimination = eliminate(sums);
  if (!elimination.finite) {
    outcome.line = outcome.cubic = Fit_Problem::not_finite;
  } else {
    for (int slot = 1; slot <= 28; ++slot) s.Reg_Work(slot) = elimination.work[slot];
    s.Weight_Sum = sums.S0;
    const Chosen_Polynomials chosen = choose_polynomials(sums, elimination, outcome);
    if (chosen.cubic)
      for (int k = 0; k < 4; ++k) s.Reg_Work(Reg_Slot::A0 + k) = (*chosen.cubic)[k];
    if (chosen.line) {
      s.Reg_Work(Reg_Slot::Slope) = (*chosen.line)[1];
      s.Reg_Work(Reg_Slot::Intercept) = (*chosen.line)[0];
      if (!((*chosen.line)[1] < 0)) outcome.line = Fit_Problem::not_falling;
    }
  }

  for (int m = 1; m <= 6; ++m) s.Reg_Coef(weight_type, m) = s.Reg_Work(Reg_Slot::A0 - 1 + m);
  s.Fit_Available(fit_index(weight_type, 1)) = outcome.line == Fit_Problem::none;
  s.Fit_Available(fit_index(weight_type, 3)) = outcome.cubic == Fit_Problem::none;
  return outcome;
}

double logit_correction(double percent) { return std::pow(percent * (100 - percent), 2) / 1e8; }

std::vector<Fit_Point> fit_points(const Assay_State& s, int weight_type) {
  const auto range = fit_range(s);
  if (!range || weight_type < 0 || weight_type >= Weight_Count) return {};
  Distance_Factors distance;
  const bool by_distance = weight_type == 1 || weight_type == 3;
  if (by_distance) {
    distance = distance_factors(s, *range, {s.Reg_Coef(0, 1), s.Reg_Coef(0, 2), s.Reg_Coef(0, 3), s.Reg_Coef(0, 4)});
    if (!distance.reasons.empty()) return {};
  }
  std::vector<Fit_Point> points;
  for (int i = range->first; i <= range->last; ++i) {
    const double d = by_distance ? distance.factor[i] : 1;
    const double g = weight_type >= 2 ? logit_correction(s.STD_Data(3 + i, STD_Column::Percent)) : 1;
    points.push_back({s.STD_Log_Conc(i), s.STD_Data(3 + i, STD_Column::Logit), d * g, d,
                      std::clamp<int>(s.STD_Tube_N(3 + i), 0, Max_Tubes)});
  }
  return points;
}

Regression_Result Regression(Assay_State& s) {
  Message_List messages;
  s.Plot_Stage = Curve_Stage::Curves;
  s.Fit_Available.fill(false);
  s.Reg_Coef.fill(0);
  for (int slot = 1; slot <= 40; ++slot) s.Reg_Work(slot) = 0;
  s.Weight_Sum = 0;

  bool concentrations_valid = true;
  const int n = std::clamp<int>(s.STD_Number, 0, Max_Standards);
  for (int i = 1; i <= n; ++i) {
    const double concentration = s.STD_Data(3 + i, STD_Column::Concentration);
    if (concentration > 0 && std::isfinite(concentration)) {
      s.STD_Log_Conc(i) = std::log(concentration);
    } else {
      s.STD_Log_Conc(i) = 0;
      concentrations_valid = false;
      messages.add("スタンダード " + number_text(i) + " の濃度が 0 以下のため、検量線を計算できません");
    }
  }
  const auto range = fit_range(s);
  if (!range)
    messages.add("回帰の範囲 STD " + number_text(s.Fit_From) + " ～ STD " + number_text(s.Fit_To) +
                 " が正しくありません（1 ～ " + number_text(s.STD_Number) +
                 " の範囲で、始めを終わり以下にしてください）");
  if (!range || !concentrations_valid) return messages.finish();
  const std::vector<std::string> refused = standards_problems(s, *range);
  for (const std::string& problem : refused) messages.add(problem);
  if (!refused.empty()) return messages.finish();

  const Curve_Choice_Keeper keeper(s);

  s.Weight_Type = 0;
  for (int i = range->first; i <= range->last; ++i) {
    s.Logit_Weight(i) = 1;
    s.Distance_Weight(i) = 1;
  }
  report(messages, Fit_Weighted(s), 0);

  // The distance factors come from the unweighted cubic, whatever order the user chose.
  s.Weight_Type = 1;
  std::vector<std::string> distance_problems;
  if (!s.Fit_Available(fit_index(0, 3)))
    distance_problems.push_back("重み付け無しの3次式が計算できないため、距離の重みが決まりません");
  else distance_problems = set_distance_factors(s, *range);
  for (const auto& reason : distance_problems) report_distance_weighting(messages, reason);
  if (distance_problems.empty()) report(messages, Fit_Weighted(s), 1);

  s.Weight_Type = 3;
  for (int i = range->first; i <= range->last; ++i)
    s.Logit_Weight(i) = logit_correction(s.STD_Data(3 + i, STD_Column::Percent));
  if (distance_problems.empty()) report(messages, Fit_Weighted(s), 3);

  s.Weight_Type = 2;
  for (int i = range->first; i <= range->last; ++i) s.Distance_Weight(i) = 1;
  report(messages, Fit_Weighted(s), 2);

  return messages.finish();
}

}  // namespace quorin
