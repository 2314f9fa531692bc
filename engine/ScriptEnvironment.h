// The added functions and constants of the expression language, given to an engine.
#pragma once

#include "script/Class1.h"
#include "script/ScriptControl.h"

#include <cstdint>

namespace vantrel {

// Adds funcs as "sh" with its members global and defines halfpi, pi and e through the engine.
// A failing function of funcs also stores its error number in ierr.
void SetUpScriptEnvironment(ScriptControl& engine, Class1& funcs, int32_t& ierr);

} // namespace vantrel
