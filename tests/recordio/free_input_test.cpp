#include "recordio/free_input.h"

#include <gtest/gtest.h>

#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "recordio/input_source.h"

namespace recordio {
namespace {

// Destinations start with contents that no read can produce, so that an
// item left unchanged shows as "-".
constexpr std::int32_t kUntouchedInteger = INT32_MIN;
constexpr std::uint32_t kUntouchedReal = 0x7FBADBAD;
constexpr char kUntouchedChar = '\x01';

std::string show_real(float f) {
  auto bits = std::bit_cast<std::uint32_t>(f);
  if (bits == kUntouchedReal) return "-";
  char text[32];
  if (std::isnan(f))
    std::snprintf(text, sizeof text, "nan:%08" PRIX32, bits);
  else if (f == 0)
    return std::signbit(f) ? "-0" : "0";
  else
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f));
  return text;
}

// Runs one statement. `kinds` names its items: i integer, r real, c a
// character item of 6, C one of 20; "." is a statement without items.
// The outcome lists the items, then EOF or ERR(message) for a failed status.
std::string statement(InputSource& source, std::string_view kinds) {
  ListRead read(source);
  std::string out;
  for (char kind : kinds) {
    if (kind == '.') continue;
    if (!out.empty()) out += ' ';
    if (kind == 'i') {
      std::int32_t v = kUntouchedInteger;
      read.integer(v);
      out += v == kUntouchedInteger ? "-" : std::to_string(v);
    } else if (kind == 'r') {
      float v = std::bit_cast<float>(kUntouchedReal);
      read.real(v);
      out += show_real(v);
    } else {
      std::string v(kind == 'c' ? 6 : 20, kUntouchedChar);
      read.character(v.data(), v.size());
      out += v.find(kUntouchedChar) != std::string::npos ? "-" : "[" + v + "]";
    }
  }
  ReadStatus status = read.finish();
  EXPECT_EQ(read.status(), status);
  if (status == ReadStatus::end_of_file) {
    EXPECT_EQ(read.status_code(), kStatusEndOfFile);
    out += out.empty() ? "EOF" : " EOF";
  } else if (status == ReadStatus::error) {
    EXPECT_EQ(read.status_code(), kStatusError);
    out += (out.empty() ? "ERR(" : " ERR(") + read.message() + ")";
  } else {
    EXPECT_EQ(read.status_code(), kStatusOk);
  }
  return out;
}

// Statements separated by "|", each outcome separated by " | ".
std::string statements(std::string input, std::string_view all_kinds) {
  InputSource source = InputSource::from_bytes(std::move(input));
  std::string out;
  for (std::size_t start = 0;;) {
    std::size_t bar = all_kinds.find('|', start);
    if (start != 0) out += " | ";
    out += statement(source, all_kinds.substr(start, bar - start));
    if (bar == std::string_view::npos) return out;
    start = bar + 1;
  }
}

struct Case {
  std::string input;
  std::string kinds;
  std::string want;
};

void run_table(const std::vector<Case>& cases) {
  for (const Case& c : cases)
    EXPECT_EQ(statements(c.input, c.kinds), c.want)
        << "input: \"" << c.input << "\" items: " << c.kinds;
}

TEST(FreeInput, SeparatorsAndLines) {
  run_table({
      {"1 2 3\n", "iii", "1 2 3"},
      {"1,2,3\n", "iii", "1 2 3"},
      {"1 , 2 ,3\n", "iii", "1 2 3"},
      {"1\n2\n3\n", "iii", "1 2 3"},
      {"\t1\t\t2   3\t\n", "iii", "1 2 3"},
      {"\n\n  \n1\n\n2\n\n\n3\n", "iii", "1 2 3"},
      {"1,\n2\n", "ii", "1 2"},  // a line end is never a null value
      {"1 2\r\n3\r\n4\n", "ii|i|i", "1 2 | 3 | 4"},
      {"1\r2\n", "ii", "1 2"},  // a lone carriage return is white space
      // Seven values for six items: the seventh goes with its line.
      {"1 2 3 4 5 6 7\n8 9 10 11 12 13\n", "iiiiii|iiiiii",
       "1 2 3 4 5 6 | 8 9 10 11 12 13"},
      // Four values: the rest come from the next line, whose remainder is
      // discarded.
      {"1 2 3 4\n5 6 7 8\n9\n", "iiiiii|i", "1 2 3 4 5 6 | 9"},
  });
}

