#include "recordio/edited_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace recordio {
namespace {

using Items = std::vector<OutputItem>;

std::string write(std::string_view format, const Items& items) {
  std::string out;
  std::string error;
  EXPECT_TRUE(write_edited_records(out, format, items, error))
      << format << "\n" << error;
  return out;
}

struct Case {
  std::string_view format;
  Items items;
  std::string expected;
};

void expect_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(write(c.format, c.items), c.expected) << c.format;
  }
}

std::string blanks(std::size_t n) { return std::string(n, ' '); }

// The format strings of the report, the error lines and the prompts.
TEST(EditedOutput, ProgramFormats) {
  const std::string stats_heading =
      blanks(13) + "       N" + "           Min " + "           Max " +
      "          Mean " + "          Var  " + "        SibCorr";
  ASSERT_EQ(stats_heading.size(), 96u);
  std::string stats_row = "TRAIT        " + std::string("      12");
  for (int k = 0; k < 5; ++k) stats_row += (k ? "  " : "") + blanks(7) + "2.0000";
  ASSERT_EQ(stats_row.size(), 94u);
  const std::string pair_heading = std::string("     fam") + "    fa  " +
                                   "    mo  " + "   id_1 " + "   id_2 " +
                                   "      tr_1  " + "      tr_2  " +
                                   "      D2   ";
  ASSERT_EQ(pair_heading.size(), 75u);
  const std::string pair_row =
      "       1       2       3    1017      12  0.1500E+01  0.2000E+01"
      " 0.1500E+01";
  ASSERT_EQ(pair_row.size(), 75u);

  expect_cases({
      {"(a,i6,a,i2)",
       {"Sex error: Person ", 12, " has incorrect sex code ", 3},
       "Sex error: Person     12 has incorrect sex code  3\n"},
      {"(a,i6,a,i2)",
       {"Sex error: Person ", 1234, " has incorrect sex code ", 100},
       "Sex error: Person   1234 has incorrect sex code **\n"},
      {"('Sex error: Person',i6,' is ',a6,', but ',a6,' in line',i6)",
       {7, "male  ", "mother", 15},
       "Sex error: Person     7 is male  , but mother in line    15\n"},
      {"(3(a,i6))",
       {"Person ", 25, " was duplicated in lines:", 3, " and", 9},
       "Person     25 was duplicated in lines:     3 and     9\n"},
      {"(i5,i8)", {3, 1017}, "    3    1017\n"},
      {"(13x,a8,5(a15))",
       {"N", "Min ", "Max ", "Mean ", "Var  ", "SibCorr"},
       stats_heading + "\n"},
      {"(a13,i8,5(f13.4,2x))",
       {"TRAIT        ", 12, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f},
       stats_row + "\n"},
      // The trailing A field gets no item and writes nothing.
      {"(a14,E11.4,a13)", {"E(D2)        =", 1.5f},
       "E(D2)        = 0.1500E+01\n"},
      {"(a14,E11.4,a11)", {"SD(D2)       =", 1.5f},
       "SD(D2)       = 0.1500E+01\n"},
      {"(5a8,2a12,a11)",
       {"fam", "fa  ", "mo  ", "id_1 ", "id_2 ", "tr_1  ", "tr_2  ", "D2   "},
       pair_heading + "\n"},
      {"(5i8,2e12.4,e11.4)", {1, 2, 3, 1017, 12, 1.5f, 2.0f, 1.5f},
       pair_row + "\n"},
      {"('INPUT NAME of FILE WITH PEDIGREE DATA: ',$)",
       {},
       "INPUT NAME of FILE WITH PEDIGREE DATA: "},
  });
}

TEST(EditedOutput, SecondPromptIgnoresTabAndEndsOpen) {
  const std::string format =
      "('INPUT CODE OF MISSING DATA (REAL OR INTEGER)'/\t'      OR \"NO\" "
      "FOR SAMPLE WITHOUT MISSING DATA: ',$)";
  ASSERT_EQ(format.size(), 101u);
  EXPECT_EQ(write(format, {}),
            "INPUT CODE OF MISSING DATA (REAL OR INTEGER)\n"
            "      OR \"NO\" FOR SAMPLE WITHOUT MISSING DATA: ");
}

TEST(EditedOutput, ReadingTheFormat) {
  expect_cases({
      // Blanks and tabs inside counts and widths, letters in either case.
      {"( 2 A 3 ,\tI 1 0 )", {"abcd", "xy", 7}, "abc xy         7\n"},
      // Commas may be left out; empty items are skipped.
      {"(,i2i3,,'|'/'b'\"c\",)", {1, 2}, " 1  2|\nbc\n"},
      // Doubled quotes are one character; the other quote is ordinary.
      {"('it''s \"q\"',\"\"\"\")", {}, "it's \"q\"\"\n"},
      // Nothing after the root's right parenthesis is read.
      {"('a') junk '", {}, "a\n"},
      {"()", {}, "\n"},
  });
}

