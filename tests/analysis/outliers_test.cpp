#include "analysis/outliers.h"

#include <cmath>
#include <limits>
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

}  // namespace
}  // namespace analysis
