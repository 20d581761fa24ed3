#pragma once
// A non-negative integer of a fixed number of 64-bit words, with only the
// operations the exact digit conversion needs. Values never outgrow the words
// (the caller sizes them); nothing here allocates.

#include <cstdint>

namespace recordio {

__extension__ typedef unsigned __int128 uint128;

template <int Words>
struct FixedBigUint {
  std::uint64_t word[Words] = {};  // least significant first

  static constexpr FixedBigUint from(std::uint64_t v) {
    FixedBigUint r;
    r.word[0] = v;
    return r;
  }

  constexpr void multiply(std::uint64_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < Words; ++i) {
      uint128 p = uint128(word[i]) * factor + carry;
      word[i] = std::uint64_t(p);
      carry = std::uint64_t(p >> 64);
    }
  }

  constexpr void shift_left(int bits) {
    const int words = bits / 64, rest = bits % 64;
    for (int i = Words - 1; i >= 0; --i) {
      std::uint64_t hi = i - words >= 0 ? word[i - words] : 0;
      std::uint64_t lo = i - words - 1 >= 0 ? word[i - words - 1] : 0;
      word[i] = rest == 0 ? hi : (hi << rest) | (lo >> (64 - rest));
    }
  }

  constexpr void add(const FixedBigUint& b) {
    std::uint64_t carry = 0;
    for (int i = 0; i < Words; ++i) {
      uint128 s = uint128(word[i]) + b.word[i] + carry;
      word[i] = std::uint64_t(s);
      carry = std::uint64_t(s >> 64);
    }
  }

  // Requires *this >= b.
  constexpr void subtract(const FixedBigUint& b) {
    std::uint64_t borrow = 0;
    for (int i = 0; i < Words; ++i) {
      std::uint64_t d = word[i] - b.word[i] - borrow;
      borrow = (word[i] < b.word[i]) || (word[i] - b.word[i] < borrow);
      word[i] = d;
    }
  }

  friend constexpr int compare(const FixedBigUint& a, const FixedBigUint& b) {
    for (int i = Words - 1; i >= 0; --i)
      if (a.word[i] != b.word[i]) return a.word[i] < b.word[i] ? -1 : 1;
    return 0;
  }

  friend constexpr FixedBigUint operator+(FixedBigUint a,
                                          const FixedBigUint& b) {
    a.add(b);
    return a;
  }
};

}  // namespace recordio