TEST(EditedOutput, TextFields) {
  expect_cases({
      {"(a)", {"female"}, "female\n"},
      {"(a)", {""}, "\n"},
      {"(a)", {std::string_view("\t\0\x01", 3)}, std::string("\t\0\x01\n", 4)},
      {"(a8)", {"N"}, "       N\n"},
      {"(a15)", {"Min "}, blanks(11) + "Min \n"},
      {"(a6)", {"female"}, "female\n"},
      {"(A3)", {"female"}, "fem\n"},
      {"(a0,'|')", {"female"}, "|\n"},
  });
}

// X moves the position; its blanks reach the line only when something is
// written further right.
TEST(EditedOutput, PositionMoves) {
  expect_cases({
      {"(i2,3x)", {5}, " 5\n"},
      {"(i2,3x,i2)", {5, 6}, " 5    6\n"},
      {"(x,'a',2x)", {}, " a\n"},
      {"(i2,3x,'')", {5}, " 5   \n"},
      {"(2000000000x)", {}, "\n"},
      {"(0x,'a')", {}, "a\n"},
  });
}

TEST(EditedOutput, SlashesAndDollar) {
  expect_cases({
      {"('a',2/'b')", {}, "a\n\nb\n"},
      {"('a'/)", {}, "a\n\n"},
      {"('a',/,'b',\\)", {}, "a\nb"},
      {"(i2,$)", {5}, " 5"},
      {"(i2,$)", {5, 6}, " 5\n 6"},
      {"(i3)", {}, "\n"},
      // A dollar takes effect only when the walk reaches it.
      {"(i2,i2,$)", {1}, " 1\n"},
  });
}

TEST(EditedOutput, NestedGroups) {
  expect_cases({
      {"(2('[',i1,2('<',i1,'>'),']'))", {1, 2, 3, 4, 5, 6},
       "[1<2><3>][4<5><6>]\n"},
      // After the last item the literals up to the next data descriptor are
      // still written; the restart starts every inner group afresh.
      {"(2('[',i1,2('<',i1,'>'),']'))", {1, 2, 3, 4, 5, 6, 7},
       "[1<2><3>][4<5><6>]\n[7<\n"},
      // Groups with nothing inside are passed over, whatever their repeat,
      // also when the restart resumes at one.
      {"(2000000000(1000000000()),i1)", {1, 2, 3}, "1\n2\n3\n"},
  });
}

// Items outlasting the format: a new record, resumed at the last group of the
// root with its full repeat (then on through the nodes after it), or at the
// root's start when it holds no group.
TEST(EditedOutput, Restart) {
  expect_cases({
      {"(i3,2(i2,'x'))", {1, 2, 3, 4, 5, 6, 7},
       "  1 2x 3x\n 4x 5x\n 6x 7x\n"},
      {"(i2,'|')", {1, 2, 3}, " 1|\n 2|\n 3|\n"},
      {"(a,(i2),'-')", {"x", 1, 2, 3}, "x 1-\n 2-\n 3-\n"},
      {"(2(i1),(a),i1)", {1, 2, "a", 3, "b", 4}, "12a3\nb4\n"},
  });
}

// Every statement starts at the root, also when the previous statement under
// the same format stopped inside a group.
TEST(EditedOutput, StatementsStartAfresh) {
  const std::string_view format = "(i3,2(i2,'x'))";
  EXPECT_EQ(write(format, {1, 2}), "  1 2x\n");
  EXPECT_EQ(write(format, {1}), "  1\n");
  std::string out = "kept\n";
  std::string error;
  EXPECT_TRUE(write_edited_records(out, format, Items{1}, error));
  EXPECT_EQ(out, "kept\n  1\n");
}

struct ErrorCase {
  std::string format;
  Items items;
  std::string report;
  std::string out;  // the records delivered before the error
};

