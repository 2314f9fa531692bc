#include "FolderTest.h"
#include "io/FileReplacement.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>

namespace vantrel {
namespace {

constexpr uid_t Nobody = 65534;
constexpr gid_t Users = 100;
const std::string OldBytes = "old content\r\n", NewBytes = "the new, longer content\r\n";

// An access ACL in the kernel's format: version 2; owner rw, user nobody rw, group r, mask rw,
// others r (tag, permissions, id).
const std::string NobodyMayWrite("\2\0\0\0"
                                 "\1\0\6\0\xFF\xFF\xFF\xFF"
                                 "\2\0\6\0\xFE\xFF\0\0"
                                 "\4\0\4\0\xFF\xFF\xFF\xFF"
                                 "\x10\0\6\0\xFF\xFF\xFF\xFF"
                                 "\x20\0\4\0\xFF\xFF\xFF\xFF",
                                 44);

// Owner, group, mode and the attributes that a save must keep, as one text.
std::string KeptOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    std::ostringstream kept;
    kept << info.st_uid << ':' << info.st_gid << ' ' << std::oct << info.st_mode;
    for (const char* name : {"user.note", "system.posix_acl_access"}) {
        char value[256];
        const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
        kept << ' ' << std::string_view(value, size < 0 ? 0 : static_cast<std::size_t>(size));
    }
    return kept.str();
}

using FileReplacementTest = FolderTest;

// A file of another owner and group, 0640, saved with another name for it or with attributes:
// the new content under every name, everything else as it was.
TEST_F(FileReplacementTest, KeepsEverythingTheFileHad) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving files to another user needs the superuser";
    const fs::path file = folder_ / "p.vtl", other = folder_ / "other.vtl";
    const struct {
        const char* name;
        bool hardLink, attributes, symbolicLink;
    } cases[] = {
        {"owner and group", false, false, false},
        {"a second hard link", true, false, false},
        {"an attribute and an ACL", false, true, false},
        {"saved through a symbolic link", false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        Put(file, OldBytes);
        ASSERT_EQ(::chown(file.c_str(), Nobody, Users), 0);
        ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
        if (c.hardLink) fs::create_hard_link(file, other);
        if (c.symbolicLink) fs::create_symlink("p.vtl", other);
        if (c.attributes) {
            ASSERT_EQ(::setxattr(file.c_str(), "user.note", "kept", 4, 0), 0);
            ASSERT_EQ(::setxattr(file.c_str(), "system.posix_acl_access", NobodyMayWrite.data(),
                                 NobodyMayWrite.size(), 0),
                      0);
        }
        const std::string before = KeptOf(file);
        ASSERT_EQ(ReplaceFileContents(c.symbolicLink ? other : file, NewBytes), "");
        EXPECT_EQ(Contents(file), NewBytes);
        EXPECT_EQ(fs::exists(other) ? Contents(other) : NewBytes, NewBytes);
        EXPECT_EQ(KeptOf(file), before);
        EXPECT_EQ(fs::is_symlink(other), c.symbolicLink);
        ExpectOnlyFiles(c.hardLink || c.symbolicLink ? 2 : 1);
    }
}

TEST_F(FileReplacementTest, ADanglingLinkCreatesItsTarget) {
    fs::create_directory(folder_ / "sub");
    fs::create_symlink("sub/new.vtl", folder_ / "link.vtl");
    ASSERT_EQ(ReplaceFileContents(folder_ / "link.vtl", NewBytes), "");
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.vtl"));
    EXPECT_EQ(Contents(folder_ / "sub" / "new.vtl"), NewBytes);
}

TEST_F(FileReplacementTest, RefusesWhatIsNotARegularFileNamingIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a device node needs the superuser";
    ASSERT_EQ(::mkfifo((folder_ / "fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", folder_ / "to-fifo");
    fs::create_directory(folder_ / "folder");
    ASSERT_EQ(::mknod((folder_ / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    const std::string refused = "The file cannot be written: it is ";
    const struct {
        const char* name;
        std::string reason;
    } cases[] = {
        {"fifo", refused + "a FIFO, not a regular file."},
        {"to-fifo", refused + "a FIFO, not a regular file."},
        {"folder", refused + "a folder, not a regular file."},
        {"null", refused + "a device, not a regular file."},
        {"missing/p.vtl", "The file cannot be created: No such file or directory."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceFileContents(folder_ / c.name, NewBytes), c.reason) << c.name;
    EXPECT_TRUE(fs::is_fifo(folder_ / "fifo"));
    EXPECT_TRUE(fs::is_character_file(folder_ / "null"));
    ExpectOnlyFiles(4);
}

// The starting points of the two ways: a file of one name is replaced by renaming, one of two
// names is overwritten in place; the new content longer or shorter than the old.
struct Start {
    const char* name;
    bool linked;
    std::string old, replacement;
};
const Start Starts[] = {
    {"renamed", false, OldBytes, NewBytes}, {"renamed, shorter", false, NewBytes, OldBytes},
    {"in place", true, OldBytes, NewBytes}, {"in place, shorter", true, NewBytes, OldBytes},
    {"created", false, "", NewBytes},
};

constexpr SaveStep Steps[] = {SaveStep::CreateTemporary, SaveStep::WriteTemporary,
                              SaveStep::Rename,          SaveStep::SyncFolder,
                              SaveStep::CreateCopy,      SaveStep::WriteTarget,
                              SaveStep::TruncateTarget,  SaveStep::RemoveCopy};

class FileReplacementStepTest : public FolderTest {
protected:
    void Begin(const Start& start) {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        if (start.old.empty()) return;
        Put(File(), start.old);
        if (start.linked) fs::create_hard_link(File(), folder_ / "second.vtl");
    }
    fs::path File() const { return folder_ / "p.vtl"; }
    // The copies of the old content that process owner left.
    std::vector<fs::path> Copies(pid_t owner) const {
        std::vector<fs::path> copies;
        for (const fs::path& folder : {folder_, fs::temp_directory_path()})
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().filename().string().rfind(
                        ".vantrel-copy-" + std::to_string(owner) + "-", 0) == 0)
                    copies.push_back(entry.path());
        return copies;
    }
    void TearDown() override {
        SetSaveFaultHook({});
        FolderTest::TearDown();
    }
};

// Each step is failed once, in this process, and then killed once, in a child: either way the
// old or the new content stays under the name and nothing of the save's own is left.
TEST_F(FileReplacementStepTest, AFailureOrAKillAtAnyStepLosesNothing) {
    for (const Start& start : Starts)
        for (const SaveStep step : Steps) {
            SCOPED_TRACE(std::string(start.name) + ", step " +
                         std::to_string(static_cast<int>(step)));
            Begin(start);
            SetSaveFaultHook([step](SaveStep now) { return now == step; });
            const std::string reason = ReplaceFileContents(File(), start.replacement);
            SetSaveFaultHook({});
            // Where a new file cannot keep everything the old content is overwritten in
            // place instead; steps after the last change cannot fail.
            EXPECT_EQ(fs::exists(File()) ? Contents(File()) : "",
                      reason.empty() ? start.replacement : start.old)
                << reason;
            ExpectOnlyFiles(start.old.empty() ? (reason.empty() ? 1 : 0) : start.linked ? 2 : 1);
            EXPECT_TRUE(Copies(::getpid()).empty());

            Begin(start);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                SetSaveFaultHook([step](SaveStep now) {
                    if (now == step) ::_exit(3);
                    return false;
                });
                ::_exit(ReplaceFileContents(File(), start.replacement).empty() ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            const std::string now = fs::exists(File()) ? Contents(File()) : "";
            const std::vector<fs::path> copies = Copies(child);
            // Overwriting in place with a shorter content has one step where the name holds
            // neither: the copy aside holds the old content then.
            if (now != start.old && now != start.replacement) {
                EXPECT_EQ(step, SaveStep::TruncateTarget);
                ASSERT_EQ(copies.size(), 1u);
                EXPECT_EQ(Contents(copies[0]), start.old);
            }
            for (const fs::path& copy : copies)
                fs::remove(copy);
            // A temporary file of the killed save is gone after the next save.
            ASSERT_EQ(ReplaceFileContents(File(), start.replacement), "");
            ExpectOnlyFiles(start.linked ? 2 : 1);
        }
}

// A real failure while overwriting in place: the old content is written back.
TEST_F(FileReplacementTest, AWriteThatFailsHalfwayKeepsTheOldContent) {
    const fs::path file = folder_ / "kept.vtl";
    Put(file, OldBytes);
    fs::create_hard_link(file, folder_ / "second.vtl");
    // Files of this process may not grow beyond 64 bytes while the save runs.
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string reason = ReplaceFileContents(file, std::string(1000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(reason, "The file cannot be written: File too large.");
    EXPECT_EQ(Contents(folder_ / "second.vtl"), OldBytes);
    ExpectOnlyFiles(2);
}

// A folder that the saver cannot write, holding a file that it can: the file is overwritten in
// place. Run as another user, since folder permissions do not bind the superuser.
TEST_F(FileReplacementTest, AFileInAFolderTheSaverCannotWriteIsOverwrittenInPlace) {
    if (::geteuid() != 0) GTEST_SKIP() << "changing to another user needs the superuser";
    const fs::path file = folder_ / "p.vtl";
    Put(file, OldBytes);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) ::_exit(4);
        ::_exit(ReplaceFileContents(file, NewBytes).empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Contents(file), NewBytes);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    ExpectOnlyFiles(1);
}

} // namespace
} // namespace vantrel
