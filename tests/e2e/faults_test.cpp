// How a run ends when its surroundings fail: a results file that cannot be
// written, console streams that are closed or gone, hostile pedigree files,
// too little memory. Every end is a defined one, nothing hangs, and the
// pedigree file is never changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

#include "e2e/console_texts.h"
#include "e2e/run_binary.h"

#if defined(__SANITIZE_ADDRESS__)
#define PEDSCREEN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PEDSCREEN_UNDER_ASAN 1
#endif
#endif

namespace {

using e2e::kFinished;
using e2e::kNoTrace;
using e2e::kNotice;
using e2e::kPrompt1;
using e2e::kPrompts;

const std::string kStopped =
    "PAUSE PROGRAM IS STOPED. SEE DETAILS IN FILE outlier.out statement "
    "executed.  Hit Return to continue\n";
const std::string kAnswers = "ped\n-9\n\n";
const std::string kPedigree =
    "fam id fa mo sex trait\n"
    "1 1 0 0 1 170\n"
    "1 2 0 0 2 160\n"
    "1 3 1 2 1 175\n"
    "1 4 1 2 2 150\n"
    "1 5 1 2 1 171\n";
const std::string kPedigreeWithErrors = kPedigree + "1 6 2 1 3 165\n";
const std::string kUnitOne = "At line * of file analysis/pedigree_file.cpp (Unit 1 \"ped\")\n";

e2e::RunResult run(e2e::RunSetup setup) {
  e2e::RunResult r = e2e::run_pedscreen(setup);
  EXPECT_TRUE(r.changed_files.empty()) << "the run changed " << r.changed_files.front();
  return r;
}

// The report of the same run with ordinary console streams.
std::string undisturbed_report(const std::string& pedigree) {
  e2e::RunResult r = run({kAnswers, {{"ped", pedigree}}});
  EXPECT_TRUE(r.report.has_value());
  return r.report.value_or("");
}

TEST(Faults, ResultsFileInADirectoryThatCannotBeWritten) {
  e2e::RunSetup setup{kAnswers, {{"ped", kPedigree}}};
  setup.read_only_directory = true;
  e2e::RunResult r = run(setup);
  if (r.status == e2e::kCouldNotStart)
    GTEST_SKIP() << "cannot run the program as user nobody here (is the build "
                    "directory closed to other users?)";
  if (r.status == 0)
    GTEST_SKIP() << "the directory stayed writable (a user that ignores permissions)";
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(e2e::matches_stderr("At line * of file analysis/report.cpp file: \"outlier.out\"\n" +
                                      kNoTrace + "Run-time error: Permission denied\n",
                                  r.err))
      << r.err;
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(r.report.has_value());
}

TEST(Faults, ResultsFileOnAFullDisk) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  e2e::RunSetup setup{kAnswers, {{"ped", kPedigree}}};
  setup.links = {{"outlier.out", "/dev/full"}};
  e2e::RunResult r = run(setup);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(e2e::matches_stderr(
      "At line * of file analysis/report.cpp (Unit 10 \"outlier.out\")\n" + kNoTrace +
          "Run-time error: No space left on device\n",
      r.err))
      << r.err;
  EXPECT_EQ(r.status, 2);
}

// A write refused in the middle of the report: what fitted stays, the run
// says why and ends with status 2.
TEST(Faults, ReportCutShortByTheFileSizeLimit) {
  const std::string full = undisturbed_report(kPedigree);
  ASSERT_GT(full.size(), 300u);
  e2e::RunSetup setup{kAnswers, {{"ped", kPedigree}}};
  setup.file_size_limit = 300;
  e2e::RunResult r = run(setup);
  EXPECT_EQ(r.out, kPrompts);
  EXPECT_TRUE(e2e::matches_stderr("At line * of file analysis/run.cpp (Unit 10 \"outlier.out\")\n" +
                                      kNoTrace + "Run-time error: File too large\n",
                                  r.err))
      << r.err;
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.report, full.substr(0, 300));
}

struct ConsoleCase {
  const char* name;
  e2e::Stream stdin_as;
  e2e::Stream stdout_as;
  std::string pedigree;
  std::string err;
  bool report_as_undisturbed;  // otherwise the failure notice
};

class Console : public testing::TestWithParam<ConsoleCase> {};

// A closed or vanished console is a failed statement like any other: the
// system's text, status 2, and outlier.out as far as the run got, complete.
TEST_P(Console, FailsWithTheSystemsTextAndKeepsTheReport) {
  const ConsoleCase& c = GetParam();
  e2e::RunSetup setup{kAnswers, {{"ped", c.pedigree}}};
  setup.stdin_as = c.stdin_as;
  setup.stdout_as = c.stdout_as;
  e2e::RunResult r = run(setup);
  EXPECT_TRUE(e2e::matches_stderr(c.err, r.err)) << r.err;
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.report, c.report_as_undisturbed ? undisturbed_report(c.pedigree) : kNotice);
  if (c.stdin_as == e2e::Stream::closed) {
    EXPECT_EQ(r.out, kPrompt1);
  }
}

