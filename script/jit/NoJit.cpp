// The build without libgccjit: nothing is compiled, the evaluator runs every program.
#include "script/jit/NumericCode.h"

namespace vantrel::jit {

bool Compilable(const Program&) {
    return false;
}

std::unique_ptr<NumericCode> Compile(std::span<const Program* const>) {
    return nullptr;
}

} // namespace vantrel::jit
