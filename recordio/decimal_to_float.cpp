#include "recordio/decimal_to_float.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace recordio {

// The fast path below relies on float arithmetic being done in float.
static_assert(FLT_EVAL_METHOD == 0, "float operations must round to float");

namespace {

float with_sign(bool negative, float magnitude) {
  return negative ? -magnitude : magnitude;
}

// Powers of ten that are exact 4-byte reals (5^10 < 2^24).
constexpr float kExactPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                  1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
constexpr std::int64_t kMaxExactPower = 10;

// Clinger's fast path: an integer up to 2^24 and an exact power of ten are
// both exact 4-byte reals, so one correctly rounded float multiply or divide
// gives the correctly rounded result.
bool try_exact(std::uint64_t mantissa, std::int64_t exponent10, float& out) {
  if (mantissa > (1u << 24) || exponent10 < -kMaxExactPower ||
      exponent10 > kMaxExactPower)
    return false;
  float m = static_cast<float>(mantissa);
  out = exponent10 >= 0 ? m * kExactPowers[exponent10]
                        : m / kExactPowers[-exponent10];
  return true;
}

bool try_exact(std::string_view digits, std::int64_t exponent10, float& out) {
  if (digits.size() > 8) return false;
  std::uint64_t mantissa = 0;
  for (char d : digits)
    mantissa = mantissa * 10 + static_cast<unsigned>(d - '0');
  return try_exact(mantissa, exponent10, out);
}

// Parses "<digits>e<exponent10>" with from_chars; short texts stay on the
// stack.
std::from_chars_result parse_canonical(std::string_view digits,
                                       std::int64_t exponent10, float& out) {
  constexpr std::size_t kExponentRoom = 24;
  char small[64 + kExponentRoom];
  std::string large;
  char* text = small;
  if (digits.size() > 64) {
    large.resize(digits.size() + kExponentRoom);
    text = large.data();
  }
  char* p = std::copy(digits.begin(), digits.end(), text);
  *p++ = 'e';
  p = std::to_chars(p, p + kExponentRoom - 1, exponent10).ptr;
  return std::from_chars(text, p, out);
}

}  // namespace

float decimal_to_float(bool negative, std::string_view digits,
                       std::int64_t exponent10) {
  constexpr float kInfinity = std::numeric_limits<float>::infinity();

  std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos) return with_sign(negative, 0.0f);
  std::size_t last = digits.find_last_not_of('0');
  // Trailing zeros move into the exponent; callers keep |exponent10| at or
  // below 2^62, so this cannot overflow for any text that fits in memory.
  exponent10 += static_cast<std::int64_t>(digits.size() - 1 - last);
  digits = digits.substr(first, last + 1 - first);

  // The value lies in [10^(magnitude-1), 10^magnitude).
  const std::int64_t magnitude =
      static_cast<std::int64_t>(digits.size()) + exponent10;
  // At least 10^39: beyond the midpoint between the largest finite value and
  // 2^128 (about 3.4028236e38).
  if (magnitude > 39) return with_sign(negative, kInfinity);
  // Below 10^-46: under half the smallest subnormal (2^-150, about 7.0e-46).
  if (magnitude < -45) return with_sign(negative, 0.0f);

  float result;
  if (try_exact(digits, exponent10, result)) return with_sign(negative, result);

  // from_chars rounds correctly for any digit count; it only needs one
  // canonical text, and leaves out-of-range results to us.
  if (parse_canonical(digits, exponent10, result).ec ==
      std::errc::result_out_of_range)
    result = magnitude > 0 ? kInfinity : 0.0f;
  return with_sign(negative, result);
}

float decimal_to_float(bool negative, std::uint64_t mantissa,
                       std::int64_t exponent10) {
  float result;
  if (try_exact(mantissa, exponent10, result))
    return with_sign(negative, result);
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, mantissa).ptr;
  return decimal_to_float(
      negative,
      std::string_view(digits, static_cast<std::size_t>(end - digits)),
      exponent10);
}

}  // namespace recordio