TEST(FreeInput, NullValuesAndSlash) {
  run_table({
      {"1,,3\n", "iii", "1 - 3"},
      {",5\n", "ii", "- 5"},
      {"1 ,\n,3\n", "iii", "1 - 3"},
      {"1 , , 3\n", "iii", "1 - 3"},
      {"1 2 / 9 9\n8\n", "iiiii|i", "1 2 - - - | 8"},
      {"/ 9\n", "i", "-"},
      {",/ 9\n", "ii", "- -"},
      {"1,/\n", "iii", "1 - -"},
      {"a/b\n", "cc", "[a     ] -"},
      {",,\n7\n", "rrr", "- - 7"},  // a comma and then the line end
  });
}

TEST(FreeInput, EndOfFile) {
  run_table({
      {"", "i", "- EOF"},
      {"", "iiiiir", "- - - - - - EOF"},
      {"1 2", "ii|i", "1 2 | - EOF"},  // last line without a line feed
      {"7", "i|.", "7 | EOF"},
      {"1 2 3", "iiiiir", "1 2 3 - - - EOF"},  // record cut short
      {"1 2\n", "iii", "1 2 - EOF"},
      {"1\n\n  \n\t\n", "i|i", "1 | - EOF"},     // blank lines at the end
      {"'abc\ndef", "c|c", "[abcdef] | - EOF"},  // ends inside a quote
      {"1.5e", "r", "- ERR(Bad real number in item 1 of list input)"},
      {"1 2", "i|i|i", "1 | - EOF | - EOF"},  // a unit stays at its end
      // The pause: a statement without items consumes one whole line.
      {"\n", ".", ""},
      {"anything at all\n", ".|.", " | EOF"},
      {"no line feed", ".", "EOF"},
      {"", ".", "EOF"},
      {"\n\n", ".|.|.", " |  | EOF"},
  });
}

TEST(FreeInput, Integers) {
  run_table({
      {"007 -0 +5 2147483647 -2147483647\n", "iiiii",
       "7 0 5 2147483647 -2147483647"},
      {"2147483648\n", "i", "- ERR(Integer overflow while reading item 1)"},
      {"-2147483648\n", "i", "- ERR(Integer overflow while reading item 1)"},
      {"1 99999999999999999999999999\n", "ii",
       "1 - ERR(Integer overflow while reading item 2)"},
      {"000000000000000000000000000012\n", "i", "12"},
      {"99999999999x\n", "i", "- ERR(Bad integer for item 1 in list input)"},
      {"1 2 1.5 4 5 6\n", "iiiiir",
       "1 2 - - - - ERR(Bad integer for item 3 in list input)"},
  });
  for (const char* bad : {"1.0", "1e3", "12x", "NO", "+", "-", "+ 5", "1-2",
                          "--1", "'5'", "5;", "\"5\"", ".5", "\xff", "1\xff"}) {
    EXPECT_EQ(statements(std::string(bad) + "\n", "i"),
              "- ERR(Bad integer for item 1 in list input)")
        << bad;
  }
}

TEST(FreeInput, Reals) {
  run_table({
      {"5 5. +5 .5 -.5\n", "rrrrr", "5 5 5 0.5 -0.5"},
      {"1.5e2 1.5E+2 1.5d2 1.5D2 150e0 1.5+2 15e+1 1500d-1\n", "rrrrrrrr",
       "150 150 150 150 150 150 150 150"},
      {"2+5 1.5-3 -2.5e-1\n", "rrr", "200000 0.00150000001 -0.25"},
      // Sign-only, point-only and exponent-only mantissas are zero.
      {"+ - . +. +e5 .e5 -d9 --1 +-5 .-3\n", "rrrrrrrrrr",
       "0 -0 0 0 0 0 -0 -0 0 0"},
      {"-\n", "r", "-0"},
      {"16777217 16777219 3.4028235e38 3.4028236e38 -3.4028236e38\n", "rrrrr",
       "16777216 16777220 3.40282347e+38 inf -inf"},
      {"1e-46 -1e-46 1.4e-45 1.17549435e-38\n", "rrrr",
       "0 -0 1.40129846e-45 1.17549435e-38"},
      {"1e99999999999999999999999999 -1d-99999999999999999999999 "
       "0e99999999999999999999\n",
       "rrr", "inf -0 0"},
      {"1 2 3 4 5 6.5\n", "iiiiir", "1 2 3 4 5 6.5"},
      {"1 2 3 4 5 1\n", "iiiiir", "1 2 3 4 5 1"},
  });
  for (const char* bad :
       {"1.5e", "1.5e+", "1.5-", "1..5", "1.5.", "e5", "x", "1.5x", "1e5-3",
        "1e5.", "1;", "'1'", "*5", "1.5ee3", "1.5e+-3", "\xff"}) {
    EXPECT_EQ(statements(std::string(bad) + "\n", "r"),
              "- ERR(Bad real number in item 1 of list input)")
        << bad;
  }
}

