#pragma once
// Checks of the real-to-text conversions for one 4-byte bit pattern, shared
// by the exhaustive sweep (tools/float_sweep) and the sampled unit test.
//
// Every expectation is derived here from the significand and exponent with
// exact integer arithmetic of its own (128-bit where the range allows, a
// four-word integer where it does not); nothing here uses to_chars or the
// conversion code under test, except decimal_to_float for reading back.

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recordio/decimal_to_float.h"
#include "recordio/free_output.h"
#include "recordio/number_fields.h"
#include "recordio/shortest_digits.h"

namespace float_checks {

__extension__ typedef unsigned __int128 u128;

// ---------------------------------------------------------------- exact core

inline int bit_length(u128 v) {
  const auto high = std::uint64_t(v >> 64);
  return high ? 64 + std::bit_width(high) : std::bit_width(std::uint64_t(v));
}

// A 256-bit integer, enough for N × 5^47 and Y × 2^E after alignment.
struct Wide {
  std::uint64_t w[4] = {};

  explicit Wide(u128 v = 0) {
    w[0] = std::uint64_t(v);
    w[1] = std::uint64_t(v >> 64);
  }
  void times(std::uint64_t m) {
    u128 carry = 0;
    for (auto& x : w) {
      carry += u128(x) * m;
      x = std::uint64_t(carry);
      carry >>= 64;
    }
  }
  int bit_length() const {
    for (int i = 3; i >= 0; --i)
      if (w[i]) return 64 * i + std::bit_width(w[i]);
    return 0;
  }
  void shift_up(int n) {  // n < 256, result known to fit
    while (n >= 64) {
      w[3] = w[2], w[2] = w[1], w[1] = w[0], w[0] = 0;
      n -= 64;
    }
    if (n == 0) return;
    for (int i = 3; i > 0; --i) w[i] = (w[i] << n) | (w[i - 1] >> (64 - n));
    w[0] <<= n;
  }
  friend int order(const Wide& a, const Wide& b) {
    for (int i = 3; i >= 0; --i)
      if (a.w[i] != b.w[i]) return a.w[i] < b.w[i] ? -1 : 1;
    return 0;
  }
};

inline void times_power_of_five(Wide& x, int k) {
  constexpr std::uint64_t five27 = 7450580596923828125ull;  // 5^27
  for (; k >= 27; k -= 27) x.times(five27);
  std::uint64_t rest = 1;
  for (; k > 0; --k) rest *= 5;
  x.times(rest);
}

// Sign of N × 10^t − Y × 2^E, exactly.
inline int compare_exact(std::uint64_t n, int t, std::uint64_t y, int e) {
  // N × 5^t × 2^t against Y × 2^E, powers of five moved to one side.
  Wide a(n), b(y);
  if (t >= 0) times_power_of_five(a, t); else times_power_of_five(b, -t);
  int sa = t, sb = e;
  const int low = sa < sb ? sa : sb;
  sa -= low;
  sb -= low;
  const int la = a.bit_length(), lb = b.bit_length();
  if (la == 0 || lb == 0) return (la > 0) - (lb > 0);
  if (la + sa != lb + sb) return la + sa < lb + sb ? -1 : 1;
  a.shift_up(sa);
  b.shift_up(sb);
  return order(a, b);
}

// The same sign, decided in double precision when the two sides are clearly
// apart (products of doubles are within 2^-50 of the truth here).
inline int compare(std::uint64_t n, int t, std::uint64_t y, int e) {
  static const std::vector<double> ten = [] {
    std::vector<double> v;
    for (int i = -60; i <= 60; ++i) v.push_back(std::pow(10.0, i));
    return v;
  }();
  const double left = double(n) * ten[std::size_t(t + 60)];
  const double right = std::ldexp(double(y), e);
  if (left > right * (1 + 1e-12)) return 1;
  if (left < right * (1 - 1e-12)) return -1;
  return compare_exact(n, t, y, e);
}

// A finite non-negative value as f × 2^e.
struct Binary {
  std::uint32_t f;
  int e;
  bool narrow_below;  // gap below halved: normal with f = 2^23
};

inline Binary decompose(std::uint32_t bits) {
  const int biased = int((bits >> 23) & 0xff);
  const std::uint32_t stored = bits & 0x7fffff;
  if (biased == 0) return {stored, -149, false};
  return {stored | 0x800000u, biased - 150, stored == 0};
}

// Rounds f × 2^e × 10^p to an integer, ties to even. Requires f × 5^p
// below 2^127 and the result below 2^100 (true for every use here).
inline u128 round_scaled(const Binary& b, int p) {
  u128 quotient, remainder, divisor;  // value = (quotient + remainder/divisor)
  static const std::vector<u128> five = [] {
    std::vector<u128> v{1};
    for (int i = 1; i <= 54; ++i) v.push_back(v.back() * 5);
    return v;
  }();
  if (p >= 0) {
    const u128 scaled = u128(b.f) * five[std::size_t(p)];  // < 2^128 here
    const int s = b.e + p;
    if (s >= 0) return scaled << s;
    if (-s > bit_length(scaled)) return 0;  // below one half
    quotient = scaled >> -s;
    remainder = scaled & ((u128(1) << -s) - 1);
    divisor = u128(1) << -s;
  } else {
    const int u = -p;
    const int s = b.e - u;
    u128 numerator = b.f;
    divisor = five[std::size_t(u)];
    if (s >= 0) {
      numerator <<= s;
    } else {
      if (bit_length(divisor) - s > 120) return 0;
      divisor <<= -s;
    }
    quotient = numerator / divisor;
    remainder = numerator % divisor;
  }
  const u128 twice = remainder * 2;
  if (twice > divisor || (twice == divisor && (quotient & 1))) ++quotient;
  return quotient;
}

// The sign of f × 2^e × 10^p − bound.
inline int compare_scaled(const Binary& b, int p, std::uint64_t bound) {
  return -compare(bound, -p, b.f, b.e);
}

// ---------------------------------------------------------- expected texts

inline std::string u128_digits(u128 v) {
  std::string s;
  do {
    s.insert(s.begin(), char('0' + int(v % 10)));
    v /= 10;
  } while (v != 0);
  return s;
}

inline std::string special_text(std::uint32_t bits, int w) {
  if ((bits & 0x7fffff) != 0) return "NaN";
  if (bits >> 31) return "-Inf";
  return w == 3 ? "Inf" : "+Inf";
}

inline std::string placed(const std::string& text, int w) {
  if (int(text.size()) > w) return std::string(std::size_t(w), '*');
  return std::string(std::size_t(w) - text.size(), ' ') + text;
}

// Fw.4 for the widths the program uses (w below 20, so no leading-zero drops).
inline std::string expected_fixed4(std::uint32_t bits, int w) {
  if (((bits >> 23) & 0xff) == 0xff) return placed(special_text(bits, w), w);
  const Binary b = decompose(bits & 0x7fffffff);
  if (b.e >= 7) return std::string(std::size_t(w), '*');  // at least 2^30
  const u128 n = round_scaled(b, 4);
  std::string fraction = u128_digits(n % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  const std::string sign = (bits >> 31) ? "-" : "";
  return placed(sign + u128_digits(n / 10000) + "." + fraction, w);
}

// Ew.4 (e given or not; both give two exponent digits for 4-byte reals).
inline std::string expected_exponent4(std::uint32_t bits, int w) {
  if (((bits >> 23) & 0xff) == 0xff) return placed(special_text(bits, w), w);
  const Binary b = decompose(bits & 0x7fffffff);
  const std::string sign = (bits >> 31) ? "-" : "";
  if (b.f == 0) return placed(sign + "0.0000E+00", w);
  // x with 10^(x-1) <= value < 10^x, from an estimate and exact corrections.
  int x = int(std::floor(std::log10(std::ldexp(double(b.f), b.e)))) + 1;
  while (compare_scaled(b, 4 - x, 1000) < 0) --x;
  while (compare_scaled(b, 4 - x, 10000) >= 0) ++x;
  u128 n = round_scaled(b, 4 - x);
  if (n == 10000) n = 1000, ++x;  // carry out of the fourth digit
  const int magnitude = x < 0 ? -x : x;
  const std::string exponent = std::string(x < 0 ? "-" : "+") +
                               char('0' + magnitude / 10) +
                               char('0' + magnitude % 10);
  return placed(sign + "0." + u128_digits(n) + "E" + exponent, w);
}

// -------------------------------------------------------------- the checks

enum Kind {
  kFormat,      // malformed digit string
  kReadBack,    // shortest digits do not read back to the same bits
  kInterval,    // shortest digits outside the rounding interval
  kShorter,     // a shorter string lies in the interval
  kNearest,     // another string of the same length is nearer (or ties up)
  kFreeText,    // free-format text does not read back or has the wrong form
  kFixed,       // f13.4
  kExponent11,  // E11.4 / e11.4
  kExponent12,  // e12.4
  kKinds
};

inline const char* kind_name(int k) {
  static const char* names[] = {"format", "read-back", "interval", "shorter",
                                "nearest", "free-text", "f13.4", "E11.4",
                                "e12.4"};
  return names[k];
}

struct Tally {
  std::uint64_t values = 0;
  std::uint64_t differences[kKinds] = {};
  std::vector<std::string> examples;  // the first few, for the report

  std::uint64_t total() const {
    std::uint64_t t = 0;
    for (auto d : differences) t += d;
    return t;
  }
  void note(int kind, std::uint32_t bits, const std::string& detail) {
    ++differences[kind];
    if (examples.size() < 40) {
      char head[64];
      std::snprintf(head, sizeof head, "%s 0x%08x (%.9g): ", kind_name(kind),
                    unsigned(bits), double(std::bit_cast<float>(bits)));
      examples.push_back(head + detail);
    }
  }
  void add(const Tally& o) {
    values += o.values;
    for (int k = 0; k < kKinds; ++k) differences[k] += o.differences[k];
    for (const auto& e : o.examples)
      if (examples.size() < 40) examples.push_back(e);
  }
};

struct Scratch {  // reused text buffers, so that the sweep does not allocate
  std::string text;
};

// Whether N × 10^t lies in the rounding interval of b.
inline bool in_interval(const Binary& b, std::uint64_t n, int t) {
  const std::uint64_t lo = 4 * std::uint64_t(b.f) - (b.narrow_below ? 1 : 2);
  const std::uint64_t hi = 4 * std::uint64_t(b.f) + 2;
  const int above_lo = compare(n, t, lo, b.e - 2);
  const int below_hi = -compare(n, t, hi, b.e - 2);
  if (b.f % 2 == 0) return above_lo >= 0 && below_hi >= 0;
  return above_lo > 0 && below_hi > 0;
}

inline std::string digits_text(const recordio::ShortestDigits& sd) {
  const int n = sd.count > 0 && sd.count <= 12 ? sd.count : 0;
  return std::string(sd.digits, std::size_t(n)) + "e" + std::to_string(sd.exponent);
}

inline void check_shortest(std::uint32_t bits,
                           const recordio::ShortestDigits& sd, Tally& tally) {
  if (bits == 0) {
    if (sd.count != 1 || sd.digits[0] != '0' || sd.exponent != 0)
      tally.note(kFormat, bits, digits_text(sd));
    return;
  }
  bool well_formed = sd.count >= 1 && sd.count <= 9 && sd.digits[0] != '0' &&
                     sd.digits[sd.count - 1] != '0';
  for (int i = 0; well_formed && i < sd.count; ++i)
    well_formed = sd.digits[i] >= '0' && sd.digits[i] <= '9';
  if (!well_formed) return tally.note(kFormat, bits, digits_text(sd));

  const std::string_view digits(sd.digits, std::size_t(sd.count));
  std::uint64_t d = 0;
  for (char c : digits) d = d * 10 + std::uint64_t(c - '0');
  const int q = sd.exponent - sd.count + 1;  // value ~ d × 10^q
  const Binary b = decompose(bits);

  if (std::bit_cast<std::uint32_t>(
          recordio::decimal_to_float(false, digits, q)) != bits)
    tally.note(kReadBack, bits, digits_text(sd));
  if (!in_interval(b, d, q)) tally.note(kInterval, bits, digits_text(sd));
  // A shorter string in the interval would make one of the multiples of
  // 10^(q+1) around d × 10^q lie in it.
  if (sd.count >= 2 &&
      (in_interval(b, d / 10, q + 1) || in_interval(b, d / 10 + 1, q + 1)))
    tally.note(kShorter, bits, digits_text(sd));
  // Nearest, and of two equally near the larger: only the neighbours matter.
  const std::uint64_t twice = 8 * std::uint64_t(b.f);  // 2 × value, at 2^(e-2)
  if (in_interval(b, d + 1, q) && compare(2 * d + 1, q, twice, b.e - 2) <= 0)
    tally.note(kNearest, bits, digits_text(sd) + " (one up is as near)");
  if (d >= 2 && in_interval(b, d - 1, q) &&
      compare(2 * d - 1, q, twice, b.e - 2) > 0)
    tally.note(kNearest, bits, digits_text(sd) + " (one down is nearer)");
}

// The free-format text of a finite non-negative value: the shortest digits
// laid out by their decimal exponent, plain from 10^-6 to below 10^7 and
// with an exponent outside. Parsed back into digits and exponent here.
inline bool free_text_matches(std::string_view text,
                              const recordio::ShortestDigits& sd) {
  const std::size_t e_at = text.find('E');
  const std::string_view mantissa = text.substr(0, e_at);
  const std::size_t point = mantissa.find('.');
  if (point == std::string_view::npos || point == 0) return false;
  if (mantissa.find('.', point + 1) != std::string_view::npos) return false;
  std::string digits;
  for (char c : mantissa)
    if (c != '.') {
      if (c < '0' || c > '9') return false;
      digits += c;
    }
  int exponent = 0;
  if (e_at != std::string_view::npos) {
    const std::string_view rest = text.substr(e_at + 1);
    if (rest.size() < 2 || (rest[0] != '+' && rest[0] != '-') || rest[1] == '0')
      return false;
    for (char c : rest.substr(1)) {
      if (c < '0' || c > '9') return false;
      exponent = exponent * 10 + (c - '0');
    }
    if (rest[0] == '-') exponent = -exponent;
    if (point != 1) return false;  // d1.d2...
  }
  // No trailing zero after the point; no leading zero before a nonzero
  // integer part.
  if (point + 1 < mantissa.size() && mantissa.back() == '0') return false;
  if (mantissa[0] == '0' && point != 1) return false;
  // Significant digits and the decimal exponent of the first one.
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos)  // zero
    return text == "0." && sd.count == 1 && sd.digits[0] == '0';
  const std::size_t last = digits.find_last_not_of('0');
  const int a = int(point) - 1 - int(first) + exponent;
  const bool exponent_form = e_at != std::string_view::npos;
  if (exponent_form != (a < -6 || a > 6)) return false;
  return a == sd.exponent &&
         digits.substr(first, last - first + 1) ==
             std::string_view(sd.digits, std::size_t(sd.count));
}

inline void check_free_texts(std::uint32_t bits,
                             const recordio::ShortestDigits* sd, Tally& tally,
                             Scratch& s) {
  const float value = std::bit_cast<float>(bits);
  s.text.clear();
  recordio::append_free_real(s.text, value);
  s.text += '|';
  recordio::append_free_real(s.text, -value);
  const std::size_t bar = s.text.find('|');
  const std::string_view positive(s.text.data(), bar);
  const std::string_view negative(s.text.data() + bar + 1, s.text.size() - bar - 1);
  bool ok;
  if (sd == nullptr) {  // NaN or infinity
    ok = std::isnan(value) ? positive == "NaN" && negative == "NaN"
                           : positive == "+Inf" && negative == "-Inf";
  } else {
    ok = free_text_matches(positive, *sd) && negative.size() == positive.size() + 1 &&
         negative[0] == '-' && negative.substr(1) == positive;
  }
  if (!ok) tally.note(kFreeText, bits, s.text);
}

inline void check_fields(std::uint32_t bits, Tally& tally, Scratch& s) {
  const float value = std::bit_cast<float>(bits);
  s.text.clear();
  recordio::append_fixed_field(s.text, value, 13, 4);
  if (s.text != expected_fixed4(bits, 13)) tally.note(kFixed, bits, "[" + s.text + "]");
  s.text.clear();
  recordio::append_exponent_field(s.text, value, 11, 4);
  if (s.text != expected_exponent4(bits, 11))
    tally.note(kExponent11, bits, "[" + s.text + "]");
  s.text.clear();
  recordio::append_exponent_field(s.text, value, 12, 4);
  if (s.text != expected_exponent4(bits, 12))
    tally.note(kExponent12, bits, "[" + s.text + "]");
}

// Every check for a non-negative bit pattern and its negative.
inline void check_pair(std::uint32_t bits, Tally& tally, Scratch& s) {
  tally.values += 2;
  if (((bits >> 23) & 0xff) != 0xff) {
    const recordio::ShortestDigits sd =
        recordio::shortest_digits(std::bit_cast<float>(bits));
    check_shortest(bits, sd, tally);
    check_free_texts(bits, &sd, tally, s);
  } else {
    check_free_texts(bits, nullptr, tally, s);
  }
  check_fields(bits, tally, s);
  check_fields(bits | 0x80000000u, tally, s);
}

// The sample: for every exponent, the smallest and largest significands,
// the ones next to them, and `per_exponent` spread by a fixed generator;
// zero, the infinity and NaNs come with exponent 0 and 255. check_pair adds
// the negatives.
inline std::vector<std::uint32_t> sample_patterns(int per_exponent) {
  std::vector<std::uint32_t> out;
  std::uint64_t state = 0x9e3779b97f4a7c15ull;
  for (std::uint32_t biased = 0; biased <= 0xff; ++biased) {
    const std::uint32_t fixed[] = {0, 1, 2, 3, 0x3fffff, 0x400000, 0x400001,
                                   0x7ffffd, 0x7ffffe, 0x7fffff};
    std::vector<std::uint32_t> significands(std::begin(fixed), std::end(fixed));
    for (int i = 0; i < per_exponent; ++i) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      significands.push_back(std::uint32_t(state >> 41) & 0x7fffff);
    }
    for (std::uint32_t m : significands)
      out.push_back((biased << 23) | m);
  }
  return out;
}

}  // namespace float_checks
