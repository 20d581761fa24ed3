#include "recordio/number_fields.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace recordio {
namespace {

// Work area for the text of a real; wider fields use the heap.
constexpr int kStackArea = 5000;

class WorkArea {
 public:
  explicit WorkArea(std::int64_t size) {
    if (size > kStackArea) {
      heap_.resize(std::size_t(size));
      data_ = heap_.data();
    }
  }
  char* data() { return data_; }

 private:
  char stack_[kStackArea];
  char* data_ = stack_;
  std::string heap_;
};

void append_asterisks(std::string& out, int w) { out.append(std::size_t(w), '*'); }

// Appends the first n (at most N) characters of a buffer of N. The copy
// itself has a size known when compiling, which is far cheaper for a field
// of a dozen characters than a copy of n characters; the surplus is then
// cut off again.
template <std::size_t N>
void append_prefix(std::string& out, const char (&text)[N], std::size_t n) {
  const std::size_t at = out.size();
  out.append(text, N);
  out.resize(at + n);
}

struct Blanks {
  char text[32];
  constexpr Blanks() : text() {
    for (char& c : text) c = ' ';
  }
};
constexpr Blanks kBlanks;

// w blanks at the end of `out`, to be overwritten from the right.
char* append_blank_field(std::string& out, int w) {
  const std::size_t at = out.size();
  if (w <= int(sizeof kBlanks.text)) {
    append_prefix(out, kBlanks.text, std::size_t(w));
  } else {
    out.append(std::size_t(w), ' ');
  }
  return out.data() + at + w;
}

// Right-justifies `text` in w characters, or w asterisks when it is longer.
void place(std::string& out, std::string_view text, int w) {
  if (text.size() > std::size_t(w)) return append_asterisks(out, w);
  out.append(std::size_t(w) - text.size(), ' ');
  out += text;
}

// NaN and the infinities under F and E.
void place_special(std::string& out, float value, int w) {
  if (std::isnan(value)) return place(out, "NaN", w);
  if (value < 0) return place(out, "-Inf", w);
  place(out, w == 3 ? "Inf" : "+Inf", w);
}

// Comparisons, which run side by side, rather than a chain of divisions.
int decimal_digits(std::uint32_t v) {
  int n = 1;
  for (std::uint32_t power = 10; power <= 100000000; power *= 10) n += v >= power ? 1 : 0;
  return n + (v >= 1000000000 ? 1 : 0);
}

// "00" to "99", so that digits are set two at a time.
struct DigitPairs {
  char text[200];
  constexpr DigitPairs() : text() {
    for (int k = 0; k < 100; ++k) {
      text[2 * k] = char('0' + k / 10);
      text[2 * k + 1] = char('0' + k % 10);
    }
  }
};
constexpr DigitPairs kDigitPairs;

// Writes the `count` decimal digits of v so that they end just before p;
// returns where they start.
char* put_digits(char* p, std::uint32_t v, int count) {
  for (; count >= 2; count -= 2, v /= 100) {
    p -= 2;
    std::memcpy(p, kDigitPairs.text + 2 * (v % 100), 2);
  }
  if (count == 1) *--p = char('0' + v % 10);
  return p;
}

constexpr double kExactPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

__extension__ typedef unsigned __int128 u128;  // GCC and Clang on x86-64

constexpr int kMaxPower = 38;  // 10^38 < 2^128

struct PowersOfTen {
  u128 value[kMaxPower + 1];
  constexpr PowersOfTen() : value() {
    value[0] = 1;
    for (int n = 1; n <= kMaxPower; ++n) value[n] = value[n - 1] * 10;
  }
};
constexpr PowersOfTen kPowers;

int leading_zeros(u128 v) {
  const auto high = std::uint64_t(v >> 64);
  return high != 0 ? std::countl_zero(high) : 64 + std::countl_zero(std::uint64_t(v));
}

// The d significant digits (1 <= d <= 9) of a finite magnitude above zero,
// rounded once from the exact value with ties to even, by integer arithmetic
// on the significand: q with 10^(d-1) <= q < 10^d and the decimal exponent x
// of its first digit. False when the scaled value would not fit 128 bits
// (the far ends of the range); the caller then takes the general road.
[[gnu::always_inline]] inline bool round_to_digits(float magnitude, int d,
                                                std::uint64_t& q, int& x) {
  std::uint32_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const std::uint32_t biased = bits >> 23;
  const std::uint32_t fraction = bits & 0x7FFFFF;
  // magnitude = M × 2^E exactly.
  const std::uint32_t M = biased == 0 ? fraction : fraction | 0x800000;
  const int E = biased == 0 ? -149 : int(biased) - 150;
  const int log2 = E + 31 - std::countl_zero(M);
  x = (log2 * 78913) >> 18;  // floor(log2 × log10(2)): the exponent or one less
  const u128 lowest = kPowers.value[d - 1];
  const u128 bound = kPowers.value[d];
  for (;;) {
    // floor(magnitude × 10^k) with the discarded part compared to one half.
    const int k = d - 1 - x;
    u128 floor_part;
    int versus_half;  // -1 below, 0 at, +1 above one half
    if (k >= 0 && k <= 11 && E < 0 && E > -64) {
      // The usual sizes in 64 bits: M × 10^11 < 2^61.
      const std::uint64_t n = std::uint64_t(M) * std::uint64_t(kPowers.value[k]);
      const int s = -E;
      floor_part = n >> s;
      const std::uint64_t rest = n & ((std::uint64_t(1) << s) - 1);
      const std::uint64_t half = std::uint64_t(1) << (s - 1);
      versus_half = rest < half ? -1 : rest > half ? 1 : 0;
    } else if (k >= 0) {
      if (k > 31) return false;  // M × 10^k must stay below 2^128
      const u128 n = u128(M) * kPowers.value[k];
      if (E >= 0) {
        if (E > leading_zeros(n)) return false;
        floor_part = n << E;
        versus_half = -1;  // nothing discarded
      } else {
        const int s = -E;
        if (s > 127) return false;
        floor_part = n >> s;
        const u128 rest = n & ((u128(1) << s) - 1);
        const u128 half = u128(1) << (s - 1);
        versus_half = rest < half ? -1 : rest > half ? 1 : 0;
      }
    } else {
      const int p = -k;
      if (p > kMaxPower) return false;
      u128 numerator = M;
      u128 denominator = kPowers.value[p];
      if (E >= 0) {
        numerator <<= E;  // M < 2^24 and E <= 104
      } else {
        if (-E > leading_zeros(denominator)) return false;
        denominator <<= -E;
      }
      floor_part = numerator / denominator;
      const u128 rest = numerator % denominator;
      const u128 other = denominator - rest;
      versus_half = rest < other ? -1 : rest > other ? 1 : 0;
    }
    if (floor_part < lowest) {
      --x;
      continue;
    }
    if (floor_part >= bound) {
      ++x;
      continue;
    }
    const bool up = versus_half > 0 || (versus_half == 0 && (floor_part & 1) != 0);
    u128 rounded = floor_part + (up ? 1 : 0);
    if (rounded == bound) {  // 9.99..5 carried into a new first digit
      rounded = lowest;
      ++x;
    }
    q = std::uint64_t(rounded);
    return true;
  }
}

}  // namespace

