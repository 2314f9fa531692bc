// A code cache of the bench's own, empty at the start and removed at the end: the bench's first
// computation of a problem compiles its machine code, the later ones load it, as later
// computations of a problem do for a user.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vantrel {

class FreshCodeCache {
public:
    FreshCodeCache()
        : folder_((std::filesystem::temp_directory_path() /
                   ("vantrel-bench-" + std::to_string(getpid())))
                      .string()) {
        setenv("VANTREL_CODE_CACHE", folder_.c_str(), 1);
    }
    ~FreshCodeCache() {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
    FreshCodeCache(const FreshCodeCache&) = delete;
    FreshCodeCache& operator=(const FreshCodeCache&) = delete;

private:
    std::string folder_;
};

} // namespace vantrel
