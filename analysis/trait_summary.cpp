#include "analysis/trait_summary.h"

#include <cmath>

#include "analysis/missing_value.h"

namespace analysis {

namespace {

// Min and Max come from the values that are not NaN. The first such value
// sets both, so traits that all lie beyond ±9999 still report a value some
// individual has; strict comparisons keep the first of equal values (-0, +0).
void widen_extremes(TraitAccumulator& acc, float x) {
  if (std::isnan(x)) return;
  if (!acc.has_extremes) {
    acc.Min = x;
    acc.Max = x;
    acc.has_extremes = true;
    return;
  }
  if (x > acc.Max) acc.Max = x;
  if (acc.Min > x) acc.Min = x;
}

}  // namespace

void add_trait_value(TraitAccumulator& acc, float x, float missing_code) {
  if (is_missing(x, missing_code)) return;
  const long double wide = x;
  acc.sum = static_cast<float>(static_cast<long double>(acc.sum) + wide);
  // x·x is exact at extended precision; only the new sum is stored as float.
  acc.sum_of_squares = static_cast<float>(
      wide * wide + static_cast<long double>(acc.sum_of_squares));
  widen_extremes(acc, x);
  ++acc.N;
}

TraitSummary finish_trait_summary(const TraitAccumulator& acc) {
  const long double n = acc.N;
  const long double sum = acc.sum;
  TraitSummary summary;
  summary.N = acc.N;
  summary.Min = acc.Min;
  summary.Max = acc.Max;
  // 0/0 at N = 0 (and for Var at N = 1) gives the default NaN, sign bit set.
  summary.Mean = static_cast<float>(sum / n);
  // S is stored as a 4-byte real before it enters the variance.
  const float S = static_cast<float>(sum * sum / n);
  summary.Var = static_cast<float>(
      (static_cast<long double>(acc.sum_of_squares) -
       static_cast<long double>(S)) /
      (n - 1.0L));
  return summary;
}

}  // namespace analysis
