#include "plot/nice_scale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace plot {
namespace {

TEST(NiceScale, StepsAreOneTwoOrFiveTimesAPowerOfTen) {
  const struct {
    double raw, step;
  } cases[] = {{1, 1}, {1.01, 2}, {2.88, 5}, {7, 10}, {0.3 / 3, 0.1}, {0.00042, 0.0005}, {3.2e7, 5e7}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(nice_step(c.raw), c.step) << c.raw;
}

TEST(NiceScale, DomainCoversTheDataOnWholeSteps) {
  const struct {
    double lo, hi;
    int target;
    double min_step;
    Scale expected;
  } cases[] = {
      {18.2, 35.5, 6, 0, {15, 40, 5}},
      {0, 93.39, 8, 0, {0, 100, 20}},
      {-0.3, 0.3, 6, 0, {-0.3, 0.3, 0.1}},
      {0, 3, 5, 1, {0, 3, 1}},      // counts: never a fractional step
      {5, 5, 6, 0, {4.4, 5.6, 0.2}},  // one value: widened by a tenth
      {0, 0, 6, 0, {-1, 1, 0.5}},
      {NAN, 1, 6, 0, {0, 1, 0.2}},    // nothing finite: the unit range
      {2, 1, 6, 0, {0, 1, 0.2}},
  };
  for (const auto& c : cases) {
    const Scale scale = nice_scale(c.lo, c.hi, c.target, c.min_step);
    EXPECT_NEAR(scale.lo, c.expected.lo, 1e-12) << c.lo << ".." << c.hi;
    EXPECT_NEAR(scale.hi, c.expected.hi, 1e-12) << c.lo << ".." << c.hi;
    EXPECT_DOUBLE_EQ(scale.step, c.expected.step) << c.lo << ".." << c.hi;
  }
}

TEST(NiceScale, TicksAndTheirLabels) {
  std::vector<std::string> labels;
  const Scale scale{-0.3, 0.3, 0.1};
  for (const double tick : ticks(scale)) labels.push_back(tick_label(tick, scale.step));
  EXPECT_EQ(labels, (std::vector<std::string>{"-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3"}));

  const struct {
    double value, step;
    const char* label;
  } cases[] = {
      {20, 5, "20"},          {0.30000000000000004, 0.1, "0.3"}, {-1e-17, 0.1, "0.0"},
      {0.0025, 0.0005, "0.0025"}, {2.5e7, 5e6, "2.5e+07"},     {3e-6, 1e-6, "3e-06"},
      {0, 1e8, "0"}, {2e8, 1e8, "2e+08"},
  };
  for (const auto& c : cases) EXPECT_EQ(tick_label(c.value, c.step), c.label) << c.value;
}

}  // namespace
}  // namespace plot
