#include "recordio/number_fields.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace recordio {
namespace {

std::string blanks(int n) { return std::string(std::size_t(n), ' '); }

std::string i_field(std::int32_t v, int w, int m = kAbsent) {
  std::string out;
  append_integer_field(out, v, w, m);
  return out;
}
std::string f_field(float v, int w, int d) {
  std::string out;
  append_fixed_field(out, v, w, d);
  return out;
}
std::string e_field(float v, int w, int d, int e = kAbsent) {
  std::string out;
  append_exponent_field(out, v, w, d, e);
  return out;
}

TEST(IntegerField, RightJustifiedOrAsterisks) {
  EXPECT_EQ(i_field(123, 6), "   123");
  EXPECT_EQ(i_field(-12345, 6), "-12345");
  EXPECT_EQ(i_field(0, 6), "     0");
  EXPECT_EQ(i_field(1234567, 6), "******");
  EXPECT_EQ(i_field(-123456, 6), "******");
  EXPECT_EQ(i_field(3, 2), " 3");
  EXPECT_EQ(i_field(-1, 2), "-1");
  EXPECT_EQ(i_field(-10, 2), "**");
  EXPECT_EQ(i_field(100, 2), "**");
  EXPECT_EQ(i_field(-2147483647 - 1, 11), "-2147483648");
  EXPECT_EQ(i_field(-2147483647 - 1, 10), "**********");
}

TEST(IntegerField, MinimumDigits) {
  EXPECT_EQ(i_field(5, 4, 3), " 005");
  EXPECT_EQ(i_field(-5, 4, 3), "-005");
  EXPECT_EQ(i_field(-5, 3, 3), "***");
  EXPECT_EQ(i_field(0, 3, 0), "   ");  // m = 0: a zero has no digits
  EXPECT_EQ(i_field(7, 3, 0), "  7");
  EXPECT_EQ(i_field(12345, 4, 2), "****");
}

// The fields rely on to_chars rounding the exact binary value once with ties
// to even, for the fixed and the scientific form alike.
TEST(NumberFields, ToCharsRoundsExactTiesToEven) {
  auto text = [](double v, std::chars_format form, int precision) {
    char buffer[64];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, v, form, precision).ptr;
    return std::string(buffer, end);
  };
  EXPECT_EQ(text(0.125, std::chars_format::fixed, 2), "0.12");
  EXPECT_EQ(text(0.375, std::chars_format::fixed, 2), "0.38");
  EXPECT_EQ(text(2.5, std::chars_format::fixed, 0), "2");
  EXPECT_EQ(text(1234.5, std::chars_format::scientific, 3), "1.234e+03");
  EXPECT_EQ(text(1235.5, std::chars_format::scientific, 3), "1.236e+03");
  // Just above a tie (0.1f is 0.100000001490116...) rounds up.
  EXPECT_EQ(text(double(0.15f), std::chars_format::fixed, 1), "0.2");
}

TEST(FixedField, ProgramWidth) {
  const struct {
    float value;
    std::string field;
  } cases[] = {
      {0.5f, blanks(7) + "0.5000"},
      {-0.5f, blanks(6) + "-0.5000"},
      {0.03125f, blanks(7) + "0.0312"},  // tie, even digit kept
      {0.09375f, blanks(7) + "0.0938"},  // tie, up to even
      {123456.7f, blanks(2) + "123456.7031"},
      {0.00006f, blanks(7) + "0.0001"},
      {99.99996f, blanks(5) + "100.0000"},
      {9999999.0f, blanks(1) + "9999999.0000"},
      {-9999999.0f, "-9999999.0000"},
      {99999999.0f, std::string(13, '*')},  // stored as 1.0e8
      {1.0e8f, std::string(13, '*')},
      {-1.0e7f, std::string(13, '*')},
      {3.4028235e38f, std::string(13, '*')},
      {-0.0f, blanks(6) + "-0.0000"},
      {-0.00001f, blanks(6) + "-0.0000"},
      {std::bit_cast<float>(std::uint32_t{1}), blanks(7) + "0.0000"},
      {NAN, blanks(10) + "NaN"},
      {INFINITY, blanks(9) + "+Inf"},
      {-INFINITY, blanks(9) + "-Inf"},
  };
  for (const auto& c : cases) EXPECT_EQ(f_field(c.value, 13, 4), c.field) << c.value;
}

