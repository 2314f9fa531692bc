// The build without libgccjit: nothing is compiled, the evaluator runs every program.
#include "script/jit/NumericCode.h"

namespace vantrel::jit {

bool Compilable(const Program&) {
    return false;
}

std::unique_ptr<NumericCode> Compile(std::span<const Program* const>,
                                     std::span<const BatchVariable>, const CodeCache&) {
    return nullptr;
}

std::unique_ptr<NumericCode> LoadCompiled(std::span<const Program* const>,
                                          std::span<const BatchVariable>, const CodeCache&) {
    return nullptr;
}

} // namespace vantrel::jit
