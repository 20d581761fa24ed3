#pragma once
// Full-sib pairs, their squared trait differences, the sib correlation and
// the parameters of the squared-difference distribution.

#include <cstdint>

#include "analysis/run_state.h"

namespace analysis {

// Running sums over all pairs, at extended precision and never rounded.
struct PairSums {
  long double Sxy = 0.0L;  // sum of tr_1·tr_2
  long double Sx = 0.0L;   // sum of tr_1 + tr_2
  long double Sxx = 0.0L;  // sum of tr_1² + tr_2²
};

struct PairFormation {
  std::int32_t pair_count = 0;
  PairSums sums;
  // A pair was found while the table already held `capacity` rows; nothing
  // more was stored and the run has to stop.
  bool capacity_exceeded = false;
};

// Fills `pairs` (room for `capacity` rows) with every pair of records of one
// family block (a maximal run of consecutive records with the same fam) that
// share a non-zero father and the same mother and both have a trait value,
// ordered by the first member's row, then the second's.
PairFormation form_sib_pairs(const PedigreeRecord* rows, std::int32_t n,
                             float missing_code, SibPair* pairs,
                             std::int32_t capacity);

struct PairDistribution {
  float SibCorr = 0.0f;
  D2Parameters d2;
};

// The sib correlation from the sums and, with the stored `Var`, E(D2),
// SD(D2) and the threshold E(D2)+4SD(D2). With no pair all are NaN.
PairDistribution estimate_pair_distribution(std::int32_t pair_count,
                                            const PairSums& sums, float Var);

}  // namespace analysis
