// Units on files: what reaches the disk, and which descriptors they take.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "recordio/statements.h"
#include "recordio/unit.h"

namespace {

constexpr int kFileUnit = 10;

class UnitFile : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pedscreen-unit-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    path_ = (dir_ / "outlier.out").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string content() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path dir_;
  std::string path_;
};

// Closing ends the statement that the close is part of after its unit is
// gone; a later open and close of the same number start from a clean slate.
TEST_F(UnitFile, RecordsReachTheDiskAtCloseAndReplaceEmptiesTheFile) {
  for (const char* text : {"first run", "second"}) {
    recordio::open_unit(kFileUnit, path_ + "   ", recordio::OpenStatus::replace);
    recordio::write_free(recordio::unit(kFileUnit), {text});
    recordio::close_unit(kFileUnit);
    std::string expected = " ";
    expected += text;
    expected += '\n';
    EXPECT_EQ(content(), expected);
  }
}

// A standard stream closed before the run must stay closed: a file that took
// its number would receive the console's lines (or be read as the console).
TEST_F(UnitFile, FileUnitsNeverTakeTheNumberOfAClosedStandardStream) {
  for (int standard : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    const int saved = ::dup(standard);
    ASSERT_GE(saved, 0);
    ::close(standard);
    recordio::open_unit(kFileUnit, path_, recordio::OpenStatus::replace);
    const int fd = recordio::unit(kFileUnit).fd;
    recordio::close_unit(kFileUnit);
    ::dup2(saved, standard);
    ::close(saved);
    EXPECT_GT(fd, STDERR_FILENO) << "with descriptor " << standard << " closed";
  }
}

}  // namespace