TEST(FreeInput, RealBitPatterns) {
  struct BitCase {
    const char* text;
    std::uint32_t bits;
  } cases[] = {
      {"0.1", 0x3DCCCCCD},
      {"NaN", 0x7F8EA46B},
      {"-nan", 0xFF8EA46B},
      {"+NAN", 0x7F8EA46B},
      {"NaN(400000)", 0x7FC00000},
      {"nan(7fffff)", 0x7FFFFFFF},
      {"NaN(ffffffff1)", 0x7FFFFFF1},  // kept to 32 bits, then the low 23
      {"NaN(0)", 0x7F800000},
      {"-NaN(800000)", 0xFF800000},
      {"NaN()", 0x7F800000},
      {"INF", 0x7F800000},
      {"inf", 0x7F800000},
      {"Infinity", 0x7F800000},
      {"-INFINITY", 0xFF800000},
      {"+iNfInItY", 0x7F800000},
      {"INFx", 0x7F800000},
      {"NaNx", 0x7F8EA46B},
  };
  for (const BitCase& c : cases) {
    InputSource source = InputSource::from_bytes(std::string(c.text) + "\n");
    ListRead read(source);
    float v = 0;
    read.real(v);
    EXPECT_EQ(read.finish(), ReadStatus::ok) << c.text;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(v), c.bits) << c.text;
  }
}

TEST(FreeInput, InfinityAndNaNErrors) {
  run_table({
      {"INFINITE\n", "r", "- ERR(Bad infinity in item 1 of list input)"},
      {"IN\n", "r", "- ERR(Bad infinity in item 1 of list input)"},
      {"-Ix\n", "r", "- ERR(Bad infinity in item 1 of list input)"},
      {"infinit\n", "r", "- ERR(Bad infinity in item 1 of list input)"},
      {"NO\n", "r", "- ERR(Bad not-a-number in item 1 of list input)"},
      {"N\n", "r", "- ERR(Bad not-a-number in item 1 of list input)"},
      {"NaN(12g)\n", "r", "- ERR(Bad not-a-number in item 1 of list input)"},
      {"NaN(12\n34)\n", "r|i",
       "- ERR(Bad not-a-number in item 1 of list input) | - ERR(Bad integer "
       "for item 1 in list input)"},
      {"NaN(12", "r", "- ERR(Bad not-a-number in item 1 of list input)"},
      // What follows INF, INFINITY or NAN is left for the next value.
      {"INFx 5\n", "rr", "inf - ERR(Bad real number in item 2 of list input)"},
      {"INFINITYx 5\n", "rr",
       "inf - ERR(Bad real number in item 2 of list input)"},
      {"NaN(1)2\n", "rr", "nan:7F800001 2"},
      {"Inf,NaN -inf\n", "rrr", "inf nan:7F8EA46B -inf"},
  });
}

// A bad value costs only its own line: the character that made it bad is
// put back, so the statement's end discards the rest of that line only.
TEST(FreeInput, ErrorsCostOnlyTheirLine) {
  run_table({
      {"1 x 3\n4\n", "ii|i",
       "1 - ERR(Bad integer for item 2 in list input) | 4"},
      {"N\n\nx\n", "r|.|.|.",
       "- ERR(Bad not-a-number in item 1 of list input) |  |  | EOF"},
      {"+\n7\n", "i|i", "- ERR(Bad integer for item 1 in list input) | 7"},
      {"1.5e\n7\n", "r|r",
       "- ERR(Bad real number in item 1 of list input) | 7"},
      {"IN\n7\n", "r|r", "- ERR(Bad infinity in item 1 of list input) | 7"},
      {"5 2147483648 x\n7\n", "ii|i",
       "5 - ERR(Integer overflow while reading item 2) | 7"},
  });
}

