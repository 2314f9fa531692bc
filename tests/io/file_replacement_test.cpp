#include "FolderTest.h"
#include "io/FileReplacement.h"

#include <csignal>
#include <cstdint>
#include <functional>
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

// An access ACL giving the user nobody read and write, in the kernel's format.
std::string NobodyMayWrite() {
    std::string acl;
    const auto put = [&acl](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            acl += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(2, 4); // version
    const uint32_t entries[][3] = {
        {0x01, 6, ~0u}, {0x02, 6, Nobody}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 4, ~0u}};
    for (const auto& e : entries) {
        put(e[0], 2);
        put(e[1], 2);
        put(e[2], 4);
    }
    return acl;
}

std::string Attribute(const fs::path& path, const char* name) {
    std::string value(256, '\0');
    const ssize_t size = ::getxattr(path.c_str(), name, value.data(), value.size());
    value.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
    return value;
}

struct Kept {
    uid_t uid;
    gid_t gid;
    mode_t mode;
    std::string note, acl;
};

Kept KeptOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return {info.st_uid, info.st_gid, info.st_mode, Attribute(path, "user.note"),
            Attribute(path, "system.posix_acl_access")};
}

using FileReplacementTest = FolderTest;

// Each case makes the file (and maybe more names for it), saves through one name, and expects
// the new content under every name and everything else as it was.
TEST_F(FileReplacementTest, KeepsEverythingTheFileHad) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving files to another user needs the superuser";
    const fs::path file = folder_ / "p.vtl", other = folder_ / "other.vtl";
    const struct {
        const char* name;
        std::function<void(const fs::path&)> make;
        fs::path saved;
        std::vector<fs::path> names; // that show the content afterwards
        std::size_t files;           // in the folder afterwards
    } cases[] = {
        {"another owner and group, 0640",
         [](const fs::path& f) {
             ASSERT_EQ(::chown(f.c_str(), Nobody, Users), 0);
             ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
         },
         file,
         {file},
         1},
        {"a second hard link, 0664, nobody:users",
         [&](const fs::path& f) {
             ASSERT_EQ(::chown(f.c_str(), Nobody, Users), 0);
             ASSERT_EQ(::chmod(f.c_str(), 0664), 0);
             fs::create_hard_link(f, other);
         },
         file,
         {file, other},
         2},
        {"an attribute and an ACL",
         [](const fs::path& f) {
             ASSERT_EQ(::setxattr(f.c_str(), "user.note", "kept", 4, 0), 0);
             const std::string acl = NobodyMayWrite();
             ASSERT_EQ(::setxattr(f.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0),
                       0);
         },
         file,
         {file},
         1},
        {"saved through a symbolic link",
         [&](const fs::path&) { fs::create_symlink("p.vtl", other); },
         other,
         {file, other},
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        Put(file, OldBytes);
        c.make(file);
        const Kept before = KeptOf(file);
        ASSERT_EQ(ReplaceFileContents(c.saved, NewBytes), "");
        for (const fs::path& name : c.names)
            EXPECT_EQ(Contents(name), NewBytes) << name;
        const Kept after = KeptOf(file);
        EXPECT_EQ(after.uid, before.uid);
        EXPECT_EQ(after.gid, before.gid);
        EXPECT_EQ(after.mode, before.mode);
        EXPECT_EQ(after.note, before.note);
        EXPECT_EQ(after.acl, before.acl);
        ExpectOnlyFiles(c.files);
    }
    EXPECT_TRUE(fs::is_symlink(other));
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

TEST_F(FileReplacementStepTest, AKillAtAnyStepLeavesTheOldOrTheNewContent) {
    for (const Start& start : Starts)
        for (const SaveStep step : Steps) {
            SCOPED_TRACE(std::string(start.name) + ", killed before step " +
                         std::to_string(static_cast<int>(step)));
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
            // The next save finds the folder as clean as ever.
            ASSERT_EQ(ReplaceFileContents(File(), start.replacement), "");
            ExpectOnlyFiles(start.linked ? 2 : 1);
        }
}

TEST_F(FileReplacementStepTest, AFailureAtAnyStepKeepsTheOldContentAndNoFileOfItsOwn) {
    for (const Start& start : Starts)
        for (const SaveStep step : Steps) {
            SCOPED_TRACE(std::string(start.name) + ", failing step " +
                         std::to_string(static_cast<int>(step)));
            Begin(start);
            SetSaveFaultHook([step](SaveStep now) { return now == step; });
            const std::string reason = ReplaceFileContents(File(), start.replacement);
            SetSaveFaultHook({});
            const std::string now = fs::exists(File()) ? Contents(File()) : "";
            // Where a new file cannot keep everything the old content is overwritten in
            // place instead; steps after the last change cannot fail.
            EXPECT_EQ(now, reason.empty() ? start.replacement : start.old) << reason;
            ExpectOnlyFiles(start.old.empty() ? (reason.empty() ? 1 : 0) : start.linked ? 2 : 1);
            EXPECT_TRUE(Copies(::getpid()).empty());
        }
}

TEST_F(FileReplacementTest, AWriteThatFailsHalfwayKeepsTheOldContent) {
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "in place" : "renamed");
        const fs::path file = folder_ / "kept.vtl";
        Put(file, OldBytes);
        if (linked) fs::create_hard_link(file, folder_ / "second.vtl");
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
        EXPECT_EQ(Contents(file), OldBytes);
        ExpectOnlyFiles(linked ? 2 : 1);
        fs::remove(folder_ / "second.vtl");
    }
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
