#include "engine/westgard.h"

#include <algorithm>
#include <cmath>

#include "text/format.h"

namespace quorin::qc {

namespace {

// The last `count` values of serum s up to run n, newest first; fewer when it has fewer.
std::vector<double> last_values(const std::vector<Z_Row>& z, std::size_t n, int s, std::size_t count) {
  std::vector<double> values;
  for (std::size_t r = n + 1; r-- > 0 && values.size() < count;)
    if (z[r][s]) values.push_back(*z[r][s]);
  return values;
}

// True when `count` values are there and all lie beyond `limit` on one side.
bool all_beyond(const std::vector<double>& values, std::size_t count, double limit) {
  if (values.size() < count) return false;
  return std::all_of(values.begin(), values.end(), [limit](double v) { return v > limit; }) ||
         std::all_of(values.begin(), values.end(), [limit](double v) { return v < -limit; });
}

}  // namespace

const char* rule_name(Rule rule) {
  switch (rule) {
    case Rule::One_2s: return "1-2s";
    case Rule::One_3s: return "1-3s";
    case Rule::Two_2s: return "2-2s";
    case Rule::R_4s: return "R-4s";
    case Rule::Four_1s: return "4-1s";
    case Rule::Ten_x: return "10x";
  }
  return "";
}

const char* verdict_text(Verdict verdict) {
  switch (verdict) {
    case Verdict::No_Target: return "目標値なし";
    case Verdict::Accept: return "受理";
    case Verdict::Warning: return "警告";
    case Verdict::Reject: return "却下";
  }
  return "";
}

bool Run_Check::fired(Rule rule) const {
  return std::any_of(hits.begin(), hits.end(), [rule](const Rule_Hit& hit) { return hit.rule == rule; });
}

bool Run_Check::broke(int serum) const {
  return std::any_of(hits.begin(), hits.end(), [serum](const Rule_Hit& hit) {
    return std::find(hit.sera.begin(), hit.sera.end(), serum) != hit.sera.end();
  });
}

Run_Check check_run(const std::vector<Z_Row>& z, std::size_t n) {
  std::array<std::vector<int>, std::size(All_Rules)> broken;
  auto mark = [&broken](Rule rule, int serum) { broken[static_cast<std::size_t>(rule)].push_back(serum); };
  std::vector<int> above, below;  // the sera of this run beyond +2 and -2 SD
  bool judged = false;
  for (int s = 1; s <= Max_Sera; ++s) {
    if (!z[n][s]) continue;
    judged = true;
    const double value = *z[n][s];
    if (std::abs(value) > 2) mark(Rule::One_2s, s);
    if (std::abs(value) > 3) mark(Rule::One_3s, s);
    if (value > 2) above.push_back(s);
    if (value < -2) below.push_back(s);
    const std::vector<double> last = last_values(z, n, s, 10);
    if (all_beyond({last.begin(), last.begin() + std::min<std::size_t>(2, last.size())}, 2, 2)) mark(Rule::Two_2s, s);
    if (all_beyond({last.begin(), last.begin() + std::min<std::size_t>(4, last.size())}, 4, 1)) mark(Rule::Four_1s, s);
    if (all_beyond(last, 10, 0)) mark(Rule::Ten_x, s);
  }
  for (const auto* side : {&above, &below})
    if (side->size() >= 2)
      for (int s : *side) mark(Rule::Two_2s, s);
  if (!above.empty() && !below.empty()) {
    for (int s : above) mark(Rule::R_4s, s);
    for (int s : below) mark(Rule::R_4s, s);
  }

  Run_Check check;
  for (Rule rule : All_Rules) {
    std::vector<int>& sera = broken[static_cast<std::size_t>(rule)];
    if (sera.empty()) continue;
    std::sort(sera.begin(), sera.end());
    sera.erase(std::unique(sera.begin(), sera.end()), sera.end());
    check.hits.push_back({rule, std::move(sera)});
  }
  if (!judged) check.verdict = Verdict::No_Target;
  else if (check.hits.empty()) check.verdict = Verdict::Accept;
  else if (check.hits.size() == 1 && check.hits[0].rule == Rule::One_2s) check.verdict = Verdict::Warning;
  else check.verdict = Verdict::Reject;
  return check;
}

std::string serum_rules_text(const Run_Check& check, int serum, const char* separator) {
  std::string text;
  for (const Rule_Hit& hit : check.hits)
    if (std::find(hit.sera.begin(), hit.sera.end(), serum) != hit.sera.end())
      text += (text.empty() ? "" : separator) + std::string(rule_name(hit.rule));
  return text;
}

std::string hits_text(const Run_Check& check) {
  std::string text;
  for (const Rule_Hit& hit : check.hits) {
    text += text.empty() ? "" : ", ";
    text += std::string(rule_name(hit.rule)) + " (Sera";
    for (std::size_t i = 0; i < hit.sera.size(); ++i) text += (i == 0 ? " " : ", ") + text::bare_text(hit.sera[i]);
    text += ")";
  }
  return text;
}

}  // namespace quorin::qc