TEST(EditedOutput, ErrorReports) {
  const std::vector<ErrorCase> cases = {
      {"i3", {}, "Missing initial left parenthesis in format\ni3\n^", ""},
      {"", {}, "Missing initial left parenthesis in format\n\n^", ""},
      {"  x(i3)", {}, "Missing initial left parenthesis in format\n  x(i3)\n  ^",
       ""},
      {"('abc)", {}, "Unterminated character constant in format\n('abc)\n      ^",
       ""},
      {"(i3,", {}, "Unexpected end of format string\n(i3,\n    ^", ""},
      {"(2(i3)", {}, "Unexpected end of format string\n(2(i3)\n      ^", ""},
      {"(i", {}, "Unexpected end of format string\n(i\n  ^", ""},
      {"(i3,q5)", {}, "Unexpected element in format\n(i3,q5)\n    ^", ""},
      {"(t5,a)", {}, "Unexpected element in format\n(t5,a)\n ^", ""},
      {"(2'x')", {}, "Unexpected element in format\n(2'x')\n  ^", ""},
      {"(3,i2)", {}, "Unexpected element in format\n(3,i2)\n  ^", ""},
      {"(0i3)", {}, "Unexpected element in format\n(0i3)\n  ^", ""},
      {"(2$)", {}, "Unexpected element in format\n(2$)\n  ^", ""},
      {"(i9999999999)", {},
       "Unexpected element in format\n(i9999999999)\n           ^", ""},
      {"(i,a)", {}, "Nonnegative width required in format\n(i,a)\n  ^", ""},
      {"(f8.)", {}, "Nonnegative width required in format\n(f8.)\n    ^", ""},
      {"(e8.x)", {}, "Nonnegative width required in format\n(e8.x)\n    ^", ""},
      {"(f8)", {}, "Period required in format\n(f8)\n   ^", ""},
      {"(e8,a)", {}, "Period required in format\n(e8,a)\n   ^", ""},
      {"(e8.2e)", {},
       "Positive exponent width required in format\n(e8.2e)\n      ^", ""},
      {"(e8.2e0)", {},
       "Positive exponent width required in format\n(e8.2e0)\n      ^", ""},
      {"(i3.5)", {}, "Minimum digits exceeds field width\n(i3.5)\n    ^", ""},
      // Exhausted: the caret stands under the root's right parenthesis.
      {"('x')", {1}, "Exhausted data descriptors in format\n('x')\n    ^",
       "x\nx\n"},
      {"(i3,2('x')) ", {1, 2},
       "Exhausted data descriptors in format\n(i3,2('x')) \n          ^",
       "  1xx\nxx\n"},
      // The restart resumes at the last group of the root even when it has
      // nothing to hand out.
      {"(i1,2000000000(1000000000()))", {1, 2},
       "Exhausted data descriptors in format\n"
       "(i1,2000000000(1000000000()))\n" + std::string(28, ' ') + "^",
       "1\n"},
      // Type mismatch: the caret stands under the descriptor's last character.
      {"(a,i6)", {"x", 1.5f},
       "Expected INTEGER for item 2 in formatted transfer, got REAL\n"
       "(a,i6)\n    ^",
       "x\n"},
      {"(a8)", {3},
       "Expected CHARACTER for item 1 in formatted transfer, got INTEGER\n"
       "(a8)\n  ^",
       ""},
      {"(i2/f13.4)", {1, "x"},
       "Expected REAL for item 2 in formatted transfer, got CHARACTER\n"
       "(i2/f13.4)\n        ^",
       " 1\n"},
      {"(i2/e11.4)", {1, 7},
       "Expected REAL for item 2 in formatted transfer, got INTEGER\n"
       "(i2/e11.4)\n        ^",
       " 1\n"},
      // Nothing is written past the record's limit of 10^9 characters.
      {"(600000000x,600000000x,'a')", {},
       "End of record\n(600000000x,600000000x,'a')\n                         ^",
       ""},
  };
  for (const ErrorCase& c : cases) {
    std::string out;
    std::string error;
    EXPECT_FALSE(write_edited_records(out, c.format, c.items, error))
        << c.format;
    EXPECT_EQ(error, c.report) << c.format;
    EXPECT_EQ(out, c.out) << c.format;
  }
}

// Far into a long format the line shown starts 40 characters before the
// error, so that the caret stays on the screen.
TEST(EditedOutput, ErrorLineWindow) {
  const std::string tail(100, 'z');
  {
    const std::string format = "('" + std::string(57, 'a') + "'q" + tail;
    std::string out, error;
    EXPECT_FALSE(write_edited_records(out, format, {}, error));
    EXPECT_EQ(error, "Unexpected element in format\n('" + std::string(57, 'a') +
                         "'q" + std::string(19, 'z') + "\n" + blanks(60) + "^");
  }
  {
    const std::string format = "('" + std::string(58, 'a') + "'q" + tail;
    std::string out, error;
    EXPECT_FALSE(write_edited_records(out, format, {}, error));
    EXPECT_EQ(error, "Unexpected element in format\n" + std::string(39, 'a') +
                         "'q" + std::string(39, 'z') + "\n" + blanks(40) + "^");
  }
}

}  // namespace
}  // namespace recordio