void append_integer_field(std::string& out, std::int32_t value, int w, int m) {
  if (w <= 0) return;
  const bool negative = value < 0;
  // The magnitude of the most negative value does not fit an int32.
  std::uint32_t magnitude =
      negative ? 0u - std::uint32_t(value) : std::uint32_t(value);
  // With m = 0 a zero has no digits at all.
  const int digits = (magnitude == 0 && m == 0) ? 0 : decimal_digits(magnitude);
  const int shown = m > digits ? m : digits;
  const std::int64_t length = std::int64_t{shown} + (negative ? 1 : 0);
  if (length > w) return append_asterisks(out, w);
  // The field goes in as blanks and its characters are set from the right,
  // in place: bytes stored one by one and then copied as a block would make
  // the copy wait for them.
  char* p = append_blank_field(out, w);
  p = put_digits(p, magnitude, digits);
  for (int k = digits; k < shown; ++k) *--p = '0';
  if (negative) *--p = '-';
}

void append_fixed_field(std::string& out, float value, int w, int d) {
  if (w <= 0) return;
  if (d < 0) d = 0;
  if (!std::isfinite(value)) return place_special(out, value, w);
  const bool negative = std::signbit(value);
  const float magnitude = std::fabs(value);
  const int sign = negative ? 1 : 0;

  // No text longer than w+2 can be placed: with more than w-d+1 integer
  // digits the field is asterisks, whatever the rounding.
  const std::int64_t integer_room = std::int64_t{w} - d + 1;
  if (integer_room < 1 ||
      (integer_room <= 22 && magnitude >= kExactPowersOfTen[integer_room]))
    return append_asterisks(out, w);

  const std::int64_t capacity = std::int64_t{w} + 2;  // longer: asterisks
  WorkArea area(capacity);
  char* text = area.data();
  if (negative) text[0] = '-';
  // Widening to double is exact, and to_chars rounds the exact binary value
  // once, ties to even.
  const std::int64_t room = capacity - sign - (d == 0 ? 1 : 0);
  const auto [end, ec] = std::to_chars(text + sign, text + sign + room,
                                       double(magnitude),
                                       std::chars_format::fixed, d);
  if (ec != std::errc()) return append_asterisks(out, w);
  std::int64_t length = end - text;
  if (d == 0) {
    // A magnitude of exactly one half rounds up to 1 here, not to even 0.
    if (magnitude == 0.5f) text[sign] = '1';
    text[length++] = '.';
  }
  const bool leading_zero = text[sign] == '0';
  const std::string_view fraction(text + sign + 2, std::size_t(length - sign - 2));
  if (length == std::int64_t{w} + 2 && negative && leading_zero &&
      fraction.find_first_not_of('0') == std::string_view::npos)
    return place(out, std::string_view(text + 2, std::size_t(w)), w);  // .000
  if (length == std::int64_t{w} + 1 && leading_zero) {
    out.append(text, std::size_t(sign));  // the sign stays, the 0 goes
    out.append(text + sign + 1, std::size_t(length - sign - 1));
    return;
  }
  place(out, std::string_view(text, std::size_t(length)), w);
}

