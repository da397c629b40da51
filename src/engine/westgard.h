#pragma once
// The Westgard rules on the control sera of one substance. Each run's sera are measured in SD
// units from their targets, z = (mean - target mean) / target SD; a run is judged against the
// runs before it:
//   1-2s  one serum beyond 2 SD (|z| > 2): a warning;
//   1-3s  one serum beyond 3 SD;
//   2-2s  one serum beyond 2 SD on the same side in this run and its previous measurement, or
//         two sera of this run beyond 2 SD on the same side;
//   R-4s  in this run one serum above +2 SD and another below -2 SD;
//   4-1s  one serum beyond 1 SD on the same side in its last four measurements;
//   10x   one serum on the same side of its target in its last ten measurements.
// Any rule but 1-2s rejects the run. The limits are strict: a z of exactly 2 breaks nothing. A
// run in which a serum gave no concentration is no measurement of that serum: its earlier and
// later measurements count as consecutive.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/assay_state.h"

namespace quorin::qc {

enum class Rule { One_2s, One_3s, Two_2s, R_4s, Four_1s, Ten_x };
inline constexpr Rule All_Rules[] = {Rule::One_2s, Rule::One_3s, Rule::Two_2s, Rule::R_4s, Rule::Four_1s, Rule::Ten_x};

// "1-2s", "1-3s", "2-2s", "R-4s", "4-1s", "10x".
const char* rule_name(Rule rule);

enum class Verdict {
  No_Target,  // no serum of the run has a target to be judged against
  Accept,
  Warning,  // 1-2s only
  Reject
};

// "目標値なし", "受理", "警告", "却下".
const char* verdict_text(Verdict verdict);

// The z of every serum (1 .. Max_Sera) of one run; none where the serum has no value or no target.
using Z_Row = std::array<std::optional<double>, Max_Sera + 1>;

struct Rule_Hit {
  Rule rule;
  std::vector<int> sera;  // the sera of this run that broke it, in order
};

struct Run_Check {
  Verdict verdict = Verdict::No_Target;
  std::vector<Rule_Hit> hits;  // in the order of All_Rules
  bool fired(Rule rule) const;
  // True when serum s of this run broke any rule.
  bool broke(int serum) const;
};

// Judges run n of the sequence (in run order) against the runs before it.
Run_Check check_run(const std::vector<Z_Row>& z, std::size_t n);

// The rules that serum s broke in the run, joined by the separator ("1-2s, 1-3s"); "" for none.
std::string serum_rules_text(const Run_Check& check, int serum, const char* separator);

// "1-3s (Sera 1), 2-2s (Sera 1, 2)": the rules that fired and their sera; "" for none.
std::string hits_text(const Run_Check& check);

}  // namespace quorin::qc
