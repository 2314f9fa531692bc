// A fresh folder of its own for each test, and the bytes of its files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace vantrel {

namespace fs = std::filesystem;

class FolderTest : public ::testing::Test {
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

} // namespace vantrel
