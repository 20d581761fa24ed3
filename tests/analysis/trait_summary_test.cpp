#include "analysis/trait_summary.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace analysis {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
// What 0/0 gives on the floating-point unit: the default NaN, sign bit set.
constexpr std::uint32_t kDefaultNaN = 0xFFC00000u;

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

TraitAccumulator accumulate(const std::vector<float>& values,
                            float missing_code) {
  TraitAccumulator acc;
  for (float x : values) add_trait_value(acc, x, missing_code);
  return acc;
}

struct SummaryCase {
  const char* name;
  std::vector<float> values;
  float missing_code;
  std::int32_t N;
  float Min, Max, Mean, Var;  // compared bit for bit
};

TEST(TraitSummary, WorkedCases) {
  const float nan = std::bit_cast<float>(kDefaultNaN);
  const std::vector<SummaryCase> cases = {
      {"one missing", {1, 2, 3, -9}, -9, 3, 1, 3, 2, 1},
      {"no values", {}, -9, 0, 9999, -9999, nan, nan},
      {"one value", {5}, -9, 1, 5, 5, 5, nan},
      {"999999 missing when none", {999999, 1, 3}, MISSING_NONE, 2, 1, 3, 2, 2},
      {"NaN code matches nothing", {1, 3}, kNaN, 2, 1, 3, 2, 2},
      {"-0 is missing under code 0", {-0.0f, 4}, 0, 1, 4, 4, 4, nan},
      // Min and Max are values somebody has, also beyond ±9999.
      {"all above 9999", {12000, 15000}, -9, 2, 12000, 15000, 13500, 4.5e6f},
      {"all below -9999", {-12000, -15000}, -9, 2, -15000, -12000, -13500,
       4.5e6f},
      {"only NaN", {kNaN}, -9, 1, 9999, -9999, kNaN, kNaN},
      {"first of -0 and +0 stays", {-0.0f, 0.0f}, -9, 2, -0.0f, -0.0f, 0, 0},
      {"first of +0 and -0 stays", {0.0f, -0.0f}, -9, 2, 0.0f, 0.0f, 0, 0},
      // 4097² = 2^24 + 8193 is not a float; the square enters the sum
      // exactly, so 1 + 4097² = 16785410 and Var = 2^23 (rounding the square
      // first would give 16785408 and 8388606).
      {"square added exactly", {1, 4097}, -9, 2, 1, 4097, 2049, 8388608},
  };
  for (const SummaryCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TraitSummary s =
        finish_trait_summary(accumulate(c.values, c.missing_code));
    EXPECT_EQ(s.N, c.N);
    EXPECT_EQ(bits(s.Min), bits(c.Min));
    EXPECT_EQ(bits(s.Max), bits(c.Max));
    if (c.Mean != c.Mean && bits(c.Mean) != kDefaultNaN) {
      EXPECT_TRUE(s.Mean != s.Mean);  // any NaN carried through from the data
      EXPECT_TRUE(s.Var != s.Var);
    } else {
      EXPECT_EQ(bits(s.Mean), bits(c.Mean));
      EXPECT_EQ(bits(s.Var), bits(c.Var));
    }
  }
}

TEST(TraitSummary, NaNValueCountsAndPoisonsTheSums) {
  const TraitAccumulator acc = accumulate({kNaN, 2, 1}, -9);
  EXPECT_EQ(acc.N, 3);
  EXPECT_TRUE(acc.sum != acc.sum);
  EXPECT_TRUE(acc.sum_of_squares != acc.sum_of_squares);
  EXPECT_EQ(acc.Min, 1.0f);
  EXPECT_EQ(acc.Max, 2.0f);
}

TEST(TraitSummary, SumsOverflowToInfinity) {
  const TraitSummary s = finish_trait_summary(accumulate({3e38f, 3e38f}, -9));
  EXPECT_EQ(s.Mean, std::numeric_limits<float>::infinity());
  EXPECT_TRUE(s.Var != s.Var);  // inf − inf
}

}  // namespace
}  // namespace analysis
