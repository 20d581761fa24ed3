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
// together. The pairs of one first member stand together and share their
// family, so runs of rows are sorted rather than single rows.
std::vector<std::int32_t> sibship_pair_counts(const SibPair* pairs,
                                              std::int32_t pair_count) {
  struct Run {
    SibshipKey key;
    std::int32_t first, last;  // rows [first, last)
  };
  std::vector<Run> runs;
  for (std::int32_t k = 0; k < pair_count;) {
    std::int32_t last = k + 1;
    while (last < pair_count && pairs[last].id_1 == pairs[k].id_1 &&
           sibship_of(pairs[last]) == sibship_of(pairs[k]))
      ++last;
    runs.push_back({sibship_of(pairs[k]), k, last});
    k = last;
  }
  std::sort(runs.begin(), runs.end(),
            [](const Run& a, const Run& b) { return a.key < b.key; });
  std::vector<std::int32_t> counts(static_cast<std::size_t>(pair_count));
  for (std::size_t first = 0; first < runs.size();) {
    std::size_t last = first;
    std::int32_t rows = 0;
    for (; last < runs.size() && runs[last].key == runs[first].key; ++last)
      rows += runs[last].last - runs[last].first;
    for (std::size_t r = first; r < last; ++r)
      std::fill(counts.begin() + runs[r].first, counts.begin() + runs[r].last, rows);
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