namespace {

// Ew.d without an exponent width, as the report uses it, set in place from
// the right like an integer field: the same text as the general road below
// takes. False (nothing written) when the general road is needed: d outside
// 1..9, a field too narrow for the number, the far ends of the range.
// The columns of a report repeat their values (traits are measured to a
// fixed resolution), so recent fields are kept by value: a cache, which a
// miss only costs the conversion.
struct FieldMemo {
  std::uint32_t bits = 0;
  int w = -1;
  int d = -1;
  char text[16];
};
constexpr int kMemoWidth = 16;

FieldMemo& memo_slot(std::uint32_t bits) {
  // One cache per thread: fields rendered on two threads (the exhaustive
  // checks) must not read each other's half-written entries.
  thread_local FieldMemo memo[512];
  return memo[(bits * 0x9E3779B1u) >> 23];
}

bool append_exponent_field_short(std::string& out, float value, int w, int d) {
  const bool negative = std::signbit(value);
  const float magnitude = std::fabs(value);
  if (d < 1 || d > 9) return false;
  const int length = (negative ? 1 : 0) + 2 + d + 4;  // [-]0.DDDDE+XX
  if (std::int64_t{length} > std::int64_t{w} + 1) return false;
  const auto bits = std::bit_cast<std::uint32_t>(value);
  FieldMemo* memo = w <= kMemoWidth ? &memo_slot(bits) : nullptr;
  if (memo != nullptr && memo->bits == bits && memo->w == w && memo->d == d) {
    append_prefix(out, memo->text, std::size_t(w));
    return true;
  }
  std::uint64_t q = 0;
  int x = 0;
  if (magnitude != 0) {
    if (!round_to_digits(magnitude, d, q, x)) return false;
    ++x;  // 0.D1D2... rather than D1.D2...
  }
  char* p = append_blank_field(out, w);
  const int abs_x = x < 0 ? -x : x;  // at most 39 for a 4-byte real
  *--p = char('0' + abs_x % 10);
  *--p = char('0' + abs_x / 10);
  *--p = x < 0 ? '-' : '+';
  *--p = 'E';
  p = put_digits(p, std::uint32_t(q), d);  // q < 10^9
  *--p = '.';
  if (length <= w) *--p = '0';  // the 0 before the point goes when w is one short
  if (negative) *--p = '-';
  if (memo != nullptr) {
    std::memcpy(memo->text, out.data() + out.size() - std::size_t(w), std::size_t(w));
    memo->bits = bits;
    memo->w = w;
    memo->d = d;
  }
  return true;
}

}  // namespace

