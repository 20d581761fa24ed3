// Ew.d fields take their digits from exact integer arithmetic on the
// significand; these tests hold that road to the correctly rounded digits.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "recordio/number_fields.h"

namespace recordio {
namespace {

std::string field(float value, int w, int d) {
  std::string out;
  append_exponent_field(out, value, w, d);
  return out;
}

float from_bits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(ExponentField, RoundsTiesToEvenAndCarriesIntoANewDigit) {
  struct Case {
    float value;
    const char* expected;
  };
  const Case cases[] = {
      {173.5f, "  0.1735E+03"},
      {12.125f, "  0.1212E+02"},      // exact tie, even digit stays
      {12.375f, "  0.1238E+02"},      // exact tie, odd digit goes up
      {99985.0f, "  0.9998E+05"},
      {99995.0f, "  0.1000E+06"},     // tie on an odd digit carries
      {9999.5f, "  0.1000E+05"},
      {16777216.0f, "  0.1678E+08"},
      {3.40282347e38f, "  0.3403E+39"},
      {1e-40f, "  0.1000E-39"},        // subnormal
      {from_bits(1), "  0.1401E-44"},  // the smallest subnormal
      {-0.000123456f, " -0.1235E-03"},
  };
  for (const Case& c : cases) EXPECT_EQ(field(c.value, 12, 4), c.expected) << c.value;
}

// The digits as std::to_chars gives them (it rounds the exact binary value
// once, ties to even), laid out as 0.DDDDE+XX in w characters.
std::string reference(float value, int w, int d) {
  const bool negative = std::signbit(value);
  const float magnitude = std::fabs(value);
  char digits[64];
  const auto end = std::to_chars(digits, digits + sizeof digits, double(magnitude),
                                 std::chars_format::scientific, d - 1).ptr;
  *end = '\0';
  const int x = std::atoi(std::strchr(digits, 'e') + 1) + 1;
  std::string text = negative ? "-0." : "0.";
  text += digits[0];
  if (d > 1) text.append(digits + 2, std::size_t(d - 1));
  char exponent[16];
  std::snprintf(exponent, sizeof exponent, "E%c%02d", x < 0 ? '-' : '+', std::abs(x));
  text += exponent;
  // One character too many: the 0 before the point goes; more: asterisks.
  if (text.size() == std::size_t(w) + 1) text.erase(negative ? 1 : 0, 1);
  if (text.size() > std::size_t(w)) return std::string(std::size_t(w), '*');
  return std::string(std::size_t(w) - text.size(), ' ') + text;
}

TEST(ExponentField, AgreesWithExactConversionOverSampledBitPatternsAndWidths) {
  std::uint64_t state = 12345;
  for (int k = 0; k < 200000; ++k) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const float value = from_bits(std::uint32_t(state >> 32) & 0xFF7FFFFFu);
    if (!std::isfinite(value) || value == 0) continue;
    const int d = 1 + k % 9;
    const int w = d + 5 + (k / 9) % 4;  // from too narrow to two spare blanks
    ASSERT_EQ(field(value, w, d), reference(value, w, d)) << std::hexfloat << value;
  }
}

}  // namespace
}  // namespace recordio
