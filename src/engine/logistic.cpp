#include "engine/logistic.h"

#include <cmath>

#include "engine/response.h"

namespace quorin {

namespace {

double sigmoid(double t) { return t >= 0 ? 1 / (1 + std::exp(-t)) : std::exp(t) / (1 + std::exp(t)); }
// ln(1 + e^t) without overflow.
double softplus(double t) { return t > 0 ? t + std::log1p(std::exp(-t)) : std::log1p(std::exp(t)); }

}  // namespace

std::string model_name(int kind) {
  switch (kind) {
    case Logit_Log: return "ロジット・ログ";
    case Four_PL: return "4PL";
    case Five_PL: return "5PL";
    default: return "";
  }
}

std::string model_weight_name(int weighting) {
  switch (weighting) {
    case 0: return "重み付け無し";
    case 1: return "計数統計";
    case 2: return "CV一定";
    default: return "";
  }
}

double Logistic::response(double x) const {
  if (x == 0) return A;
  const double u = std::pow(x / C, B);
  return kind == Five_PL ? D + (A - D) / std::pow(1 + u, G) : D + (A - D) / (1 + u);
}

Logistic_Gradient Logistic::gradient(double x) const {
  if (x == 0) return {A, {1, 0, 0, 0, 0}};
  const double log_ratio = std::log(x) - std::log(C);
  const double t = B * log_ratio;
  const double span = A - D;
  if (kind == Five_PL) {
    const double soft = softplus(t);
    const double share = std::exp(-G * soft);               // (1 + u)^-G
    const double slope = std::exp(t - (G + 1) * soft) * G;  // G u (1 + u)^(-G-1)
    return {D + span * share,
            {share, -span * slope * log_ratio, span * slope * B, 1 - share, -span * G * share * soft}};
  }
  const double share = sigmoid(-t);               // 1 / (1 + u)
  const double slope = sigmoid(t) * sigmoid(-t);  // u / (1 + u)^2
  return {D + span * share, {share, -span * slope * log_ratio, span * slope * B, 1 - share, 0}};
}

namespace {

// (x/C)^B at the response p of the curve, and (1 + (x/C)^B)^G - 1 (the same for the 4PL); nullopt
// unless p lies strictly between D and A.
struct Powers {
  double inner;
  double above;
};

std::optional<Powers> powers_at(const Logistic& c, double p) {
  if (!((p - c.D) * (c.A - p) > 0)) return std::nullopt;
  // (A - D)/(p - D) - 1 written as (A - p)/(p - D), which keeps its digits near the top.
  const double above = (c.A - p) / (p - c.D);
  return Powers{c.kind == Five_PL ? std::expm1(std::log1p(above) / c.G) : above, above};
}

}  // namespace

std::optional<double> Logistic::concentration(double p) const {
  const auto q = powers_at(*this, p);
  if (!q) return std::nullopt;
  return concentration_of(std::log(C) + std::log(q->inner) / B);
}

std::optional<Logistic_Read_Off> Logistic::read_off(double p) const {
  const auto q = powers_at(*this, p);
  if (!q) return std::nullopt;
  const double log_ratio = std::log(q->inner) / B;
  Logistic_Read_Off r;
  r.log_x = std::log(C) + log_ratio;
  if (!concentration_of(r.log_x)) return std::nullopt;
  // With u = (x/C)^B: share = (1 + u)^-G = 1 / (1 + above), slope = G u (1 + u)^(-G-1).
  const double span = A - D;
  const double share = 1 / (1 + q->above);
  const double slope = (kind == Five_PL ? G : 1) * share * (q->inner / (1 + q->inner));
  const double by_g = kind == Five_PL ? -span * share * std::log1p(q->above) : 0;
  r.gradient = {D + span * share, {share, -span * slope * log_ratio, span * slope * B, 1 - share, by_g}};
  return r;
}

double Logistic::ed50() const { return kind == Five_PL ? C * std::pow(std::pow(2.0, 1 / G) - 1, 1 / B) : C; }

double logit_log_response(const std::array<double, 4>& c, double x) {
  if (x == 0) return 100;
  const double l = std::log(x);
  const double y = c[0] + c[1] * l + c[2] * l * l + c[3] * l * l * l;
  return 100 / (1 + std::exp(-y));
}

}  // namespace quorin