void append_exponent_field(std::string& out, float value, int w, int d, int e) {
  if (w <= 0) return;
  if (d < 0) d = 0;
  if (!std::isfinite(value)) return place_special(out, value, w);
  if (e == kAbsent && append_exponent_field_short(out, value, w, d)) return;
  const bool negative = std::signbit(value);
  const float magnitude = std::fabs(value);
  const int sign = negative ? 1 : 0;

  // Every 4-byte exponent has at most two digits, so the exponent part is
  // E, a sign and two digits without e, or E, a sign and e digits with it.
  const bool e_given = e != kAbsent && e >= 0;
  const std::int64_t exponent_part = e_given ? 2 + std::int64_t{e} : 4;
  const std::int64_t length = sign + 2 + std::int64_t{d} + exponent_part;
  if (length > std::int64_t{w} + 1) return append_asterisks(out, w);

  WorkArea area(length + d + 24);  // the text, then to_chars' scratch
  char* text = area.data();
  char* digits = text + sign + 2;
  int x = 0;
  std::uint64_t q = 0;
  if (magnitude == 0) {
    std::memset(digits, '0', std::size_t(d));
  } else if (d >= 1 && d <= 9 && round_to_digits(magnitude, d, q, x)) {
    ++x;  // 0.D1D2... rather than D1.D2...
    for (int i = d - 1; i >= 0; --i, q /= 10) digits[i] = char('0' + q % 10);
  } else {
    // d significant digits (at least one, to find the exponent when d = 0):
    // "D.DDDe+XX" from to_chars, which rounds the exact value, ties to even.
    char* scratch = text + length;
    const int precision = d > 0 ? d - 1 : 0;
    const auto [end, ec] = std::to_chars(scratch, scratch + d + 16,
                                         double(magnitude),
                                         std::chars_format::scientific,
                                         precision);
    (void)ec;  // the scratch area always suffices
    const char* exp_mark = static_cast<const char*>(
        std::memchr(scratch, 'e', std::size_t(end - scratch)));
    std::from_chars(exp_mark + 1 + (exp_mark[1] == '+' ? 1 : 0), end, x);
    ++x;  // 0.D1D2... rather than D1.D2...
    if (d > 0) {
      digits[0] = scratch[0];
      std::memmove(digits + 1, scratch + 2, std::size_t(d - 1));
    }
  }
  if (negative) text[0] = '-';
  text[sign] = '0';
  text[sign + 1] = '.';
  char* p = digits + d;
  const int abs_x = x < 0 ? -x : x;
  const int x_digits = abs_x >= 10 ? 2 : 1;
  if (e_given && x_digits > e) return append_asterisks(out, w);
  *p++ = 'E';
  *p++ = x < 0 ? '-' : '+';
  const int width = e_given ? e : 2;
  for (int i = 2; i < width; ++i) *p++ = '0';
  if (width >= 2) *p++ = char('0' + abs_x / 10);
  *p++ = char('0' + abs_x % 10);
  if (length == std::int64_t{w} + 1) {  // the 0 before the point goes
    out.append(text, std::size_t(sign));
    out.append(text + sign + 1, std::size_t(length - sign - 1));
    return;
  }
  place(out, std::string_view(text, std::size_t(length)), w);
}

}  // namespace recordio
