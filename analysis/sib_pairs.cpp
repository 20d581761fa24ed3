#include "analysis/sib_pairs.h"

#include <algorithm>
#include <vector>

#include "analysis/missing_value.h"

namespace analysis {

namespace {

bool opens_pairs(const PedigreeRecord& r, float missing_code) {
  return r.fa != 0 && !is_missing(r.trait, missing_code);
}

// (fa, mo) as one unsigned key that sorts like the signed pair.
std::uint64_t parents_key(const PedigreeRecord& r) {
  const auto biased = [](std::int32_t v) {
    return static_cast<std::uint32_t>(v) ^ 0x80000000u;
  };
  return (std::uint64_t{biased(r.fa)} << 32) | biased(r.mo);
}

// Candidates grouped by sibship: rows sorted by (block, fa, mo, row), so the
// later sibs of a row follow it directly in this order. Blocks are runs of
// rows, so each block's candidates are sorted on their own.
struct SibshipIndex {
  struct Entry {
    std::uint64_t parents;  // parents_key
    std::int32_t block;     // the row where the row's family block starts
    std::int32_t row;
  };
  std::vector<Entry> order;            // candidates, grouped
  std::vector<std::int32_t> position;  // position of a candidate in `order`
};

SibshipIndex index_sibships(const PedigreeRecord* rows, std::int32_t n,
                            float missing_code) {
  SibshipIndex index;
  index.position.assign(static_cast<std::size_t>(n), -1);
  std::int32_t block = 0;
  for (std::int32_t r = 0; r < n; ++r) {
    if (r > 0 && rows[r].fam != rows[r - 1].fam) block = r;
    if (opens_pairs(rows[r], missing_code))
      index.order.push_back({parents_key(rows[r]), block, r});
  }
  const auto before = [](const SibshipIndex::Entry& a, const SibshipIndex::Entry& b) {
    return a.parents != b.parents ? a.parents < b.parents : a.row < b.row;
  };
  for (auto first = index.order.begin(); first != index.order.end();) {
    auto last = first;
    while (last != index.order.end() && last->block == first->block) ++last;
    if (!std::is_sorted(first, last, before)) std::sort(first, last, before);
    first = last;
  }
  for (std::size_t p = 0; p < index.order.size(); ++p)
    index.position[index.order[p].row] = static_cast<std::int32_t>(p);
  return index;
}

bool same_sibship(const SibshipIndex::Entry& a, const SibshipIndex::Entry& b) {
  return a.block == b.block && a.parents == b.parents;
}

void record_pair(const PedigreeRecord& first, const PedigreeRecord& second,
                 SibPair& row, PairSums& sums) {
  const float x = first.trait;
  const float y = second.trait;
  const long double wx = x;
  const long double wy = y;
  row.fam = first.fam;
  row.fa = first.fa;
  row.mo = first.mo;
  row.id_1 = first.id;
  row.id_2 = second.id;
  row.tr_1 = x;
  row.tr_2 = y;
  // The square is taken at extended precision and rounded once.
  row.D2 = static_cast<float>((wx - wy) * (wx - wy));
  // The order of the additions is part of the result.
  sums.Sxy = sums.Sxy + wx * wy;
  sums.Sx = (sums.Sx + wx) + wy;
  sums.Sxx = (sums.Sxx + wx * wx) + wy * wy;
}

}  // namespace

PairFormation form_sib_pairs(const PedigreeRecord* rows, std::int32_t n,
                             float missing_code, SibPair* pairs,
                             std::int32_t capacity) {
  PairFormation result;
  if (n <= 1) return result;
  const SibshipIndex index = index_sibships(rows, n, missing_code);
  const auto candidates = static_cast<std::int32_t>(index.order.size());
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t p = index.position[i];
    if (p < 0) continue;
    for (std::int32_t q = p + 1;
         q < candidates && same_sibship(index.order[p], index.order[q]); ++q) {
      if (result.pair_count >= capacity) {
        result.capacity_exceeded = true;
        return result;
      }
      record_pair(rows[i], rows[index.order[q].row], pairs[result.pair_count],
                  result.sums);
      ++result.pair_count;
    }
  }
  return result;
}

PairDistribution estimate_pair_distribution(std::int32_t pair_count,
                                            const PairSums& sums, float Var) {
  const long double c = pair_count;
  // Every pair enters twice, as (tr_1, tr_2) and as (tr_2, tr_1).
  const long double t = c + c;
  long double a = t * sums.Sxy;
  a = a + a;
  const long double b = t * sums.Sxx;
  const long double s = sums.Sx * sums.Sx;
  const long double r = (a - s) / (b - s);

  long double E = 1.0L - r;
  E = E + E;
  E = E * static_cast<long double>(Var);
  // The float nearest to 1.4142135, which is also the float nearest to √2.
  const long double SD = E * static_cast<long double>(1.4142135f);
  const long double T = E + SD * 4.0L;

  PairDistribution result;
  result.SibCorr = static_cast<float>(r);
  result.d2.expected = static_cast<float>(E);
  result.d2.sd = static_cast<float>(SD);
  result.d2.threshold = static_cast<float>(T);
  result.d2.threshold_extended = T;
  return result;
}

}  // namespace analysis
