// The computations behind the result tables. Each keeps, beside its results, the digest of what
// it computed them from (state/basis.h) and runs again only when that has changed.
#include "state/current_results.h"
#include "engine/fit_choice.h"
#include "engine/fitness.h"
#include "engine/result_curve.h"
#include "engine/samples.h"
#include "state/basis.h"
#include "state/current_curve.h"
#include "state/program.h"

namespace quorin {

namespace {

enum class Refusal { none, no_curve, curve_outdated, fit_unavailable, no_dilution_factor };

Refusal refusal(const Assay_State& s, Result_Kind kind) {
  if (s.Curve_Basis == 0) return Refusal::no_curve;
  if (s.Curve_Basis != basis_digest(s, Basis::Curve)) return Refusal::curve_outdated;
  // A 4PL or 5PL is fitted when the curve in force is made; whether it can be is known only then.
  if (!model_in_use(s) && !fit_available(s, s.Weight_Type, s.Reg_Order)) return Refusal::fit_unavailable;
  if (kind == Result_Kind::Sample && s.Sample_Number > 0 && !dilution_factor_valid(s))
    return Refusal::no_dilution_factor;
  return Refusal::none;
}

std::string message_of(const Assay_State& s, Refusal refusal) {
  switch (refusal) {
    case Refusal::no_curve: return "検量線がまだ計算されていません。検量線表示で検量線を表示してください";
    case Refusal::curve_outdated:
      return "検量線を計算した後に、スタンダードの測定値、濃度または回帰範囲が変わりました。"
             "検量線の画面で検量線を描き直してください";
    case Refusal::fit_unavailable: return selected_fit_unavailable_message(s);
    case Refusal::no_dilution_factor:
      return "希釈係数が入力されていないため、サンプル値を計算できません。条件設定で０より大きい希釈係数を入力してくだ"
             "さい";
    case Refusal::none: break;
  }
  return "";
}

void compute(Assay_State& s, Result_Kind kind, const Curve_In_Force& curve) {
  switch (kind) {
    case Result_Kind::Standard_Conc: return Fitness_Examination(s, curve);
    case Result_Kind::Sera: return Control_Sera(s, curve);
    case Result_Kind::Sample: Assay_Samples(s, curve); return;
    case Result_Kind::Standard_Data: break;
  }
}

}  // namespace

bool Bring_Table_Up_To_Date(Program& program, Result_Kind kind) {
  Assay_State& s = program.state;
  if (const Refusal why = refusal(s, kind); why != Refusal::none) {
    program.platform.message(message_of(s, why));
    return false;
  }
  const std::uint64_t basis = basis_digest(s, Basis::Results);
  std::uint64_t& computed_from = s.Result_Basis(static_cast<std::size_t>(kind));
  if (computed_from == basis) return true;
  const Curve_Outcome& curve = Current_Curve(program);
  if (!curve.curve) {
    program.platform.message(curve.refusal);
    return false;
  }
  compute(s, kind, *curve.curve);
  computed_from = basis;
  return true;
}

bool Run_Fitness_Examination(Program& program) { return Bring_Table_Up_To_Date(program, Result_Kind::Standard_Conc); }
bool Run_Control_Sera(Program& program) { return Bring_Table_Up_To_Date(program, Result_Kind::Sera); }
bool Run_Assay_Samples(Program& program) { return Bring_Table_Up_To_Date(program, Result_Kind::Sample); }

}  // namespace quorin
