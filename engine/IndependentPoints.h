// Which levels' points are pure functions of the outer variables, so that a point's value and
// what it leaves behind do not depend on what was computed before it: such points may be
// computed ahead on other threads, and a level's midpoint needs its value only once.
//
// A point of level L is independent when every limit of level L and below reads only variables
// of levels above its own (fixed while the point is computed) and nothing evaluated inside reads
// a value left over from an earlier point or calls a function whose value depends on earlier
// calls. The integrand sees every variable freshly assigned.
#pragma once

#include "engine/Dimension.h"
#include "script/ScriptControl.h"

#include <vector>

namespace vantrel {

// By level, level 0 first; an independent level's inner levels are independent as well.
std::vector<bool> IndependentLevels(ScriptControl& engine, const Dimension& d,
                                    const std::vector<ScriptControl::ExprHandle>& lower,
                                    const std::vector<ScriptControl::ExprHandle>& upper,
                                    ScriptControl::ExprHandle integrand);

} // namespace vantrel
