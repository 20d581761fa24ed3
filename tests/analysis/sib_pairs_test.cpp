#include "analysis/sib_pairs.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "random_pedigree.h"

namespace analysis {
namespace {

using IdPairs = std::vector<std::pair<std::int32_t, std::int32_t>>;

struct Formed {
  PairFormation result;
  std::vector<SibPair> pairs;
  IdPairs ids() const {
    IdPairs out;
    for (std::int32_t k = 0; k < result.pair_count; ++k)
      out.emplace_back(pairs[k].id_1, pairs[k].id_2);
    return out;
  }
};

Formed form(const std::vector<PedigreeRecord>& rows, float missing_code,
            std::int32_t capacity = NPAR) {
  Formed f;
  f.pairs.resize(capacity);
  f.result = form_sib_pairs(rows.data(), static_cast<std::int32_t>(rows.size()),
                            missing_code, f.pairs.data(), capacity);
  return f;
}

struct PairingCase {
  const char* name;
  std::vector<PedigreeRecord> rows;  // fam, id, fa, mo, sex, trait
  float missing_code;
  IdPairs expected;
};

TEST(SibPairs, WhoIsPaired) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<PairingCase> cases = {
      {"three sibs in order",
       {{1, 1, 5, 6, 1, 1}, {1, 2, 5, 6, 2, 2}, {1, 3, 5, 6, 1, 3}}, -9,
       {{1, 2}, {1, 3}, {2, 3}}},
      {"unknown father never paired",
       {{1, 1, 0, 6, 1, 1}, {1, 2, 0, 6, 2, 2}}, -9, {}},
      {"unknown mother paired",
       {{1, 1, 5, 0, 1, 1}, {1, 2, 5, 0, 2, 2}}, -9, {{1, 2}}},
      {"other mother not paired",
       {{1, 1, 5, 6, 1, 1}, {1, 2, 5, 7, 2, 2}}, -9, {}},
      {"separated blocks not paired",
       {{1, 1, 5, 6, 1, 1}, {2, 9, 5, 6, 2, 2}, {1, 2, 5, 6, 2, 3}}, -9, {}},
      {"missing trait on either side",
       {{1, 1, 5, 6, 1, -9}, {1, 2, 5, 6, 2, 2}, {1, 3, 5, 6, 1, 3},
        {1, 4, 5, 6, 1, -9}}, -9, {{2, 3}}},
      {"999999 missing when none",
       {{1, 1, 5, 6, 1, 999999}, {1, 2, 5, 6, 2, 2}, {1, 3, 5, 6, 1, 3}},
       MISSING_NONE, {{2, 3}}},
      {"NaN trait is data", {{1, 1, 5, 6, 1, nan}, {1, 2, 5, 6, 2, 2}}, nan,
       {{1, 2}}},
      {"interleaved sibships",
       {{1, 1, 5, 6, 1, 1}, {1, 2, 7, 8, 2, 2}, {1, 3, 5, 6, 1, 3},
        {1, 4, 7, 8, 1, 4}, {1, 5, 5, 6, 1, 5}}, -9,
       {{1, 3}, {1, 5}, {2, 4}, {3, 5}}},
      {"no records", {}, -9, {}},
      {"one record", {{1, 1, 5, 6, 1, 1}}, -9, {}},
  };
  for (const PairingCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Formed f = form(c.rows, c.missing_code);
    EXPECT_FALSE(f.result.capacity_exceeded);
    EXPECT_EQ(f.ids(), c.expected);
  }
}

TEST(SibPairs, RowContentAndSums) {
  // Pairs (1, 2) and (3, 5) of the correlation example.
  const Formed f = form({{1, 11, 5, 6, 1, 1}, {1, 12, 5, 6, 2, 2},
                         {2, 21, 0, 6, 1, 4}, {2, 22, 7, 0, 1, 3},
                         {2, 23, 7, 0, 2, 5}}, -9);
  ASSERT_EQ(f.result.pair_count, 2);
  const SibPair& p = f.pairs[1];
  EXPECT_EQ(p.fam, 2);
  EXPECT_EQ(p.fa, 7);
  EXPECT_EQ(p.mo, 0);
  EXPECT_EQ(p.id_1, 22);
  EXPECT_EQ(p.id_2, 23);
  EXPECT_EQ(p.tr_1, 3.0f);
  EXPECT_EQ(p.tr_2, 5.0f);
  EXPECT_EQ(p.D2, 4.0f);
  EXPECT_EQ(f.pairs[0].D2, 1.0f);
  EXPECT_EQ(f.result.sums.Sxy, 17.0L);
  EXPECT_EQ(f.result.sums.Sx, 11.0L);
  EXPECT_EQ(f.result.sums.Sxx, 39.0L);
}

TEST(SibPairs, Distribution) {
  // (4·2·17 − 121) / (2·2·39 − 121) = 15/35 = 3/7; E = 2·(4/7)·7 = 8.
  const PairDistribution d = estimate_pair_distribution(2, {17, 11, 39}, 7.0f);
  const long double r = 15.0L / 35.0L;
  EXPECT_EQ(d.SibCorr, static_cast<float>(r));
  EXPECT_EQ(d.d2.expected, 8.0f);
  const long double sd = 8.0L * 1.41421353816986083984375L;
  EXPECT_NEAR(static_cast<double>(d.d2.threshold_extended),
              static_cast<double>(8.0L + 4 * sd), 1e-15);
  EXPECT_EQ(d.d2.sd, static_cast<float>(sd));
  EXPECT_EQ(d.d2.threshold, static_cast<float>(d.d2.threshold_extended));

  // No pair: 0/0, the default NaN everywhere.
  const PairDistribution none = estimate_pair_distribution(0, {}, 7.0f);
  for (float v :
       {none.SibCorr, none.d2.expected, none.d2.sd, none.d2.threshold}) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    EXPECT_EQ(bits, 0xFFC00000u);
  }
  EXPECT_TRUE(std::isnan(none.d2.threshold_extended));
}

