// Machine code of numeric programs in shared objects: made by the code builder, kept in the code
// cache, and loaded with the dynamic loader, which also fills the code's tables of functions.
#include "script/jit/NumericCode.h"

#include "script/jit/Callees.h"
#include "script/jit/CodeBuilder.h"
#include "script/jit/CodeCache.h"
#include "script/jit/GccJitLibrary.h"

#include <dlfcn.h>
#include <link.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace vantrel::jit {

namespace {

// A loaded shared object of code.
class LoadedCode final : public NumericCode {
public:
    explicit LoadedCode(void* handle) : handle_(handle) {}
    ~LoadedCode() override { dlclose(handle_); }
    NumericFunction Function(std::size_t program) const override { return functions_[program]; }
    ManyFunction Many(std::size_t program) const override { return many_[program]; }
    std::size_t KeptSquaresOf(std::size_t program) const override { return kept_[program]; }

    // The object's data symbol of that name, where it has exactly size bytes.
    void* Data(const char* name, std::size_t size) const {
        void* at = dlsym(handle_, name);
        Dl_info info;
        void* entry = nullptr;
        if (!at || !dladdr1(at, &info, &entry, RTLD_DL_SYMENT)) return nullptr;
        const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
        if (!symbol || symbol->st_size != size) return nullptr;
        return at;
    }
    void* Code(const std::string& name) const { return dlsym(handle_, name.c_str()); }
    std::vector<NumericFunction> functions_;
    std::vector<ManyFunction> many_;
    std::vector<std::size_t> kept_;

private:
    void* handle_;
};

// Fills a table of the loaded code where it does not hold the function yet: the code of a file
// loaded before shares the table, and may be running.
template <class Function, std::size_t N>
bool Fill(const LoadedCode& code, const char* name, const std::array<Function, N>& callees) {
    auto* table = static_cast<Function*>(code.Data(name, sizeof(Function) * N));
    if (!table) return false;
    for (std::size_t i = 0; i < N; ++i) {
        std::atomic_ref<Function> entry(table[i]);
        if (entry.load(std::memory_order_relaxed) != callees[i])
            entry.store(callees[i], std::memory_order_relaxed);
    }
    return true;
}

// The batch variable of each program: none where batches gives none.
BatchVariable BatchOf(std::span<const BatchVariable> batches, std::size_t program) {
    return program < batches.size() ? batches[program] : BatchVariable{};
}

// The code of the programs from the file, where it carries exactly these dependencies.
std::unique_ptr<NumericCode> Load(const std::string& path, const std::string& dependencies,
                                  std::span<const Program* const> programs,
                                  std::span<const BatchVariable> batches) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    auto code = std::make_unique<LoadedCode>(handle);
    const void* key = code->Data("code_key", dependencies.size());
    if (!key || std::memcmp(key, dependencies.data(), dependencies.size()) != 0 ||
        !Fill(*code, "unary_callees", UnaryCallees) ||
        !Fill(*code, "binary_callees", BinaryCallees))
        return nullptr;
    code->functions_.assign(programs.size(), nullptr);
    code->many_.assign(programs.size(), nullptr);
    code->kept_.assign(programs.size(), 0);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        if (!Compilable(*programs[i])) continue;
        code->functions_[i] = reinterpret_cast<NumericFunction>(code->Code(FunctionName(i)));
        if (!code->functions_[i]) return nullptr;
        if (BatchOf(batches, i).kind == BatchVariable::None) continue;
        const std::string many = ManyName(FunctionName(i));
        code->many_[i] = reinterpret_cast<ManyFunction>(code->Code(many));
        const void* kept = code->Data(KeptName(many).c_str(), sizeof(std::size_t));
        if (!code->many_[i] || !kept) return nullptr;
        std::memcpy(&code->kept_[i], kept, sizeof(std::size_t));
        if (code->kept_[i] > KeptSquares) return nullptr;
    }
    return code;
}

// What the code of the programs depends on besides the executable; empty where none of them is
// compilable.
std::string Key(std::span<const Program* const> programs, std::span<const BatchVariable> batches) {
    std::string key;
    bool any = false;
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const bool compilable = Compilable(*programs[i]);
        const std::string instructions = compilable ? InstructionKey(*programs[i]) : std::string();
        const BatchVariable batch = BatchOf(batches, i);
        key += std::to_string(instructions.size()) + ":" + instructions;
        key += std::to_string(batch.kind) + ":" + std::to_string(batch.index) + ";";
        any = any || compilable;
    }
    return any ? key : std::string();
}

// Compiles into a file, loads it and hands the file to the cache, or removes it.
std::unique_ptr<NumericCode> Build(const GccJit& library, std::span<const Program* const> programs,
                                   std::span<const BatchVariable> batches, const std::string& key,
                                   const CodeCache& cache, const std::string& path) {
    CodeBuilder builder(library);
    for (std::size_t i = 0; i < programs.size(); ++i)
        if (Compilable(*programs[i]))
            builder.Add(*programs[i], FunctionName(i), BatchOf(batches, i));
    builder.Carry(cache.Dependencies(key));
    std::unique_ptr<NumericCode> code;
    if (builder.CompileTo(path)) code = Load(path, cache.Dependencies(key), programs, batches);
    std::error_code error;
    if (!code || !cache.Keeps() || !cache.Keep(path, key)) std::filesystem::remove(path, error);
    return code;
}

} // namespace

std::unique_ptr<NumericCode> LoadCompiled(std::span<const Program* const> programs,
                                          std::span<const BatchVariable> batches,
                                          const CodeCache& cache) {
    const std::string key = Key(programs, batches);
    if (key.empty() || !cache.Keeps()) return nullptr;
    const std::string path = cache.PathOf(key);
    auto code = Load(path, cache.Dependencies(key), programs, batches);
    if (code) CodeCache::Touch(path);
    return code;
}

std::unique_ptr<NumericCode> Compile(std::span<const Program* const> programs,
                                     std::span<const BatchVariable> batches,
                                     const CodeCache& cache) {
    if (auto code = LoadCompiled(programs, batches, cache)) return code;
    const std::string key = Key(programs, batches);
    const GccJit* library = key.empty() ? nullptr : LoadGccJit();
    if (!library) return nullptr;
    if (cache.Keeps()) return Build(*library, programs, batches, key, cache, cache.TemporaryPath());
    // Without a cache the file lives in a folder of its own until it is loaded.
    std::error_code error;
    std::string folder = (std::filesystem::temp_directory_path(error) / "vantrel-XXXXXX").string();
    if (error || !mkdtemp(folder.data())) return nullptr;
    auto code = Build(*library, programs, batches, key, cache, folder + "/code.so");
    std::filesystem::remove(folder, error);
    return code;
}

} // namespace vantrel::jit
