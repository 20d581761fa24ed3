#include "analysis/outliers.h"

#include <cmath>
#include <cstddef>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace analysis {

namespace {

struct SibshipKey {
  std::int32_t fam, fa, mo;
  bool operator==(const SibshipKey&) const = default;
};

struct SibshipKeyHash {
  std::size_t operator()(const SibshipKey& k) const {
    std::uint64_t h = static_cast<std::uint32_t>(k.fam);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint32_t>(k.fa);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint32_t>(k.mo);
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

SibshipKey sibship_of(const SibPair& p) { return {p.fam, p.fa, p.mo}; }

// Rows of the whole pair table per full-sib family; separate blocks of one
// family count together.
using SibshipCounts =
    std::unordered_map<SibshipKey, std::int32_t, SibshipKeyHash>;

SibshipCounts count_sibship_pairs(const SibPair* pairs,
                                  std::int32_t pair_count) {
  SibshipCounts counts;
  for (std::int32_t k = 0; k < pair_count; ++k) ++counts[sibship_of(pairs[k])];
  return counts;
}

std::uint64_t person_key(std::int32_t fam, std::int32_t id) {
  return (std::uint64_t{static_cast<std::uint32_t>(fam)} << 32) |
         static_cast<std::uint32_t>(id);
}

class OutlierList {
 public:
  OutlierList(OutlierEntry* entries, std::int32_t capacity)
      : entries_(entries), capacity_(capacity) {}

  void add(std::int32_t fam, std::int32_t id) {
    if (length_ >= capacity_ || !named_.insert(person_key(fam, id)).second)
      return;
    entries_[length_++] = {fam, id};
  }

  std::int32_t length() const { return length_; }

 private:
  OutlierEntry* entries_;
  std::int32_t capacity_;
  std::int32_t length_ = 0;
  std::unordered_set<std::uint64_t> named_;
};

// Differences from the mean at extended precision; a NaN compares false, so
// a tie or a NaN keeps member 1.
bool second_lies_farther(const SibPair& p, float Mean) {
  const long double mean = Mean;
  return std::fabs(static_cast<long double>(p.tr_2) - mean) >
         std::fabs(static_cast<long double>(p.tr_1) - mean);
}

}  // namespace

std::int32_t name_outliers(const SibPair* pairs, std::int32_t pair_count,
                           long double threshold, float Mean,
                           OutlierEntry* outliers, std::int32_t capacity) {
  const auto counts = count_sibship_pairs(pairs, pair_count);
  OutlierList list(outliers, capacity);
  for (std::int32_t k = 0; k < pair_count; ++k) {
    const SibPair& p = pairs[k];
    // D2 widens exactly; NaN on either side is never flagged.
    if (!(static_cast<long double>(p.D2) > threshold)) continue;
    if (counts.at(sibship_of(p)) == 1) {
      list.add(p.fam, p.id_1);
      list.add(p.fam, p.id_2);
    } else {
      list.add(p.fam, second_lies_farther(p, Mean) ? p.id_2 : p.id_1);
    }
  }
  return list.length();
}

}  // namespace analysis
