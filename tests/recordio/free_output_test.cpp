#include "recordio/free_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace recordio {
namespace {

std::string record(std::initializer_list<OutputItem> items) {
  std::string out;
  write_free_record(out, std::vector<OutputItem>(items));
  return out;
}

TEST(FreeRecord, LeadingBlankAndSeparators) {
  EXPECT_EQ(record({"ERROR: cannot open or read pedigree file"}),
            " ERROR: cannot open or read pedigree file\n");
  EXPECT_EQ(record({"Press \"Ctrl O\" to see system information  "}),
            " Press \"Ctrl O\" to see system information  \n");
  // Texts that follow each other are joined; a number is set off by a blank.
  EXPECT_EQ(record({"INPUT FILE: ", "ped.dat             "}),
            " INPUT FILE: ped.dat             \n");
  EXPECT_EQ(record({"MISSING VALUE:", -9.0f}), " MISSING VALUE: -9.\n");
  EXPECT_EQ(record({std::int32_t{3}, "x", "y", 1.5f, std::int32_t{-4}}),
            " 3 xy 1.5 -4\n");
  EXPECT_EQ(record({}), "\n");
  EXPECT_EQ(record({""}), " \n");
}

TEST(FreeRecord, Integers) {
  EXPECT_EQ(record({std::int32_t{0}}), " 0\n");
  EXPECT_EQ(record({std::int32_t{-2147483647 - 1}}), " -2147483648\n");
  EXPECT_EQ(record({std::int32_t{2147483647}}), " 2147483647\n");
}

TEST(FreeReal, LayoutByDecimalExponent) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.0f, "0."},
      {-0.0f, "-0."},
      {9.0f, "9."},
      {100.0f, "100."},
      {99.5f, "99.5"},
      {0.5f, "0.5"},
      {0.1f, "0.1"},
      {1.0f / 3.0f, "0.33333334"},
      {123456.7f, "123456.7"},
      {999999.125f, "999999.1"},
      {999999.0f, "999999."},
      {1234567.0f, "1234567."},
      {1.0e6f, "1000000."},
      {1.0e7f, "1.E+7"},
      {12345678.0f, "1.2345678E+7"},
      {1.0e-5f, "0.00001"},
      {1.0e-6f, "0.000001"},
      {1.0e-7f, "1.E-7"},
      {-2.5e-12f, "-2.5E-12"},
      {3.4028235e38f, "3.4028235E+38"},
      {1.0e-45f, "1.E-45"},
      {NAN, "NaN"},
      {INFINITY, "+Inf"},
      {-INFINITY, "-Inf"},
  };
  for (const auto& c : cases) {
    std::string out = "<";
    append_free_real(out, c.value);
    EXPECT_EQ(out, std::string("<") + c.text) << c.value;
  }
}

}  // namespace
}  // namespace recordio
