#include "script/jit/NumericCode.h"

#include <bit>
#include <cstdint>

namespace vantrel::jit {

std::string InstructionKey(const Program& program) {
    std::string key;
    for (const Instruction& in : program.code) {
        const auto number = std::bit_cast<uint64_t>(in.number);
        const auto index = static_cast<uint32_t>(in.index);
        key += static_cast<char>(in.code);
        key += static_cast<char>(in.operand);
        key += static_cast<char>(in.op);
        key += static_cast<char>(in.count);
        key.append(reinterpret_cast<const char*>(&index), sizeof index);
        key.append(reinterpret_cast<const char*>(&number), sizeof number);
    }
    return key;
}

} // namespace vantrel::jit
