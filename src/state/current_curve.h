#pragma once
// The curve in force for the revision in force: made once when what it depends on has changed
// (Basis::Choice), and handed as it is to every read-off until then.

#include "engine/result_curve.h"

namespace quorin {

class Program;

const Curve_Outcome& Current_Curve(Program& program);

}  // namespace quorin
