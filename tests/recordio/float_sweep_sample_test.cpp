// The exhaustive sweep's checks over a spread of bit patterns: every
// exponent with its edge significands and a fixed pseudo-random selection.

#include <gtest/gtest.h>

#include "tools/float_checks.h"

namespace {

TEST(FloatSweepSample, NoDifferences) {
  float_checks::Tally tally;
  float_checks::Scratch scratch;
  for (std::uint32_t bits : float_checks::sample_patterns(300))
    float_checks::check_pair(bits, tally, scratch);
  for (const auto& e : tally.examples) ADD_FAILURE() << e;
  EXPECT_EQ(tally.total(), 0u);
  EXPECT_GT(tally.values, 150000u);
}

// The checks themselves must notice wrong digits.
TEST(FloatSweepSample, ChecksCatchWrongDigits) {
  auto differences = [](float value, const char* digits, int exponent) {
    recordio::ShortestDigits sd{};
    int n = 0;
    for (; digits[n]; ++n) sd.digits[n] = digits[n];
    sd.count = n;
    sd.exponent = exponent;
    float_checks::Tally tally;
    float_checks::check_shortest(std::bit_cast<std::uint32_t>(value), sd, tally);
    return tally.total();
  };
  EXPECT_EQ(differences(2097152.25f, "20971523", 6), 0u);
  EXPECT_GT(differences(2097152.25f, "20971522", 6), 0u);  // the smaller of a tie
  EXPECT_GT(differences(0.1f, "10000001", -1), 0u);        // longer than needed
  EXPECT_GT(differences(33554452.0f, "3355445", 7), 0u);   // excluded end
  EXPECT_GT(differences(1.0f, "1", 1), 0u);                // wrong exponent
}

}  // namespace
