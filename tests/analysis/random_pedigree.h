#pragma once
// Small random pedigrees for comparing the indexed algorithms with the plain
// record-by-record loops: families in runs that may recur later in the file,
// few distinct ids and parents so that collisions are frequent.

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "analysis/run_state.h"

namespace analysis::testing {

inline constexpr float kRandomMissingCode = -9.0f;

inline std::vector<PedigreeRecord> random_pedigree(std::mt19937& rng) {
  auto pick = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  // Far apart magnitudes make the order of the additions visible.
  const float traits[] = {0.0f, -0.0f, 1.0f, 2.5f, -3.0f, 1e30f, -1e30f, 0.1f,
                          7.0f, kRandomMissingCode,
                          std::numeric_limits<float>::quiet_NaN()};
  std::vector<PedigreeRecord> rows;
  const int n = pick(0, 40);
  while (static_cast<int>(rows.size()) < n) {
    const std::int32_t fam = pick(1, 3);
    for (int run = pick(1, 12); run > 0 && static_cast<int>(rows.size()) < n;
         --run) {
      PedigreeRecord r;
      r.fam = fam;
      r.id = pick(0, 8);
      r.fa = pick(0, 4);
      r.mo = pick(0, 3);
      r.sex = pick(0, 9) == 0 ? pick(-1, 3) : pick(1, 2);
      // Mostly values with a trait, so that pairs form.
      r.trait = pick(0, 5) == 0 ? traits[pick(0, 10)] : traits[pick(0, 8)];
      rows.push_back(r);
    }
  }
  return rows;
}

}  // namespace analysis::testing
