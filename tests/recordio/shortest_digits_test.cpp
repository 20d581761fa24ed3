#include "recordio/shortest_digits.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cstdint>
#include <string>

namespace recordio {
namespace {

struct Case {
  float value;
  const char* digits;
  int exponent;
};

TEST(ShortestDigits, FewestDigitsThatIdentifyTheValue) {
  const Case cases[] = {
      {0.0f, "0", 0},
      {1.0f, "1", 0},
      {0.1f, "1", -1},
      {1.0f / 3.0f, "33333334", -1},
      {123456.7f, "1234567", 5},  // stored as 123456.703125
      {999999.125f, "9999991", 5},
      {1.0e7f, "1", 7},
      {FLT_MAX, "34028235", 38},
      {FLT_MIN, "11754944", -38},
      {std::bit_cast<float>(std::uint32_t{1}), "1", -45},  // smallest subnormal
      {std::bit_cast<float>(std::uint32_t{0x7fffff}), "11754942", -38},
  };
  for (const Case& c : cases) {
    const ShortestDigits sd = shortest_digits(c.value);
    EXPECT_EQ(std::string(sd.digits, sd.count), c.digits) << c.value;
    EXPECT_EQ(sd.exponent, c.exponent) << c.value;
  }
}

TEST(ShortestDigits, IntervalEndsAndTies) {
  const Case cases[] = {
      // Spacing 4: the interval ends 2 away belong to it only for an even
      // significand (33554450 is an end of both intervals).
      {33554448.0f, "3355445", 7},
      {33554452.0f, "33554452", 7},
      // Above a power of two the gap below is halved: 67108860 lies within
      // a full half-gap below but outside the halved one.
      {67108864.0f, "67108864", 7},
      // Exactly halfway between two 8-digit strings: the larger is taken.
      {2097152.25f, "20971523", 6},
      {2097152.75f, "20971528", 6},
  };
  for (const Case& c : cases) {
    const ShortestDigits sd = shortest_digits(c.value);
    EXPECT_EQ(std::string(sd.digits, sd.count), c.digits) << c.value;
    EXPECT_EQ(sd.exponent, c.exponent) << c.value;
  }
}

}  // namespace
}  // namespace recordio