const ConsoleCase kConsoleCases[] = {
    {"StandardInputClosed", e2e::Stream::closed, e2e::Stream::file, kPedigree,
     "At line * of file analysis/run.cpp (Unit 5)\n" + kNoTrace +
         "Run-time error: Bad file descriptor\n",
     false},
    {"StandardOutputClosed", e2e::Stream::file, e2e::Stream::closed, kPedigree,
     kFinished + kNoTrace + "Run-time error: Bad file descriptor\n", true},
    {"StandardOutputABrokenPipe", e2e::Stream::file, e2e::Stream::broken_pipe, kPedigree,
     kFinished + kNoTrace + "Run-time error: Broken pipe\n", true},
    // At the error stop outlier.out is still open when the console fails.
    {"BrokenPipeAtTheErrorStop", e2e::Stream::file, e2e::Stream::broken_pipe,
     kPedigreeWithErrors, kStopped + kNoTrace + "Run-time error: Broken pipe\n", true},
    {"ClosedOutputAtTheErrorStop", e2e::Stream::file, e2e::Stream::closed,
     kPedigreeWithErrors, kStopped + kNoTrace + "Run-time error: Bad file descriptor\n",
     true},
};

INSTANTIATE_TEST_SUITE_P(Streams, Console, testing::ValuesIn(kConsoleCases),
                         [](const auto& info) { return std::string(info.param.name); });

std::string random_bytes(std::size_t size) {
  std::minstd_rand generator(20240611);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(generator() & 0xFF);
  return bytes;
}

// Files that are no pedigree at all end at the pedigree read with a report
// that names the file; outlier.out keeps the failure notice.
TEST(Faults, PedigreeFilesOfNulOrRandomBytes) {
  const struct {
    std::string content;
    std::string message;
  } cases[] = {
      // One line of a million NULs: the first header value, then the end.
      {std::string(1 << 20, '\0'), "End of file"},
      {random_bytes(1 << 16), "Bad integer for item 1 in list input"},
  };
  for (const auto& c : cases) {
    e2e::RunResult r = run({kAnswers, {{"ped", c.content}}});
    EXPECT_EQ(r.out, kPrompts);
    EXPECT_TRUE(e2e::matches_stderr(kUnitOne + kNoTrace + "Run-time error: " + c.message + "\n",
                                    r.err))
        << r.err;
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.report, kNotice);
  }
}

// A header value that opens a quote and never closes it swallows the whole
// file: the trait name is its first 13 characters and there are no records.
// Only those characters are kept, however long the file.
TEST(Faults, UnclosedQuoteInAHundredMegabyteHeader) {
  // Written piecewise and copied in, so that the test's own memory (which a
  // forked child starts with) stays small.
  const std::string path = testing::TempDir() + "pedscreen-unclosed-quote.ped";
  {
    std::ofstream file(path, std::ios::binary);
    file << "fam id fa mo sex 'trait\n";
    std::string block;
    while (block.size() < (1 << 20)) block += "1 1 0 0 1 5\n";
    for (int i = 0; i < 100; ++i) file << block;
  }
  e2e::RunSetup setup{kAnswers, {}};
  setup.copies = {{"ped", path}};
  e2e::RunResult r = run(setup);
  std::filesystem::remove(path);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(e2e::matches_stderr(kFinished, r.err)) << r.err;
  ASSERT_TRUE(r.report.has_value());
  EXPECT_NE(r.report->find("\ntrait1 1 0 0        0    9999.0000     -9999.0000"),
            std::string::npos)
      << *r.report;
#ifdef PEDSCREEN_UNDER_ASAN
  constexpr long kBoundKb = 256 * 1024;  // the sanitizer's own tables come first
#else
  constexpr long kBoundKb = 32 * 1024;
#endif
  EXPECT_LT(r.peak_rss_kb, kBoundKb);
}

// With too little address space for its storage the run ends with the
// storage report and status 1, before it touches outlier.out when the tables
// are what it cannot obtain. Which limits let the program start but not
// obtain its storage depends on the system, so limits are raised step by
// step until a run completes; every run must end in a defined way.
TEST(Faults, StorageThatCannotBeObtained) {
#ifdef PEDSCREEN_UNDER_ASAN
  GTEST_SKIP() << "AddressSanitizer needs far more address space than any limit here";
#else
  const std::string storage_report = kNoTrace +
                                     "Operating system error: Cannot allocate memory\n"
                                     "Memory allocation failed\n";
  int storage_failures = 0;
  bool tables_refused = false;
  for (std::uint64_t limit = 1 << 20; limit <= (std::uint64_t(64) << 20); limit += 1 << 18) {
    e2e::RunSetup setup{kAnswers, {{"ped", kPedigree}, {"outlier.out", "earlier report\n"}}};
    setup.address_space_limit = limit;
    e2e::RunResult r = e2e::run_pedscreen(setup);
    if (r.status == 0) break;
    if (r.status == e2e::kCouldNotStart) continue;  // the loader itself failed
    ASSERT_EQ(r.status, 1) << "limit " << limit << ":\n" << r.err;
    ++storage_failures;
    EXPECT_TRUE(r.err.ends_with(storage_report)) << r.err;
    if (r.report == "earlier report\n") tables_refused = true;
  }
  EXPECT_GT(storage_failures, 0) << "no address-space limit gave the storage report";
  EXPECT_TRUE(tables_refused) << "no limit refused the tables themselves";
#endif
}

}  // namespace