// A sibship of s records gives s(s−1)/2 pairs.
std::vector<PedigreeRecord> sibships(const std::vector<int>& sizes) {
  std::vector<PedigreeRecord> rows;
  std::int32_t fam = 0;
  for (int s : sizes) {
    ++fam;
    for (int k = 0; k < s; ++k)
      rows.push_back({fam, k + 1, 100, 200, 1, static_cast<float>(k)});
  }
  return rows;
}

TEST(SibPairs, Capacity) {
  const auto three = sibships({3});
  Formed f = form(three, -9, 3);
  EXPECT_FALSE(f.result.capacity_exceeded);
  EXPECT_EQ(f.result.pair_count, 3);

  f = form(three, -9, 2);
  EXPECT_TRUE(f.result.capacity_exceeded);
  EXPECT_EQ(f.result.pair_count, 2);
  EXPECT_EQ(f.result.sums.Sx, 0.0L + 1 + 0 + 2);  // pairs (1,2) and (1,3) only

  // 34980 + 10 + 10 pairs fill the real table exactly; one more stops.
  auto rows = sibships({265, 5, 5});
  f = form(rows, -9);
  EXPECT_FALSE(f.result.capacity_exceeded);
  EXPECT_EQ(f.result.pair_count, NPAR);
  rows.push_back({99, 1, 1, 1, 1, 0});
  rows.push_back({99, 2, 1, 1, 1, 0});
  f = form(rows, -9);
  EXPECT_TRUE(f.result.capacity_exceeded);
  EXPECT_EQ(f.result.pair_count, NPAR);
}

TEST(SibPairs, LargeSingleFamilyIsFast) {
  const auto start = std::chrono::steady_clock::now();
  // Everybody full sibs: the capacity is reached long before 4.5e8 pairs.
  Formed f = form(sibships({ND}), -9);
  EXPECT_TRUE(f.result.capacity_exceeded);
  // Parents shared by twos only: 15000 pairs among 30000 records of a block.
  std::vector<PedigreeRecord> rows;
  for (std::int32_t k = 0; k < ND; ++k)
    rows.push_back({1, k + 1, 1000 + k / 2, 1, 1, 1.0f});
  f = form(rows, -9);
  EXPECT_FALSE(f.result.capacity_exceeded);
  EXPECT_EQ(f.result.pair_count, ND / 2);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// The pairing rule exactly as stated, record by record.
Formed literal_pairs(const std::vector<PedigreeRecord>& rows, float missing,
                     std::int32_t capacity) {
  Formed f;
  f.pairs.resize(capacity);
  const auto n = static_cast<std::int32_t>(rows.size());
  PairSums& s = f.result.sums;
  for (std::int32_t i = 0; i < n - 1; ++i) {
    if (rows[i].fa == 0 || rows[i].trait == missing) continue;
    for (std::int32_t j = i + 1; j < n && rows[j].fam == rows[i].fam; ++j) {
      if (rows[j].trait == missing || rows[j].fa != rows[i].fa ||
          rows[j].mo != rows[i].mo)
        continue;
      if (f.result.pair_count == capacity) {
        f.result.capacity_exceeded = true;
        return f;
      }
      const long double x = rows[i].trait, y = rows[j].trait;
      f.pairs[f.result.pair_count++] = {rows[i].fam, rows[i].fa, rows[i].mo,
                                        rows[i].id, rows[j].id, rows[i].trait,
                                        rows[j].trait,
                                        static_cast<float>((x - y) * (x - y))};
      s.Sxy = s.Sxy + x * y;
      s.Sx = (s.Sx + x) + y;
      s.Sxx = (s.Sxx + x * x) + y * y;
    }
  }
  return f;
}

bool same_bits(long double a, long double b) {
  return std::memcmp(&a, &b, 10) == 0;  // the 80 bits of the format
}

TEST(SibPairs, MatchesTheLiteralLoopOnRandomPedigrees) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 4000; ++round) {
    const auto rows = testing::random_pedigree(rng);
    const std::int32_t capacity =
        round % 4 == 0 ? std::uniform_int_distribution<int>(0, 6)(rng) : 2000;
    const Formed want =
        literal_pairs(rows, testing::kRandomMissingCode, capacity);
    const Formed got = form(rows, testing::kRandomMissingCode, capacity);
    ASSERT_EQ(got.result.pair_count, want.result.pair_count) << round;
    ASSERT_EQ(got.result.capacity_exceeded, want.result.capacity_exceeded);
    // With no room for a pair the tables are empty (no data pointer at all).
    if (want.result.pair_count > 0) {
      ASSERT_EQ(std::memcmp(got.pairs.data(), want.pairs.data(),
                            sizeof(SibPair) * want.result.pair_count), 0)
          << round;
    }
    ASSERT_TRUE(same_bits(got.result.sums.Sxy, want.result.sums.Sxy)) << round;
    ASSERT_TRUE(same_bits(got.result.sums.Sx, want.result.sums.Sx)) << round;
    ASSERT_TRUE(same_bits(got.result.sums.Sxx, want.result.sums.Sxx)) << round;
  }
}

}  // namespace
}  // namespace analysis
