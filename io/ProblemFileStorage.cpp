// Reading a problem file from disk, and writing one so that a failed save keeps the old file.
#include "io/ProblemFile.h"

#include "io/FileDescriptor.h"

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

std::string SystemReason(const std::string& what, int error) {
    return what + ": " + std::strerror(error) + ".";
}

std::string NotARegularFile(mode_t mode) {
    const char* kind = S_ISDIR(mode)                    ? "a folder"
                       : S_ISFIFO(mode)                 ? "a FIFO"
                       : S_ISSOCK(mode)                 ? "a socket"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                                        : "a special file";
    return std::string("The file cannot be opened: it is ") + kind + ", not a problem file.";
}

std::string TooLarge() {
    return "The file cannot be opened: it is larger than " +
           std::to_string(MaxProblemFileSize / (1024 * 1024)) +
           " MiB, the limit for a problem file.";
}

// Writes all bytes to fd; false with errno set on failure.
bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Creates a new file beside the target, with the target's permissions when it exists (the
// process's usual ones otherwise). Returns the descriptor, or -1 with errno set.
int CreateTemporary(const std::string& target, std::string& name) {
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    // A short name of its own, so that a long target name cannot make it too long.
    std::filesystem::path folder = std::filesystem::path(target).parent_path();
    if (folder.empty()) folder = ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = (folder /
                (".vantrel-save-" + std::to_string(::getpid()) + "-" + std::to_string(attempt)))
                   .string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (exists) ::fchmod(fd, existing.st_mode & 07777);
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

// The file that a save replaces: the one a symbolic link points to, so that the link stays.
std::string ReplacedFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

} // namespace

ReadOutcome ReadProblemFile(const std::string& path) {
    ReadOutcome failed;
    failed.status = ReadOutcome::Status::Failed;
    // The type is checked before opening, so that a device is never opened; the descriptor is
    // opened without blocking (a FIFO without a writer) and checked again.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        failed.reason = SystemReason("The file cannot be opened", errno);
        return failed;
    }
    if (!S_ISREG(info.st_mode)) {
        failed.reason = NotARegularFile(info.st_mode);
        return failed;
    }
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    const int fd = file.get();
    if (fd < 0) {
        failed.reason = SystemReason("The file cannot be opened", errno);
        return failed;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        failed.reason = NotARegularFile(info.st_mode);
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

std::string WriteProblemFile(const std::string& path, const ProblemToWrite& problem) {
    const std::string target = ReplacedFile(path);
    std::string temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) return SystemReason("The file cannot be created", errno);

    const std::string bytes = EncodeProblem(problem);
    bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && std::rename(temporary.c_str(), target.c_str()) == 0) return "";
    if (written) error = errno;
    ::unlink(temporary.c_str());
    return SystemReason("The file cannot be written", error);
}

} // namespace vantrel
