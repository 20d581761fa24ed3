#include "recordio/shortest_digits.h"

#include <bit>
#include <cstdint>

#include "recordio/fixed_big_uint.h"

namespace recordio {
namespace {

// Three words hold every quantity of the conversion: S is at most 2^151 (the
// smallest subnormal) or 4 × 10^39, and R stays below 10 × S.
using Big = FixedBigUint<3>;

constexpr int kMaxPower = 45;  // the estimate of k lies in [-45, 39]

struct PowersOfTen {
  Big power[kMaxPower + 1];
  constexpr PowersOfTen() {
    power[0] = Big::from(1);
    for (int i = 1; i <= kMaxPower; ++i) {
      power[i] = power[i - 1];
      power[i].multiply(10);
    }
  }
};
constexpr PowersOfTen kTen;

Big times_power_of_ten(std::uint64_t small, int exponent) {
  Big r = kTen.power[exponent];
  r.multiply(small);
  return r;
}

Big power_of_two_times(std::uint64_t small, int exponent) {
  Big r = Big::from(small);
  r.shift_left(exponent);
  return r;
}

}  // namespace

ShortestDigits shortest_digits(float magnitude) {
  ShortestDigits out{};
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(magnitude) & 0x7fffffffu;
  const int biased = int(bits >> 23);
  std::uint64_t f = bits & 0x7fffffu;
  if (biased == 0 && f == 0) {
    out.digits[0] = '0';
    out.count = 1;
    return out;
  }
  int e = -149;
  if (biased != 0) {
    f |= 0x800000u;
    e = biased - 150;
  }
  const bool even = f % 2 == 0;
  // Just above a power of two the gap below is half the gap above (the
  // smallest normal number is treated alike).
  const bool narrow_below = biased != 0 && f == 0x800000u;

  // R/S = value, M-/S and M+/S the half-gaps below and above; all four are
  // a power of two times a small factor, then scaled by ten to the -k.
  const int narrow = narrow_below ? 1 : 0;
  const int scale = e >= 0 ? e : 0;       // powers of two moved onto R, M
  const int s_shift = 1 + narrow - (e >= 0 ? 0 : e);

  // k from floor(log2 value) × log10(2), which is k or one too large.
  const int c = std::bit_width(f) - 1 + e;
  int k = c * 8651 / 28738 + (c >= 0 ? 1 : 0);
  Big r, s, m_minus, m_plus;
  if (k >= 0) {
    r = power_of_two_times(f, scale + 1 + narrow);
    m_plus = power_of_two_times(1, scale + narrow);
    m_minus = power_of_two_times(1, scale);
    s = kTen.power[k];
    s.shift_left(s_shift);
  } else {  // value below one, so e < 0 and scale is 0
    r = times_power_of_ten(f << (1 + narrow), -k);
    m_plus = times_power_of_ten(1u << narrow, -k);
    m_minus = kTen.power[-k];
    s = power_of_two_times(1, s_shift);
  }
  {
    const int top = compare(r + m_plus, s);
    if (even ? top < 0 : top <= 0) {
      --k;
      r.multiply(10);
      m_plus.multiply(10);
      m_minus.multiply(10);
    }
  }
  out.exponent = k;

  for (int n = 0;; ++n) {
    int digit = 0;
    while (compare(r, s) >= 0) {
      r.subtract(s);
      ++digit;
    }
    const int below = compare(r, m_minus);
    const int above = compare(r + m_plus, s);
    const bool low = even ? below <= 0 : below < 0;
    const bool high = even ? above >= 0 : above > 0;
    if (!low && !high) {
      out.digits[n] = char('0' + digit);
      r.multiply(10);
      m_plus.multiply(10);
      m_minus.multiply(10);
      continue;
    }
    if (high && (!low || compare(r + r, s) >= 0)) ++digit;  // ties go up
    out.digits[n] = char('0' + digit);
    out.count = n + 1;
    return out;
  }
}

}  // namespace recordio
