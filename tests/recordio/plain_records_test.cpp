#include "recordio/plain_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "recordio/free_input.h"

namespace recordio {
namespace {

std::size_t skipped(const std::string& text) {
  InputSource source = InputSource::from_bytes(text);
  return skip_plain_records(source, 5);
}

// A line passed over must be one that a read of five integers and a real
// takes whole, without error, leaving the source at the next line.
void expect_read_whole(const std::string& line) {
  InputSource source = InputSource::from_bytes(line + "NEXT");
  ListRead read(source);
  std::int32_t value = 0;
  float real = 0;
  for (int k = 0; k < 5; ++k) read.integer(value);
  read.real(real);
  EXPECT_EQ(read.finish(), ReadStatus::ok) << line;
  EXPECT_EQ(source.next(), 'N') << line;
}

TEST(SkipPlainRecords, PassesOverPlainLinesOnly) {
  struct Case {
    std::string line;
    bool plain;
  };
  const Case cases[] = {
      {"1 2 0 0 1 172.5\n", true},
      {"  12 3   1 2 2 -9\n", true},
      {"+1 -2 007 4 5 -.5\n", true},
      {"1 2 3 4 5 6.\n", true},
      {"1 2 3 4 5 6.5 and a note, 'with quotes\n", true},
      {"999999999 2 3 4 5 6\n", true},
      {"1234567890 2 3 4 5 6\n", false},  // ten digits may be too large
      {"1 2 3 4 5 1.5e2\n", false},
      {"1 2 3 4 5 6.5\r\n", false},
      {"1 2 3 4 5 6.5,7\n", false},
      {"1,2 3 4 5 6\n", false},
      {"1\t2 3 4 5 6\n", false},
      {"1 2 3 4 5 1.2.3\n", false},  // a bad real
      {"1 2 3 4 x 6\n", false},      // a bad integer
      {"1 2 3 4 5 -\n", false},
      {"1 2 3 4 5\n", false},        // the real is on the next line
      {"1 2 3 4 5 6\n"
       "\n", true},                  // passes the record, stops at the blank line
      {"\n", false},
      {"1 2 3 4 5 6.5", false},      // no line feed yet
  };
  for (const Case& c : cases) {
    EXPECT_EQ(skipped(c.line), c.plain ? 1u : 0u) << c.line;
    if (c.plain) expect_read_whole(c.line.substr(0, c.line.find('\n') + 1));
  }
}

TEST(SkipPlainRecords, StopsBeforeTheFirstOtherLineAndLeavesItUnread) {
  InputSource source = InputSource::from_bytes(
      "1 1 0 0 1 170\n1 2 0 0 2 160\n1 3 1 2 x 150\n1 4 1 2 1 151\n");
  EXPECT_EQ(skip_plain_records(source, 5), 2u);
  EXPECT_EQ(source.next(), '1');
  EXPECT_EQ(source.next(), ' ');
  EXPECT_EQ(source.next(), '3');
}

}  // namespace
}  // namespace recordio
