#include "io/ProblemFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

ProblemToWrite DoubleIntegral() {
    ProblemToWrite p;
    p.order = 2;
    p.maxError = 0.0001;
    p.computed = true;
    p.integrand = "x^2+y^2";
    p.integral = 0.416666666666667;
    p.levels = {{"y", "0", "x", 4}, {"x", "0", "1", 4}};
    return p;
}

class ProblemFileStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("vantrel_io_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder_);
    }

    static std::string Contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    static void Put(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // Nothing but the files named is left in the folder (no temporary file).
    void ExpectOnlyFiles(std::size_t count) const {
        EXPECT_EQ(static_cast<std::size_t>(
                      std::distance(fs::directory_iterator(folder_), fs::directory_iterator())),
                  count);
    }

    fs::path folder_;
};

TEST_F(ProblemFileStorageTest, WritesTheEncodedBytesAndReadsThemBack) {
    const fs::path file = folder_ / "double.vtl";
    ASSERT_EQ(WriteProblemFile(file, DoubleIntegral()), "");
    EXPECT_EQ(Contents(file), EncodeProblem(DoubleIntegral()));
    ExpectOnlyFiles(1);

    const ReadOutcome read = ReadProblemFile(file);
    ASSERT_EQ(read.status, ReadOutcome::Status::Ok) << read.reason;
    EXPECT_EQ(read.problem.integral, 0.416666666666667);
    EXPECT_EQ(read.problem.levels[1].name, "x");
}

TEST_F(ProblemFileStorageTest, ReplacesAnExistingFileKeepingItsPermissions) {
    const fs::path file = folder_ / "old.vtl";
    Put(file, "old contents that are longer than the new problem file would be...........");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(WriteProblemFile(file, DoubleIntegral()), "");
    EXPECT_EQ(Contents(file), EncodeProblem(DoubleIntegral()));
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ExpectOnlyFiles(1);
}

TEST_F(ProblemFileStorageTest, TheLongestFileNameCanBeSaved) {
    const fs::path file = folder_ / std::string(255, 'p');
    ASSERT_EQ(WriteProblemFile(file, DoubleIntegral()), "");
    EXPECT_EQ(ReadProblemFile(file).status, ReadOutcome::Status::Ok);
    ExpectOnlyFiles(1);
}

TEST_F(ProblemFileStorageTest, SavingThroughALinkReplacesTheLinkedFile) {
    const fs::path file = folder_ / "real.vtl";
    const fs::path link = folder_ / "link.vtl";
    Put(file, "old");
    fs::create_symlink(file, link);
    ASSERT_EQ(WriteProblemFile(link, DoubleIntegral()), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(file), EncodeProblem(DoubleIntegral()));
}

TEST_F(ProblemFileStorageTest, AFailedSaveLeavesTheTargetAsItWas) {
    // The target is a folder holding a file: the rename fails and both stay.
    const fs::path target = folder_ / "folder.vtl";
    fs::create_directory(target);
    Put(target / "inside", "kept");
    const std::string reason = WriteProblemFile(target, DoubleIntegral());
    EXPECT_NE(reason, "");
    EXPECT_EQ(reason.rfind("The file cannot be written: ", 0), 0u) << reason;
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(Contents(target / "inside"), "kept");
    ExpectOnlyFiles(1);

    // A folder that does not exist.
    EXPECT_EQ(WriteProblemFile(folder_ / "missing" / "p.vtl", DoubleIntegral()),
              "The file cannot be created: No such file or directory.");
}

TEST_F(ProblemFileStorageTest, AWriteThatFailsHalfwayKeepsTheOldFile) {
    const fs::path file = folder_ / "kept.vtl";
    Put(file, "old");
    ProblemToWrite big = DoubleIntegral();
    big.integrand.assign(1000, 'x');

    // Files of this process may not grow beyond 64 bytes while the save runs.
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string reason = WriteProblemFile(file, big);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(reason, "The file cannot be written: File too large.");
    EXPECT_EQ(Contents(file), "old");
    ExpectOnlyFiles(1);
}

TEST_F(ProblemFileStorageTest, AFolderWithoutWritePermissionKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const fs::path file = folder_ / "kept.vtl";
    Put(file, "old");
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(WriteProblemFile(file, DoubleIntegral()),
              "The file cannot be created: Permission denied.");
    fs::permissions(folder_, fs::perms::owner_all);
    EXPECT_EQ(Contents(file), "old");
    ExpectOnlyFiles(1);
}

TEST_F(ProblemFileStorageTest, OnlyRegularFilesWithinTheLimitAreRead) {
    const fs::path fifo = folder_ / "fifo", socket = folder_ / "socket", huge = folder_ / "huge";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0); // no writer: opening it would block
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    Put(huge, "Vantrel\r\n");
    fs::resize_file(huge, 300 << 20);
    Put(folder_ / "limit", "vantrel\r\n");
    fs::resize_file(folder_ / "limit", MaxProblemFileSize);

    const std::string opened = "The file cannot be opened: ";
    const std::string tooLarge = opened + "it is larger than 16 MiB, the limit for a problem file.";
    const struct {
        fs::path path;
        std::string reason; // empty: read, but not a problem file
    } cases[] = {
        {folder_ / "none.vtl", opened + "No such file or directory."},
        {folder_, opened + "it is a folder, not a problem file."},
        {fifo, opened + "it is a FIFO, not a problem file."},
        {socket, opened + "it is a socket, not a problem file."},
        {"/dev/zero", opened + "it is a device, not a problem file."},
        {huge, tooLarge},
        {folder_ / "limit", ""},
    };
    for (const auto& c : cases) {
        const ReadOutcome read = ReadProblemFile(c.path);
        EXPECT_EQ(read.status, c.reason.empty() ? ReadOutcome::Status::Incompatible
                                                : ReadOutcome::Status::Failed)
            << c.path;
        EXPECT_EQ(read.reason, c.reason) << c.path;
    }
    ::close(listener);
}

} // namespace
} // namespace vantrel
