#pragma once
// Within-family outliers named from the pairs whose D2 exceeds the threshold.

#include <cstdint>

#include "analysis/run_state.h"

namespace analysis {

// Writes the OutlierList into `outliers` (room for `capacity` entries) and
// returns its length. A flagged pair (D2 > threshold, strict) names both
// members when it is the only pair of its full-sib family (fam, fa, mo) in
// the whole table, else the member whose trait lies farther from `Mean`
// (member 1 on a tie or NaN). Each (fam, id) is listed once, in the order of
// first naming. The list cannot outgrow the distinct individuals of the
// record table; should `capacity` be smaller, later names are dropped.
std::int32_t name_outliers(const SibPair* pairs, std::int32_t pair_count,
                           long double threshold, float Mean,
                           OutlierEntry* outliers, std::int32_t capacity);

}  // namespace analysis
