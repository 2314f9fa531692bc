#include "script/jit/CodeCache.h"

#include "script/Processor.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace vantrel::jit {

namespace {

namespace fs = std::filesystem;

// FNV-1a over the text, 64 bits: the file name, not the proof of identity.
std::string Hash(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

// The GNU build id of the loaded object that holds this code: the executable, which the
// library is linked into; empty where the linker wrote none.
std::string BuildId() {
    struct Search {
        uintptr_t address;
        std::string id;
    } search{reinterpret_cast<uintptr_t>(&BuildId), {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto& s = *static_cast<Search*>(data);
            bool holds = false;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& ph = info->dlpi_phdr[i];
                const uintptr_t start = info->dlpi_addr + ph.p_vaddr;
                holds = holds || (ph.p_type == PT_LOAD && s.address >= start &&
                                  s.address < start + ph.p_memsz);
            }
            if (!holds) return 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& ph = info->dlpi_phdr[i];
                if (ph.p_type != PT_NOTE) continue;
                auto at = reinterpret_cast<const char*>(info->dlpi_addr + ph.p_vaddr);
                const char* const end = at + ph.p_memsz;
                while (at + sizeof(ElfW(Nhdr)) <= end) {
                    ElfW(Nhdr) note;
                    std::memcpy(&note, at, sizeof note);
                    const char* name = at + sizeof note;
                    const char* desc = name + ((note.n_namesz + 3) & ~3u);
                    if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 &&
                        std::memcmp(name, "GNU", 4) == 0 && desc + note.n_descsz <= end)
                        s.id.assign(desc, note.n_descsz);
                    at = desc + ((note.n_descsz + 3) & ~3u);
                }
            }
            return 1;
        },
        &search);
    return search.id;
}

std::string Folder() {
    if (const char* chosen = std::getenv("VANTREL_CODE_CACHE")) return chosen;
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/vantrel/code";
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return std::string(home) + "/.cache/vantrel/code";
    return {};
}

// The folder, made if need be; empty unless it is the user's own and nobody else may write there:
// its files are loaded as code. A folder that is there is only looked at: the first call into the
// library's folder functions costs a process a tenth of a millisecond, before its first code.
std::string Prepared(const std::string& folder) {
    if (folder.empty()) return {};
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0) {
        std::error_code error;
        if (fs::create_directories(folder, error))
            fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
        if (stat(folder.c_str(), &status) != 0) return {};
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != geteuid() ||
        (status.st_mode & (S_IWGRP | S_IWOTH)) != 0 || access(folder.c_str(), W_OK) != 0)
        return {};
    return folder;
}

} // namespace

// Never destroyed: the compiler's thread may still load code while the process exits.
const CodeCache& CodeCache::ForThisProcess() {
    static const CodeCache* const cache = [] {
        const std::string id = BuildId();
        // Code made on a processor with an fma instruction or wider vectors uses them.
        return new CodeCache(id.empty() ? std::string() : Folder(),
                             id + (HasFmaInstruction() ? "+fma" : "") +
                                 (HasAvx2Instructions() ? "+avx2" : "") +
                                 (HasAvx512Instructions() ? "+avx512" : ""));
    }();
    return *cache;
}

CodeCache::CodeCache(std::string folder, std::string identity)
    : folder_(Prepared(folder)), identity_(std::move(identity)) {}

std::string CodeCache::PathOf(const std::string& key) const {
    return folder_ + "/" + Hash(Dependencies(key)) + ".so";
}

std::string CodeCache::TemporaryPath() const {
    static std::atomic<unsigned> count{0};
    return folder_ + "/" + std::to_string(getpid()) + "-" + std::to_string(count++) + ".tmp";
}

bool CodeCache::Keep(const std::string& temporary, const std::string& key) const {
    std::error_code error;
    fs::rename(temporary, PathOf(key), error); // in one step: a reader sees one file or none
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    std::vector<std::pair<fs::file_time_type, fs::path>> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_, error))
        files.emplace_back(entry.last_write_time(error), entry.path());
    if (files.size() > Capacity) {
        std::sort(files.begin(), files.end());
        for (std::size_t i = 0; i < files.size() - Capacity; ++i)
            fs::remove(files[i].second, error);
    }
    return true;
}

void CodeCache::Touch(const std::string& path) {
    utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
}

} // namespace vantrel::jit
