#include "script/jit/GccJitLibrary.h"

#include <dlfcn.h>

namespace vantrel::jit {

namespace {

bool Load(GccJit& library) {
    void* handle = dlopen("libgccjit.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle) return false;
    bool complete = true;
#define VANTREL_GCCJIT_LOOKUP(name)                                                                \
    library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, "gcc_jit_" #name));      \
    complete = complete && library.name != nullptr;
    VANTREL_GCCJIT_FUNCTIONS(VANTREL_GCCJIT_LOOKUP)
#undef VANTREL_GCCJIT_LOOKUP
    return complete; // the library stays loaded for the process's life
}

} // namespace

const GccJit* LoadGccJit() {
    static GccJit library;
    static const bool loaded = Load(library);
    return loaded ? &library : nullptr;
}

} // namespace vantrel::jit

// libgccjit keeps some of its allocations for the process's life; the leak checker of the
// sanitizer build is told so. Without the checker nothing calls this.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgccjit.so\n";
}
