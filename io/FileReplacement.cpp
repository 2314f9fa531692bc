#include "io/FileReplacement.h"

#include "io/FileDescriptor.h"
#include "io/FileReasons.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace vantrel {

namespace {

namespace fs = std::filesystem;

constexpr const char* CannotWrite = "The file cannot be written";
constexpr const char* TemporaryPrefix = ".vantrel-save-";
constexpr const char* CopyPrefix = ".vantrel-copy-";

std::function<bool(SaveStep)>& FaultHook() {
    static std::function<bool(SaveStep)> hook;
    return hook;
}

// Whether the step may go ahead; a step failed by the hook fails with EIO.
bool Proceed(SaveStep step) {
    if (!FaultHook() || !FaultHook()(step)) return true;
    errno = EIO;
    return false;
}

// The file a save writes: the path itself, or the file that its chain of symbolic links
// finally names, which need not exist.
struct Target {
    std::string path;
    bool exists = false;
    struct stat info {};
};

std::string Resolve(const std::string& path, Target& target) {
    fs::path current = path;
    for (int links = 0; links < 40; ++links) {
        if (::lstat(current.c_str(), &target.info) != 0) {
            if (errno != ENOENT) return SystemReason(CannotWrite, errno);
            target.path = current.string();
            return "";
        }
        if (!S_ISLNK(target.info.st_mode)) {
            if (!S_ISREG(target.info.st_mode))
                return NotARegularFile(CannotWrite, target.info.st_mode);
            target.path = current.string();
            target.exists = true;
            return "";
        }
        std::string link(static_cast<std::size_t>(target.info.st_size) + 256, '\0');
        const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
        if (length < 0) return SystemReason(CannotWrite, errno);
        link.resize(static_cast<std::size_t>(length));
        current = current.parent_path() / link; // an absolute link replaces the whole path
    }
    return SystemReason(CannotWrite, ELOOP);
}

fs::path FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

bool WriteAllAt(int fd, const char* bytes, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written =
            ::pwrite(fd, bytes + done, size - done, offset + static_cast<off_t>(done));
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The whole content of from over that of to, which ends where it does; to synced.
bool CopyContent(int from, int to) {
    std::vector<char> buffer(1 << 16);
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        if (!WriteAllAt(to, buffer.data(), static_cast<std::size_t>(got), offset)) return false;
        offset += got;
    }
    return ::ftruncate(to, offset) == 0 && ::fsync(to) == 0;
}

// Makes a rename or a new name in the folder last. Not every file system can sync a folder;
// the file itself is synced in any case.
void SyncFolder(const fs::path& folder) {
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) ::fsync(fd.get());
}

// A new file of this process in folder, named prefix, process id, number; -1 with errno set.
int CreateOwnFile(const fs::path& folder, const char* prefix, mode_t mode, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = (folder / (prefix + std::to_string(::getpid()) + "-" + std::to_string(attempt)))
                   .string();
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Temporary files left by a save that was killed (its process is gone) are removed by the
// next save into the same folder. They never hold the only copy of anything: the old content
// stayed under its name until the rename.
void RemoveLeftOverTemporaries(const fs::path& folder) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(TemporaryPrefix, 0) != 0) continue;
        const std::string rest = name.substr(std::string(TemporaryPrefix).size());
        const pid_t owner = static_cast<pid_t>(std::atol(rest.c_str()));
        if (owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH) ::unlink(entry.path().c_str());
    }
}

// Gives to every extended attribute of from (POSIX ACLs among them); false when one cannot
// be given, or with errno set when the attributes cannot be listed.
bool CopyAttributes(int from, int to) {
    ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0) return errno == ENOTSUP;
    std::string names(static_cast<std::size_t>(size), '\0');
    size = ::flistxattr(from, names.data(), names.size());
    if (size < 0) return false;
    names.resize(static_cast<std::size_t>(size));
    for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
        const char* name = names.c_str() + at;
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length < 0) return false;
        std::string value(static_cast<std::size_t>(length), '\0');
        if (::fgetxattr(from, name, value.data(), value.size()) != length ||
            ::fsetxattr(to, name, value.data(), value.size(), 0) != 0)
            return false;
    }
    return true;
}

