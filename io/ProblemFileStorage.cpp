// Reading a problem file from disk, and writing one so that a failed save keeps the old file.
#include "io/ProblemFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

std::string SystemReason(const std::string& what, int error) {
    return what + ": " + std::strerror(error) + ".";
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

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
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        failed.reason = SystemReason("The file cannot be opened", errno);
        return failed;
    }
    std::string bytes;
    char buffer[8192];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, count);
    if (std::ferror(file.get())) {
        failed.reason = SystemReason("The file cannot be read", errno);
        return failed;
    }
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
