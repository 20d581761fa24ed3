#include "analysis/outliers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace analysis {
namespace {

using Named = std::vector<std::pair<std::int32_t, std::int32_t>>;  // fam, id

Named name(const std::vector<SibPair>& pairs, long double threshold,
           float Mean) {
  std::vector<OutlierEntry> list(NPAR);
  const std::int32_t length =
      name_outliers(pairs.data(), static_cast<std::int32_t>(pairs.size()),
                    threshold, Mean, list.data(), NPAR);
  Named out;
  for (std::int32_t k = 0; k < length; ++k)
    out.emplace_back(list[k].fam, list[k].id);
  return out;
}

// A pair of sibship (fam, fa 5, mo 6) with its squared difference.
SibPair pair_of(std::int32_t fam, std::int32_t id_1, std::int32_t id_2,
                float tr_1, float tr_2, std::int32_t mo = 6) {
  const float d = tr_1 - tr_2;
  return {fam, 5, mo, id_1, id_2, tr_1, tr_2, d * d};
}

struct NamingCase {
  const char* name;
  std::vector<SibPair> pairs;
  long double threshold;
  float Mean;
  Named expected;
};

TEST(Outliers, Naming) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<NamingCase> cases = {
      {"no pair", {}, 1, 0, {}},
      {"nothing above the threshold", {pair_of(1, 1, 2, 0, 5)}, 25, 0, {}},
      {"lone pair names both, id_1 first", {pair_of(1, 7, 3, 0, 10)}, 50, 0,
       {{1, 7}, {1, 3}}},
      {"sibs 0, 0, 10: the third once",
       {pair_of(1, 1, 2, 0, 0), pair_of(1, 1, 3, 0, 10),
        pair_of(1, 2, 3, 0, 10)}, 50, 0, {{1, 3}}},
      {"sibs 10, 10, 0: the first two",
       {pair_of(1, 1, 2, 10, 10), pair_of(1, 1, 3, 10, 0),
        pair_of(1, 2, 3, 10, 0)}, 50, 0, {{1, 1}, {1, 2}}},
      {"tie names member 1",
       {pair_of(1, 1, 2, -5, 5), pair_of(1, 1, 3, -5, -5),
        pair_of(1, 2, 3, 5, -5)}, 99, 0, {{1, 1}, {1, 2}}},
      {"NaN difference names member 1",
       {pair_of(1, 1, 2, 0, 10), pair_of(1, 1, 3, 0, 0)}, 50, nan, {{1, 1}}},
      {"one flagged pair of three names one member",
       {pair_of(1, 1, 2, 0, 1), pair_of(1, 1, 3, 0, 10),
        pair_of(1, 2, 3, 1, 1)}, 50, 0, {{1, 3}}},
      // Two blocks of one family with the same parents form one sibship.
      {"separate blocks counted together",
       {pair_of(1, 1, 2, 0, 10), pair_of(2, 1, 2, 0, 10),
        pair_of(1, 3, 4, 0, 0)}, 50, 0, {{1, 2}, {2, 1}, {2, 2}}},
      {"other mother is another sibship",
       {pair_of(1, 1, 2, 0, 10), pair_of(1, 3, 4, 0, 0, 7)}, 50, 0,
       {{1, 1}, {1, 2}}},
      // D2 = 100 against 100 is not above; against 100 − 2^-57 it is, which
      // only the extended threshold can tell.
      {"threshold is strict", {pair_of(1, 1, 2, 0, 10)}, 100, 0, {}},
      {"threshold at extended precision", {pair_of(1, 1, 2, 0, 10)},
       100.0L - std::ldexp(1.0L, -57), 0, {{1, 1}, {1, 2}}},
      {"NaN threshold flags nothing", {pair_of(1, 1, 2, 0, 10)},
       std::numeric_limits<long double>::quiet_NaN(), 0, {}},
      {"NaN D2 is never flagged", {pair_of(1, 1, 2, nan, 10)}, 0, 0, {}},
  };
  for (const NamingCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(name(c.pairs, c.threshold, c.Mean), c.expected);
  }
}

TEST(Outliers, ManyPairsOfOneSibshipAreCountedOnce) {
  // 30000 flagged pairs of one sibship around two individuals: each named
  // once, in the order of first naming.
  std::vector<SibPair> pairs;
  for (int k = 0; k < 30000; ++k)
    pairs.push_back(k % 2 ? pair_of(1, 4, 9, 0, 10) : pair_of(1, 8, 4, 20, 0));
  EXPECT_EQ(name(pairs, 50, 0), (Named{{1, 8}, {1, 9}}));
}

// The rule as it reads, pair by pair, with linear scans.
Named name_literally(const std::vector<SibPair>& pairs, long double threshold,
                     float Mean, std::size_t capacity) {
  Named out;
  const auto add = [&](std::int32_t fam, std::int32_t id) {
    if (out.size() < capacity &&
        std::find(out.begin(), out.end(), std::pair(fam, id)) == out.end())
      out.emplace_back(fam, id);
  };
  for (const SibPair& p : pairs) {
    if (!(static_cast<long double>(p.D2) > threshold)) continue;
    const auto rows = std::count_if(pairs.begin(), pairs.end(), [&](const SibPair& q) {
      return q.fam == p.fam && q.fa == p.fa && q.mo == p.mo;
    });
    if (rows == 1) {
      add(p.fam, p.id_1);
      add(p.fam, p.id_2);
    } else {
      const long double mean = Mean;
      const bool second = std::fabs(static_cast<long double>(p.tr_2) - mean) >
                          std::fabs(static_cast<long double>(p.tr_1) - mean);
      add(p.fam, second ? p.id_2 : p.id_1);
    }
  }
  return out;
}

TEST(Outliers, MatchesTheLiteralRuleOnRandomPairTables) {
  std::mt19937 rng(7);
  const auto pick = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<SibPair> pairs;
    const int count = pick(0, 60);
    for (int k = 0; k < count; ++k) {
      // Few families, parents and people, so that sibships and names repeat.
      pairs.push_back(pair_of(pick(1, 3), pick(1, 6), pick(1, 6),
                              float(pick(-5, 5)), float(pick(-5, 5)), pick(5, 7)));
      pairs.back().fa = pick(4, 5);
    }
    const std::size_t capacity = static_cast<std::size_t>(pick(0, 12));
    std::vector<OutlierEntry> list(capacity + 1);
    const std::int32_t length = name_outliers(
        pairs.data(), count, 9.5L, 0.25f, list.data(), static_cast<std::int32_t>(capacity));
    Named got;
    for (std::int32_t k = 0; k < length; ++k) got.emplace_back(list[k].fam, list[k].id);
    EXPECT_EQ(got, name_literally(pairs, 9.5L, 0.25f, capacity)) << "round " << round;
  }
}

}  // namespace
}  // namespace analysis