// A new file beside an existing one can only replace it without loss when it can be given
// the old one's owner, group, permissions and attributes, and when the old one has no other
// name that would keep the old content. Returns the new file, or none when renaming would
// lose something (nothing then left behind).
FileDescriptor PrepareReplacement(const Target& target, int old, const fs::path& folder,
                                  std::string& temporary) {
    const struct stat& info = target.info;
    if (info.st_nlink != 1 || ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return FileDescriptor();
    if (!Proceed(SaveStep::CreateTemporary)) return FileDescriptor();
    FileDescriptor fd(CreateOwnFile(folder, TemporaryPrefix, 0600, temporary));
    if (!fd.IsOpen()) return fd;
    struct stat made {};
    // Owner first: changing it clears the set-user-ID and set-group-ID bits.
    const bool kept = ::fchown(fd.get(), info.st_uid, info.st_gid) == 0 &&
                      ::fchmod(fd.get(), info.st_mode & 07777) == 0 &&
                      CopyAttributes(old, fd.get()) && ::fstat(fd.get(), &made) == 0 &&
                      made.st_uid == info.st_uid && made.st_gid == info.st_gid &&
                      (made.st_mode & 07777) == (info.st_mode & 07777);
    if (kept) return fd;
    ::unlink(temporary.c_str());
    return FileDescriptor();
}

// Writes the new content into the prepared file and renames it over the target.
std::string WriteAndRename(FileDescriptor& fd, const std::string& temporary,
                           const std::string& target, const fs::path& folder,
                           const std::string& bytes) {
    const bool done = Proceed(SaveStep::WriteTemporary) &&
                      WriteAllAt(fd.get(), bytes.data(), bytes.size(), 0) &&
                      ::fsync(fd.get()) == 0 && fd.Close() && Proceed(SaveStep::Rename) &&
                      ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!done) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return SystemReason(CannotWrite, error);
    }
    Proceed(SaveStep::SyncFolder);
    SyncFolder(folder);
    return "";
}

std::string CreateByRename(const Target& target, const fs::path& folder, const std::string& bytes) {
    std::string temporary;
    FileDescriptor fd;
    if (Proceed(SaveStep::CreateTemporary))
        fd = FileDescriptor(CreateOwnFile(folder, TemporaryPrefix, 0666, temporary));
    if (!fd.IsOpen()) return SystemReason("The file cannot be created", errno);
    return WriteAndRename(fd, temporary, target.path, folder, bytes);
}

// The old content aside, beside the file when its folder allows, else in the temporary
// folder; then the new content over the old, in place, so that the file stays what it is.
std::string OverwriteInPlace(const Target& target, int old, const fs::path& folder,
                             const std::string& bytes) {
    std::string copyName;
    if (!Proceed(SaveStep::CreateCopy)) return SystemReason(CannotWrite, errno);
    FileDescriptor copy(CreateOwnFile(folder, CopyPrefix, 0600, copyName));
    if (!copy.IsOpen())
        copy = FileDescriptor(CreateOwnFile(fs::temp_directory_path(), CopyPrefix, 0600, copyName));
    if (!copy.IsOpen() || !CopyContent(old, copy.get())) {
        const int error = errno;
        if (copy.IsOpen()) ::unlink(copyName.c_str());
        return SystemReason("The old content cannot be copied aside", error);
    }
    SyncFolder(FolderOf(copyName));

    const FileDescriptor out(
        ::open(target.path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    const bool same = out.IsOpen() && ::fstat(out.get(), &info) == 0 &&
                      info.st_dev == target.info.st_dev && info.st_ino == target.info.st_ino;
    if (out.IsOpen() && !same) errno = EAGAIN; // replaced meanwhile: nothing written
    const bool written =
        same && Proceed(SaveStep::WriteTarget) &&
        WriteAllAt(out.get(), bytes.data(), bytes.size(), 0) && Proceed(SaveStep::TruncateTarget) &&
        ::ftruncate(out.get(), static_cast<off_t>(bytes.size())) == 0 && ::fsync(out.get()) == 0;
    const int error = errno;
    if (!written && same && !CopyContent(copy.get(), out.get()))
        return SystemReason(CannotWrite, error) + " The old content is kept in " + copyName + ".";
    Proceed(SaveStep::RemoveCopy);
    ::unlink(copyName.c_str());
    return written ? "" : SystemReason(CannotWrite, error);
}

} // namespace

void SetSaveFaultHook(std::function<bool(SaveStep)> hook) {
    FaultHook() = std::move(hook);
}

std::string ReplaceFileContents(const std::string& path, const std::string& bytes) {
    Target target;
    if (std::string reason = Resolve(path, target); !reason.empty()) return reason;
    const fs::path folder = FolderOf(target.path);
    RemoveLeftOverTemporaries(folder);
    if (!target.exists) return CreateByRename(target, folder, bytes);

    const FileDescriptor old(
        ::open(target.path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!old.IsOpen()) return SystemReason(CannotWrite, errno);
    if (::fstat(old.get(), &target.info) != 0) return SystemReason(CannotWrite, errno);
    if (!S_ISREG(target.info.st_mode)) return NotARegularFile(CannotWrite, target.info.st_mode);

    std::string temporary;
    FileDescriptor replacement = PrepareReplacement(target, old.get(), folder, temporary);
    if (replacement.IsOpen())
        return WriteAndRename(replacement, temporary, target.path, folder, bytes);
    return OverwriteInPlace(target, old.get(), folder, bytes);
}

} // namespace vantrel
