// Reading a problem file from disk, and writing one through the careful replacement.
#include "io/ProblemFile.h"

#include "io/FileDescriptor.h"
#include "io/FileReasons.h"
#include "io/FileReplacement.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

constexpr const char* CannotOpen = "The file cannot be opened";

std::string TooLarge() {
    return std::string(CannotOpen) + ": it is larger than " +
           std::to_string(MaxProblemFileSize / (1024 * 1024)) +
           " MiB, the limit for a problem file.";
}

} // namespace

ReadOutcome ReadProblemFile(const std::string& path) {
    ReadOutcome failed;
    failed.status = ReadOutcome::Status::Failed;
    // The type is checked before opening, so that a device is never opened; the descriptor is
    // opened without blocking (a FIFO without a writer) and checked again.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        failed.reason = SystemReason(CannotOpen, errno);
        return failed;
    }
    if (!S_ISREG(info.st_mode)) {
        failed.reason = NotARegularFile(CannotOpen, info.st_mode);
        return failed;
    }
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    const int fd = file.get();
    if (fd < 0) {
        failed.reason = SystemReason(CannotOpen, errno);
        return failed;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        failed.reason = NotARegularFile(CannotOpen, info.st_mode);
        return failed;
    }
    if (info.st_size > static_cast<off_t>(MaxProblemFileSize)) {
        failed.reason = TooLarge();
        return failed;
    }
    // The file may grow while it is read: one byte beyond the limit tells.
    std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t count = 0;
    for (;;) {
        if (count == bytes.size()) {
            if (count > MaxProblemFileSize) {
                failed.reason = TooLarge();
                return failed;
            }
            bytes.resize(std::min(MaxProblemFileSize + 1, 2 * count));
        }
        const ssize_t got = ::read(fd, bytes.data() + count, bytes.size() - count);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            failed.reason = SystemReason("The file cannot be read", errno);
            return failed;
        }
        if (got == 0) break;
        count += static_cast<std::size_t>(got);
    }
    bytes.resize(count);
    return DecodeProblem(bytes);
}

namespace {

// A quoted field ends at the next double quote, so a text holding one would read back cut short:
// such a problem is refused before anything is written.
std::string UnquotableField(const ProblemToWrite& problem) {
    if (!QuotedTextFitsFile(problem.integrand)) return "the integrand";
    for (const LevelRecord& level : problem.levels) {
        if (!QuotedTextFitsFile(level.lower)) return "the lower limit of " + level.name;
        if (!QuotedTextFitsFile(level.upper)) return "the upper limit of " + level.name;
    }
    return {};
}

} // namespace

std::string WriteProblemFile(const std::string& path, const ProblemToWrite& problem) {
    if (const std::string field = UnquotableField(problem); !field.empty())
        return "The problem cannot be saved: " + field +
               " holds a double quote, which a problem file cannot carry";
    return ReplaceFileContents(path, EncodeProblem(problem));
}

} // namespace vantrel
