// libFuzzer target: any text given to the engine as an expression and as a statement gives a
// value or a script failure, never a crash, a leak or undefined behaviour.
#include "script/Class1.h"
#include "script/ScriptControl.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Class1 funcs;
    ScriptControl engine;
    engine.AddObject("sh", &funcs, true);
    int events = 0;
    engine.SetErrorHandler([&events] { ++events; });
    try {
        engine.Eval(text);
    } catch (const ScriptFailure&) {
    }
    try {
        engine.ExecuteStatement(text);
    } catch (const ScriptFailure&) {
    }
    try {
        const auto handle = engine.Prepare(text);
        engine.EvaluateNumber(handle);
    } catch (const ScriptFailure&) {
    } catch (const RuntimeError&) {
    }
    return 0;
}
