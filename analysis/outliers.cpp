#include "analysis/outliers.h"

#include <algorithm>
#include <cmath>
#include <compare>
#include <cstddef>
#include <utility>
#include <vector>

namespace analysis {

namespace {

// Everything here is sorted rather than hashed: a file can choose its
// identifiers, and no choice of them may make the naming slow.

struct SibshipKey {
  std::int32_t fam, fa, mo;
  auto operator<=>(const SibshipKey&) const = default;
};

SibshipKey sibship_of(const SibPair& p) { return {p.fam, p.fa, p.mo}; }

// For every row of the pair table, how many rows its full-sib family
// (fam, fa, mo) has in the whole table; separate blocks of one family count
// together.
std::vector<std::int32_t> sibship_pair_counts(const SibPair* pairs,
                                              std::int32_t pair_count) {
  std::vector<std::int32_t> order(static_cast<std::size_t>(pair_count));
  for (std::int32_t k = 0; k < pair_count; ++k) order[k] = k;
  std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    return sibship_of(pairs[a]) < sibship_of(pairs[b]);
  });
  std::vector<std::int32_t> counts(static_cast<std::size_t>(pair_count));
  for (std::size_t first = 0; first < order.size();) {
    std::size_t last = first;
    const SibshipKey key = sibship_of(pairs[order[first]]);
    while (last < order.size() && sibship_of(pairs[order[last]]) == key) ++last;
    for (std::size_t k = first; k < last; ++k)
      counts[order[k]] = static_cast<std::int32_t>(last - first);
    first = last;
  }
  return counts;
}

// Differences from the mean at extended precision; a NaN compares false, so
// a tie or a NaN keeps member 1.
bool second_lies_farther(const SibPair& p, float Mean) {
  const long double mean = Mean;
  return std::fabs(static_cast<long double>(p.tr_2) - mean) >
         std::fabs(static_cast<long double>(p.tr_1) - mean);
}

// Keeps the first naming of each (fam, id), in naming order, up to capacity.
std::int32_t list_once(const std::vector<OutlierEntry>& named,
                       OutlierEntry* outliers, std::int32_t capacity) {
  std::vector<std::int32_t> order(named.size());
  for (std::size_t k = 0; k < named.size(); ++k) order[k] = static_cast<std::int32_t>(k);
  const auto person = [&](std::int32_t k) {
    return std::pair(named[k].fam, named[k].id);
  };
  std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    return person(a) < person(b);
  });
  std::vector<bool> first(named.size(), false);
  for (std::size_t k = 0; k < order.size(); ++k)
    first[order[k]] = k == 0 || person(order[k]) != person(order[k - 1]);
  std::int32_t length = 0;
  for (std::size_t k = 0; k < named.size() && length < capacity; ++k)
    if (first[k]) outliers[length++] = named[k];
  return length;
}

}  // namespace

std::int32_t name_outliers(const SibPair* pairs, std::int32_t pair_count,
                           long double threshold, float Mean,
                           OutlierEntry* outliers, std::int32_t capacity) {
  const std::vector<std::int32_t> counts = sibship_pair_counts(pairs, pair_count);
  std::vector<OutlierEntry> named;
  for (std::int32_t k = 0; k < pair_count; ++k) {
    const SibPair& p = pairs[k];
    // D2 widens exactly; NaN on either side is never flagged.
    if (!(static_cast<long double>(p.D2) > threshold)) continue;
    if (counts[k] == 1) {
      named.push_back({p.fam, p.id_1});
      named.push_back({p.fam, p.id_2});
    } else {
      named.push_back({p.fam, second_lies_farther(p, Mean) ? p.id_2 : p.id_1});
    }
  }
  return list_once(named, outliers, capacity);
}

}  // namespace analysis
