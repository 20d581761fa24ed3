#pragma once
// The trait summary: N, Min, Max, Mean and Var over the non-missing values.

#include <cstdint>

#include "analysis/run_state.h"

namespace analysis {

// The running state while the records are read. The sums are 4-byte reals,
// as stored after every value; Min and Max cover only values that are not NaN.
struct TraitAccumulator {
  std::int32_t N = 0;
  float Min = 9999.0f;
  float Max = -9999.0f;
  float sum = 0.0f;
  float sum_of_squares = 0.0f;
  bool has_extremes = false;  // a non-NaN value has set Min and Max
};

// Adds one record's trait value unless it equals `missing_code`.
void add_trait_value(TraitAccumulator& acc, float x, float missing_code);

// Mean and Var from the accumulated sums (SibCorr is left at 0). With N = 0
// Mean and Var are the default NaN, with N = 1 Var is.
TraitSummary finish_trait_summary(const TraitAccumulator& acc);

}  // namespace analysis
