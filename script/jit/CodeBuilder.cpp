// The code builder and the names of the functions in its shared objects.
#include "script/jit/CodeBuilderImpl.h"

namespace vantrel::jit {

std::string FunctionName(std::size_t program) {
    std::string name = "numeric";
    name += std::to_string(program);
    return name;
}

std::string ManyName(const std::string& function) {
    return function + "_many";
}

std::string KeptName(const std::string& many) {
    return many + "_kept";
}

CodeBuilder::CodeBuilder(const GccJit& library) : impl_(std::make_unique<Impl>(library)) {}
CodeBuilder::~CodeBuilder() = default;

void CodeBuilder::Add(const Program& program, const std::string& name, BatchVariable batch) {
    impl_->Add(program, name, batch);
}

void CodeBuilder::Carry(const std::string& dependencies) {
    impl_->Carry(dependencies);
}

bool CodeBuilder::CompileTo(const std::string& path) {
    return impl_->CompileTo(path);
}

} // namespace vantrel::jit