TEST(FreeInput, RepeatCounts) {
  run_table({
      {"3*7 1 2\n", "iiiii", "7 7 7 1 2"},
      {"2*5 7\n", "iii", "5 5 7"},
      {"1 2*3\n", "iii", "1 3 3"},
      {"2*-5\n", "ii", "-5 -5"},
      {"2*\n", "ii", "- -"},
      {"2* 9\n", "iii", "- - 9"},
      {"2*,9\n", "iii", "- - 9"},
      {"2*/ 9\n", "iii", "- - -"},
      {"2*", "iii", "- - - EOF"},
      {"5*1\n2\n", "ii|i", "1 1 | 2"},  // what reaches past the end is dropped
      {"200000000*4\n", "ii", "4 4"},
      {"0*7\n", "i", "- ERR(Zero repeat count in item 1 of list input)"},
      {"1 00*7\n", "ii", "1 - ERR(Zero repeat count in item 2 of list input)"},
      {"200000001*1\n", "i",
       "- ERR(Repeat count overflow in item 1 of list input)"},
      {"99999999999999999999999*1\n", "i",
       "- ERR(Repeat count overflow in item 1 of list input)"},
      {"6*1\n", "iiiiir",
       "1 1 1 1 1 - ERR(Read type INTEGER where REAL was expected for item 6)"},
      {"2*1.5\n", "ri",
       "1.5 - ERR(Read type REAL where INTEGER was expected for item 2)"},
      {"2*ab\n", "ci",
       "[ab    ] - ERR(Read type CHARACTER where INTEGER was expected for item "
       "2)"},
      {"6*\n", "iiiiir", "- - - - - -"},  // null values fit any kind
      {"2*3*4\n", "ii", "- - ERR(Bad integer for item 1 in list input)"},
      {"2*+\n", "i", "- ERR(Bad integer for item 1 in list input)"},
      {"2*x\n", "i", "- ERR(Bad integer for item 1 in list input)"},
      {"-2*3\n", "i", "- ERR(Bad integer for item 1 in list input)"},
      // Reals after a count: every character starts the mantissa.
      {"2*1.5 3*-2\n", "rrrrr", "1.5 1.5 -2 -2 -2"},
      {"2*e5 2*. 1*-\n", "rrrrr", "0 0 0 0 -0"},
      {"2*3*4\n", "r", "- ERR(Bad real number in item 1 of list input)"},
      {"2*inf\n", "r", "- ERR(Bad real number in item 1 of list input)"},
      {"2*-nan\n", "r", "- ERR(Bad real number in item 1 of list input)"},
      {"0*x\n", "r", "- ERR(Zero repeat count in item 1 of list input)"},
      {"3*abc\n", "c", "[abc   ]"},
      {"3*\n", "c", "-"},
      {"2*3*x\n", "cc", "[3*x   ] [3*x   ]"},
      {"2*'a b'\n", "cC", "[a b   ] [a b                 ]"},
      {"0*abc\n", "C", "- ERR(Zero repeat count in item 1 of list input)"},
  });
}

