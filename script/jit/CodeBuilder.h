// Machine code for numeric programs through libgccjit: the functions of the programs, written
// as a shared object that carries what it was made from.
#pragma once

#include "script/Program.h"
#include "script/jit/GccJitLibrary.h"
#include "script/jit/NumericCode.h"

#include <array>
#include <memory>
#include <string>

namespace vantrel::jit {

// The names of a program's functions in the shared object, by its place in the list.
std::string FunctionName(std::size_t program);
std::string ManyName(const std::string& function);
// The count of squares that a batch function keeps at a point (a std::size_t).
std::string KeptName(const std::string& many);

class CodeBuilder {
public:
    explicit CodeBuilder(const GccJit& library);
    ~CodeBuilder();
    CodeBuilder(const CodeBuilder&) = delete;
    CodeBuilder& operator=(const CodeBuilder&) = delete;

    // Adds the function of one compilable program, and its batch function over batch unless
    // that is None.
    void Add(const Program& program, const std::string& name, BatchVariable batch);
    // The whole of what the code depends on, as the shared object's "code_key".
    void Carry(const std::string& dependencies);
    // Writes the shared object to path; false where compiling failed.
    bool CompileTo(const std::string& path);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vantrel::jit