TEST(FixedField, NarrowFieldsDropTheLeadingZero) {
  EXPECT_EQ(f_field(0.5f, 5, 4), ".5000");
  EXPECT_EQ(f_field(-0.5f, 6, 4), "-.5000");
  EXPECT_EQ(f_field(-0.5f, 5, 4), "*****");
  EXPECT_EQ(f_field(-0.0f, 5, 4), ".0000");  // sign and 0 both dropped
  EXPECT_EQ(f_field(-0.00001f, 5, 4), ".0000");
  EXPECT_EQ(f_field(0.0f, 4, 4), "****");
  EXPECT_EQ(f_field(1.5f, 5, 4), "*****");
}

TEST(FixedField, NoDecimals) {
  EXPECT_EQ(f_field(0.5f, 3, 0), " 1.");  // one half rounds up here
  EXPECT_EQ(f_field(-0.5f, 3, 0), "-1.");
  EXPECT_EQ(f_field(1.5f, 3, 0), " 2.");
  EXPECT_EQ(f_field(2.5f, 3, 0), " 2.");  // ties to even otherwise
  EXPECT_EQ(f_field(0.25f, 3, 0), " 0.");
  EXPECT_EQ(f_field(123.0f, 3, 0), "***");
}

TEST(FixedField, InfinitiesAndNaNInNarrowFields) {
  EXPECT_EQ(f_field(INFINITY, 3, 1), "Inf");
  EXPECT_EQ(f_field(INFINITY, 4, 1), "+Inf");
  EXPECT_EQ(f_field(-INFINITY, 3, 1), "***");
  EXPECT_EQ(f_field(NAN, 2, 1), "**");
  EXPECT_EQ(e_field(INFINITY, 3, 1), "Inf");
  EXPECT_EQ(e_field(-INFINITY, 4, 1), "-Inf");
}

TEST(FixedField, ExactDigitsOfTheStoredValue) {
  // 2^-149 = 1.40129846432481707...e-45: fifty decimals, rounded up at the end.
  EXPECT_EQ(f_field(std::bit_cast<float>(std::uint32_t{1}), 60, 50),
            blanks(8) + "0." + std::string(44, '0') + "140130");
  // Wider than the stack work area.
  EXPECT_EQ(f_field(0.5f, 6000, 4), blanks(5994) + "0.5000");
  EXPECT_EQ(f_field(0.1f, 6000, 5990).substr(0, 40),
            blanks(8) + "0.100000001490116119384765625000");
}

TEST(ExponentField, ProgramWidths) {
  const struct {
    float value;
    const char* field;
  } cases[] = {
      {1.5f, " 0.1500E+01"},
      {-1234.5f, "-0.1234E+04"},  // tie, even digit kept
      {2.6875f, " 0.2688E+01"},   // tie, up to even
      {0.0f, " 0.0000E+00"},
      {-0.0f, "-0.0000E+00"},
      {0.00001f, " 0.1000E-04"},  // stored as 9.99999975e-6
      {99995.0f, " 0.1000E+06"},  // tie carries into a new digit
      {3.4028235e38f, " 0.3403E+39"},
      {std::bit_cast<float>(std::uint32_t{1}), " 0.1401E-44"},
      {NAN, "        NaN"},
      {-INFINITY, "       -Inf"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(e_field(c.value, 11, 4), c.field) << c.value;
    EXPECT_EQ(e_field(c.value, 12, 4), std::string(" ") + c.field) << c.value;
  }
}

TEST(ExponentField, WidthsAndExponentDigits) {
  EXPECT_EQ(e_field(-1234.5f, 10, 4), "-.1234E+04");
  EXPECT_EQ(e_field(1234.5f, 9, 4), ".1234E+04");
  EXPECT_EQ(e_field(1234.5f, 8, 4), "********");
  EXPECT_EQ(e_field(NAN, 2, 4), "**");
  EXPECT_EQ(e_field(1234.5f, 12, 4, 3), " 0.1234E+004");
  EXPECT_EQ(e_field(1.5f, 12, 4, 1), "   0.1500E+1");
  EXPECT_EQ(e_field(1.0e-40f, 12, 4, 1), "************");
  EXPECT_EQ(e_field(0.1f, 60, 50),
            "    0.10000000149011611938476562500000000000000000000000E+00");
}

}  // namespace
}  // namespace recordio
