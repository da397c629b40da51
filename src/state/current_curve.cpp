#include "state/current_curve.h"

#include "state/basis.h"
#include "state/program.h"

namespace quorin {

const Curve_Outcome& Current_Curve(Program& program) {
  auto& product = program.curve_in_force;
  const std::uint64_t revision = basis_digest(program.state, Basis::Choice);
  if (product.revision != revision) product = {revision, make_curve_in_force(program.state)};
  return product.outcome;
}

}  // namespace quorin