TEST(FreeInput, CharacterValues) {
  run_table({
      {"data/family.txt\n", "C", "[data                ]"},
      {"'data/family.txt'\n", "C", "[data/family.txt     ]"},
      {"\"data/family.txt\"\n", "C", "[data/family.txt     ]"},
      {"x'y.txt\n", "C", "[x'y.txt             ]"},
      {"'a b,c;d'\n", "C", "[a b,c;d             ]"},
      {"a_name_longer_than_twenty\n", "C", "[a_name_longer_than_t]"},
      {"'it''s'\n", "c", "[it's  ]"},
      {"\"say \"\"hi\"\"\"\n", "C", "[say \"hi\"            ]"},
      {"\"it's\" 'x\"y'\n", "cc", "[it's  ] [x\"y   ]"},
      {"'ab\ncd' ef\n", "cc", "[abcd  ] [ef    ]"},
      {"'ab\n\ncd'\n", "c", "[abcd  ]"},
      {"'a\tb\rc'\n", "c", "[a\tb\rc ]"},
      {"''\n", "c", "[      ]"},
      {"'abc'def\n", "cc", "[abc   ] [def   ]"},
      {"12 34 12ab 5*\n", "ccc", "[12    ] [34    ] [12ab  ]"},
      {"a;b 12\n", "cc", "[a;b   ] [12    ]"},
      {"fam id fa mo sex trait\n1 1 0 0 1 5.5\n", "cccccc|iiiiir",
       "[fam   ] [id    ] [fa    ] [mo    ] [sex   ] [trait ] | 1 1 0 0 1 5.5"},
      {"ab\xff\xff c\xff\n", "cc", "[ab\xff\xff  ] [c\xff    ]"},
      {"'\xff'\n", "c", "[\xff     ]"},
      {"x\xff", "c|c", "[x\xff    ] | - EOF"},
      {std::string("a\0b\n", 4), "c", std::string("[a\0b   ]", 8)},
      // An unclosed quote swallows the following lines.
      {"'fam id\n1 2 3\n", "cc", "[fam id] - EOF"},
  });
}

// A value of any length is read whole; lines of any length are skipped.
TEST(FreeInput, LongValuesAndLines) {
  std::string long_text(5000, 'x');
  EXPECT_EQ(statements("'" + long_text + "' 7\n", "ci"), "[xxxxxx] 7");
  EXPECT_EQ(
      statements(std::string(100000, ' ') + "5 " + long_text + "\n6\n", "i|i"),
      "5 | 6");
  std::string zeros(400, '0');
  EXPECT_EQ(statements("0." + zeros + "25e401 1" + zeros + "e-400\n", "rr"),
            "2.5 1");
  EXPECT_EQ(statements(std::string(300, '9') + "\n", "i"),
            "- ERR(Integer overflow while reading item 1)");
}

// A quote that never closes takes the rest of the stream as its value; only
// the start that an item can hold is kept (the end-to-end faults test checks
// the memory on a 100 MB file).
TEST(FreeInput, UnclosedQuoteRunsToTheEndOfTheStream) {
  const std::string rest(1 << 20, 'x');
  EXPECT_EQ(statements("'ab\n" + rest + "\n" + rest, "C|."),
            "[abxxxxxxxxxxxxxxxxxx] | EOF");
  EXPECT_EQ(statements("ab" + rest + " 7\n", "ci"), "[abxxxx] 7");
  EXPECT_EQ(statements("2*'" + rest + "'\n", "cC"), "[xxxxxx] [xxxxxxxxxxxxxxxxxxxx]");
}

// Values and line ends that straddle the chunks in which a file is read.
TEST(FreeInput, ValuesAcrossReadChunks) {
  constexpr std::size_t kChunk = 1 << 16;
  std::string content;
  std::string want;
  auto place = [&](std::size_t boundary, std::size_t before,
                   const std::string& text) {
    content.append(boundary - before - content.size(), ' ');
    content += text;
  };
  place(kChunk, 3, "1234567\n");       // digits across the boundary
  place(2 * kChunk, 4, "2.5e-1\r\n");  // exponent across
  place(3 * kChunk, 3, "'abcdef'\n");  // a quoted value
  place(4 * kChunk, 1, "-NaN(1)\n");   // NaN across
  // A carriage return as a chunk's last byte waits for what follows it
  // (the chunks after this one start a byte earlier).
  place(5 * kChunk, 2, "8\r\n");
  place(6 * kChunk, 7, "12 34 5.\n");  // several values
  content += "77";                     // last line without a line feed

  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), file),
            content.size());
  std::fflush(file);
  std::rewind(file);
  InputSource source(fileno(file));
  EXPECT_EQ(statement(source, "i"), "1234567");
  EXPECT_EQ(statement(source, "r"), "0.25");
  EXPECT_EQ(statement(source, "c"), "[abcdef]");
  EXPECT_EQ(statement(source, "r"), "nan:FF800001");
  EXPECT_EQ(statement(source, "i"), "8");
  EXPECT_EQ(statement(source, "iir"), "12 34 5");
  EXPECT_EQ(statement(source, "i"), "77");
  EXPECT_EQ(statement(source, "."), "EOF");
  std::fclose(file);
}

}  // namespace
}  // namespace recordio
