// Machine code kept in files, so that a set of programs compiled once is loaded rather than
// compiled by every later computation of the same executable: the next run of a problem, each
// process of a run on several, the window's next Integrate. A file is found by a hash of what
// its code depends on (the executable's build id and the programs' instructions) and is taken
// only where the whole of that, which the code carries, matches: a file of another build, a
// collision of hashes or a damaged file is compiled again and replaced.
#pragma once

#include <cstddef>
#include <string>

namespace vantrel::jit {

class CodeCache {
public:
    // The folder VANTREL_CODE_CACHE names (set but empty: no files kept), else
    // $XDG_CACHE_HOME/vantrel/code, else $HOME/.cache/vantrel/code; none where the executable has
    // no build id or the folder cannot be made.
    static const CodeCache& ForThisProcess();
    // Files in folder, for code that depends on identity besides its programs; no folder: none.
    CodeCache(std::string folder, std::string identity);

    bool Keeps() const { return !folder_.empty(); }
    // What the code of programs of that key depends on, whole: the file must carry it.
    std::string Dependencies(const std::string& key) const { return identity_ + key; }
    // The file that holds the code of programs of that key.
    std::string PathOf(const std::string& key) const;
    // A file of its own to compile into, in the folder.
    std::string TemporaryPath() const;
    // Moves the compiled file to its place; the files used least recently beyond Capacity go.
    bool Keep(const std::string& temporary, const std::string& key) const;
    // Marks a file as just used.
    static void Touch(const std::string& path);

    static constexpr std::size_t Capacity = 256;

private:
    std::string folder_, identity_;
};

} // namespace vantrel::jit
