#include "engine/ScriptEnvironment.h"

namespace vantrel {

void SetUpScriptEnvironment(ScriptControl& engine, Class1& funcs, int32_t& ierr) {
    funcs.SetErrorRecorder([&ierr](int32_t number) { ierr = number; });
    engine.AddObject("sh", &funcs, true);
    engine.ExecuteStatement("halfpi = Atn(1) * 2");
    engine.ExecuteStatement("pi = Atn(1) * 4");
    engine.ExecuteStatement("e = Exp(1)");
}

} // namespace vantrel
