#include "recordio/plain_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "recordio/free_input.h"

namespace recordio {
namespace {

std::size_t skipped(const std::string& text) {
  InputSource source = InputSource::from_bytes(text);
  return skip_plain_records(source, 5);
}

struct Record {
  std::int32_t values[5] = {-1, -1, -1, -1, -1};
  float real = -1;
};

std::uint32_t bits(float f) {
  std::uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

// A plain line must be one that a read of five integers and a real takes
// whole, without error, leaving the source at the next line; a line read
// directly must give the values that read gives, to the bit.
void expect_read_alike(const std::string& line, bool direct) {
  InputSource source = InputSource::from_bytes(line + "NEXT");
  ListRead read(source);
  Record expected;
  for (std::int32_t& v : expected.values) read.integer(v);
  read.real(expected.real);
  EXPECT_EQ(read.finish(), ReadStatus::ok) << line;
  EXPECT_EQ(source.next(), 'N') << line;

  if (!direct) return;
  InputSource plain = InputSource::from_bytes(line + "NEXT");
  Record got;
  ASSERT_TRUE(read_plain_record(plain, got.values, 5, got.real)) << line;
  EXPECT_EQ(plain.next(), 'N') << line;
  for (int k = 0; k < 5; ++k) EXPECT_EQ(got.values[k], expected.values[k]) << line;
  EXPECT_EQ(bits(got.real), bits(expected.real)) << line;
}

// Which lines are plain: passed over when only counted, read directly
// (unless the real has more than 19 digits), and read alike either way.
TEST(PlainRecords, TakesPlainLinesOnlyAndReadsThemAlike) {
  struct Case {
    std::string line;
    bool plain;
    bool direct;
  };
  const Case cases[] = {
      {"1 2 0 0 1 172.5\n", true, true},
      {"  12 3   1 2 2 -9\n", true, true},
      {"+1 -2 007 4 5 -.5\n", true, true},
      {"1 2 3 4 5 6.\n", true, true},
      {"1 2 3 4 5 6.5 and a note, 'with quotes\n", true, true},
      {"999999999 2 3 4 5 6\n", true, true},
      {"1 2 3 4 5 -0\n", true, true},  // negative zero
      {"1 2 3 4 5 78.0588637919233\n", true, true},
      {"1 2 3 4 5 16777217\n", true, true},  // a tie, to even
      {"1 2 3 4 5 0.1000000000000000000000000001\n", true, false},  // past 19 digits
      {"1234567890 2 3 4 5 6\n", false, false},  // ten digits may be too large
      {"1 2 3 4 5 1.5e2\n", false, false},
      {"1 2 3 4 5 6.5\r\n", false, false},
      {"1 2 3 4 5 6.5,7\n", false, false},
      {"1,2 3 4 5 6\n", false, false},
      {"1\t2 3 4 5 6\n", false, false},
      {"1 2 3 4 5 1.2.3\n", false, false},  // a bad real
      {"1 2 3 4 x 6\n", false, false},      // a bad integer
      {"1 2 3 4 5 -\n", false, false},
      {"1 2 3 4 5\n", false, false},        // the real is on the next line
      {"\n", false, false},
      {"1 2 3 4 5 6.5", false, false},      // no line feed yet
  };
  for (const Case& c : cases) {
    EXPECT_EQ(skipped(c.line), c.plain ? 1u : 0u) << c.line;
    if (c.plain) expect_read_alike(c.line, c.direct);
    if (!c.direct) {
      // Not taken directly: nothing consumed, nothing stored.
      InputSource source = InputSource::from_bytes(c.line);
      Record untouched;
      EXPECT_FALSE(read_plain_record(source, untouched.values, 5, untouched.real));
      EXPECT_EQ(untouched.values[0], -1);
      EXPECT_EQ(untouched.real, -1.0f);
      EXPECT_EQ(source.next(), static_cast<unsigned char>(c.line[0]) == '\n'
                                   ? kLineEnd
                                   : static_cast<unsigned char>(c.line[0]));
    }
  }
}

TEST(PlainRecords, SkipCountsEveryPlainLineUpToTheFirstOther) {
  EXPECT_EQ(skipped("1 2 3 4 5 6\n1 2 3 4 5 7\n\n1 2 3 4 5 8\n"), 2u);
}

TEST(PlainRecords, SkipStopsBeforeTheFirstOtherLineAndLeavesItUnread) {
  InputSource source = InputSource::from_bytes(
      "1 1 0 0 1 170\n1 2 0 0 2 160\n1 3 1 2 x 150\n1 4 1 2 1 151\n");
  EXPECT_EQ(skip_plain_records(source, 5), 2u);
  EXPECT_EQ(source.next(), '1');
  EXPECT_EQ(source.next(), ' ');
  EXPECT_EQ(source.next(), '3');
}

}  // namespace
}  // namespace recordio
