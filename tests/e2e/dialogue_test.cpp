// The console dialogue and the ways a run ends before the report is written.
#include <gtest/gtest.h>

#include "e2e/console_texts.h"
#include "e2e/run_binary.h"

namespace {

using namespace e2e;

const std::string kHeaderOnly = "fam id fa mo sex trait\n";

struct Case {
  const char* name;
  std::string input;
  std::map<std::string, std::string> files;
  std::string out;
  std::string err;
  int status;
  std::string report_starts_with;  // the report's start (the notice, or the header lines)
};

std::string header_lines(const std::string& name20, const std::string& missing) {
  return " INPUT FILE: " + name20 + "\n " + missing + "\n\n";
}

class Dialogue : public testing::TestWithParam<Case> {};

TEST_P(Dialogue, ConsoleStatusAndReport) {
  const Case& c = GetParam();
  e2e::RunResult r = e2e::run_pedscreen({c.input, c.files});
  EXPECT_EQ(r.out, c.out);
  EXPECT_TRUE(e2e::matches_stderr(c.err, r.err)) << "stderr was:\n" << r.err;
  EXPECT_EQ(r.status, c.status);
  ASSERT_TRUE(r.report.has_value());
  EXPECT_EQ(r.report->substr(0, c.report_starts_with.size()), c.report_starts_with);
  if (c.report_starts_with == kNotice) {
    EXPECT_EQ(*r.report, kNotice);
  }
}

const Case kCases[] = {
    {"MissingPedigreeFile", "nofile.ped\n-9\n\n", {}, kPrompt1,
     "At line * of file analysis/run.cpp file: \"nofile.ped\"\n" + kNoTrace +
         "Run-time error: No such file or directory\n",
     2, kNotice},
    {"EndOfInputAtFirstPrompt", "", {}, kPrompt1,
     "At line * of file analysis/run.cpp (Unit 5)\n" + kNoTrace +
         "Run-time error: End of file\n",
     2, kNotice},
    {"BlankLinesThenEndOfInput", "\n   \n\t\n", {}, kPrompt1,
     "At line * of file analysis/run.cpp (Unit 5)\n" + kNoTrace +
         "Run-time error: End of file\n",
     2, kNotice},
    {"NameCutToTwentyCharacters", "abcdefghijklmnopqrstuvwxyz.ped\n", {}, kPrompt1,
     "At line * of file analysis/run.cpp file: \"abcdefghijklmnopqrst\"\n" + kNoTrace +
         "Run-time error: No such file or directory\n",
     2, kNotice},
    {"UnquotedSlashEndsTheName", "sub/ped.txt\n-9\n\n", {{"sub/ped.txt", kHeaderOnly}},
     kPrompt1,
     "At line * of file analysis/run.cpp file: \"sub\"\n" + kNoTrace +
         "Run-time error: Is a directory\n",
     2, kNotice},
    {"QuotedNameKeepsTheSlash", "'sub/ped.txt'\n-9\n\n", {{"sub/ped.txt", kHeaderOnly}},
     kPrompt1 + kPrompt2 + "\n", kFinished, 0,
     header_lines("sub/ped.txt         ", "MISSING VALUE: -9.")},
    {"DoubleQuotedNameWithBlank", "\"my ped.txt\" ignored\nNO\n\n",
     {{"my ped.txt", kHeaderOnly}}, kPrompt1 + kPrompt2 + "\n", kFinished, 0,
     header_lines("my ped.txt          ", "MISSING VALUE: no")},
    {"AnswerNoMeansNoMissingData", "ped\nNO\n\n", {{"ped", kHeaderOnly}},
     kPrompt1 + kPrompt2 + "\n", kFinished, 0,
     header_lines("ped                 ", "MISSING VALUE: no")},
    // The bad answer costs only its own line: the empty line after it
    // answers the final pause.
    {"AnswerNThenEmptyLineForThePause", "ped\nN\n\n", {{"ped", kHeaderOnly}},
     kPrompt1 + kPrompt2 + "\n", kFinished, 0,
     header_lines("ped                 ", "MISSING VALUE: no")},
    {"CodeRoundsToMissingNone", "ped\n999999.01\n\n", {{"ped", kHeaderOnly}},
     kPrompt1 + kPrompt2 + "\n", kFinished, 0,
     header_lines("ped                 ", "MISSING VALUE: no")},
    {"CodeShownInShortestDigits", "ped\n999999.1\n\n", {{"ped", kHeaderOnly}},
     kPrompt1 + kPrompt2 + "\n", kFinished, 0,
     header_lines("ped                 ", "MISSING VALUE: 999999.1")},
    {"FirstValueOfTheLineIsTheCode", "ped\n5 NO\n\n", {{"ped", kHeaderOnly}},
     kPrompt1 + kPrompt2 + "\n", kFinished, 0,
     header_lines("ped                 ", "MISSING VALUE: 5.")},
    {"EndOfInputAtSecondPromptMeetsThePause", "ped\n", {{"ped", kHeaderOnly}},
     kPrompt1 + kPrompt2 + "\n",
     kFinished + kNoTrace + "Run-time error: End of file\n", 2,
     header_lines("ped                 ", "MISSING VALUE: no")},
    {"PauseMeetsEndOfInput", "ped\n-9\n", {{"ped", kHeaderOnly}},
     kPrompt1 + kPrompt2 + "\n",
     kFinished + kNoTrace + "Run-time error: End of file\n", 2,
     header_lines("ped                 ", "MISSING VALUE: -9.")},
    {"PauseLastLineWithoutLineFeed", "ped\n-9\nx", {{"ped", kHeaderOnly}},
     kPrompt1 + kPrompt2 + "\n",
     kFinished + kNoTrace + "Run-time error: End of file\n", 2,
     header_lines("ped                 ", "MISSING VALUE: -9.")},
    {"ZeroRepeatCountInTheName", "0*abc\n", {}, kPrompt1,
     "At line * of file analysis/run.cpp (Unit 5)\n" + kNoTrace +
         "Run-time error: Zero repeat count in item 1 of list input\n",
     2, kNotice},
    {"EmptyPedigreeFile", "ped\n-9\n\n", {{"ped", ""}}, kPrompt1 + kPrompt2,
     "At line * of file analysis/pedigree_file.cpp (Unit 1 \"ped\")\n" + kNoTrace +
         "Run-time error: End of file\n",
     2, kNotice},
    {"BadIntegerInARecord", "ped\n-9\n\n", {{"ped", kHeaderOnly + "1 2 1.5 0 1 3\n"}},
     kPrompt1 + kPrompt2,
     "At line * of file analysis/pedigree_file.cpp (Unit 1 \"ped\")\n" + kNoTrace +
         "Run-time error: Bad integer for item 3 in list input\n",
     2, kNotice},
    {"RepeatedValueOfTheWrongKind", "ped\n-9\n\n", {{"ped", kHeaderOnly + "6*1\n"}},
     kPrompt1 + kPrompt2,
     "At line * of file analysis/pedigree_file.cpp (Unit 1 \"ped\")\n" + kNoTrace +
         "Run-time error: Read type INTEGER where REAL was expected for item 6\n",
     2, kNotice},
};

INSTANTIATE_TEST_SUITE_P(Runs, Dialogue, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Dialogue, ResultsFileThatIsADirectoryEndsBeforeAnyPrompt) {
  e2e::RunResult r = e2e::run_pedscreen({"ped\n-9\n\n", {{"outlier.out/keep", ""}}});
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(e2e::matches_stderr("At line * of file analysis/report.cpp file: \"outlier.out\"\n" +
                                      kNoTrace + "Run-time error: Is a directory\n",
                                  r.err))
      << r.err;
  EXPECT_EQ(r.status, 2);
}

}  // namespace
