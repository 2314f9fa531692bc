#include "FolderTest.h"
#include "io/ProblemFile.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace vantrel {
namespace {

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

using ProblemFileStorageTest = FolderTest;

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

// A double quote in a quoted field would cut it short on reading: the save is refused, naming
// the field, and the old file stays.
TEST_F(ProblemFileStorageTest, AQuotedFieldWithADoubleQuoteIsNotSaved) {
    const fs::path file = folder_ / "double.vtl";
    ASSERT_EQ(WriteProblemFile(file, DoubleIntegral()), "");
    const std::string before = Contents(file);
    const struct {
        void (*edit)(ProblemToWrite&);
        const char* field;
    } cases[] = {
        {[](ProblemToWrite& p) { p.integrand = "CDbl(\"2\")*x"; }, "the integrand"},
        {[](ProblemToWrite& p) { p.levels[0].lower = "\"0\""; }, "the lower limit of y"},
        {[](ProblemToWrite& p) { p.levels[1].upper = "Len(\"a\")"; }, "the upper limit of x"},
    };
    for (const auto& c : cases) {
        ProblemToWrite problem = DoubleIntegral();
        c.edit(problem);
        EXPECT_EQ(WriteProblemFile(file, problem),
                  std::string("The problem cannot be saved: ") + c.field +
                      " holds a double quote, which a problem file cannot carry");
        EXPECT_EQ(Contents(file), before);
    }
    ExpectOnlyFiles(1);
}

TEST_F(ProblemFileStorageTest, TheLongestFileNameCanBeSaved) {
    const fs::path file = folder_ / std::string(255, 'p');
    ASSERT_EQ(WriteProblemFile(file, DoubleIntegral()), "");
    EXPECT_EQ(ReadProblemFile(file).status, ReadOutcome::Status::Ok);
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
        {folder_, opened + "it is a folder, not a regular file."},
        {fifo, opened + "it is a FIFO, not a regular file."},
        {socket, opened + "it is a socket, not a regular file."},
        {"/dev/zero", opened + "it is a device, not a regular file."},
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
