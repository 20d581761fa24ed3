#include "recordio/plain_records.h"

#include <cstring>

#include "recordio/decimal_to_float.h"

namespace recordio {

namespace {

constexpr int kMaxPlainIntegers = 16;

bool is_digit(unsigned char c) { return static_cast<unsigned>(c - '0') < 10; }

const unsigned char* skip_blanks(const unsigned char* p) {
  while (*p == ' ') ++p;
  return p;
}

// The end of a plain integer at p, or null. Nine digits stay below 2^31.
// With kStore, its value too.
template <bool kStore>
const unsigned char* integer_end(const unsigned char* p, std::int32_t& value) {
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  const unsigned char* digits = p;
  std::int64_t magnitude = 0;
  while (is_digit(*p) && p - digits < 10) {
    if constexpr (kStore) magnitude = magnitude * 10 + (*p - '0');
    ++p;
  }
  const auto count = p - digits;
  if (count < 1 || count > 9 || is_digit(*p)) return nullptr;
  if constexpr (kStore) value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return p;
}

// The end of a plain real at p (digits and at most one point), or null.
// With kStore, its value too when it has at most 19 digits (`exact` tells).
template <bool kStore>
const unsigned char* real_end(const unsigned char* p, float& value, bool& exact) {
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  constexpr int kMaxDigits = 19;  // the mantissa fits 64 bits
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fraction_digits = 0;
  bool point_seen = false;
  for (;; ++p) {
    if (is_digit(*p)) {
      if constexpr (kStore) {
        if (digits < kMaxDigits) mantissa = mantissa * 10 + unsigned(*p - '0');
        fraction_digits += point_seen ? 1 : 0;
      }
      ++digits;
    } else if (*p == '.' && !point_seen) {
      point_seen = true;
    } else {
      break;
    }
  }
  if (digits == 0) return nullptr;
  if constexpr (kStore) {
    exact = digits <= kMaxDigits;
    if (exact) value = decimal_to_float(negative, mantissa, -fraction_digits);
  }
  return p;
}

// Whether the line from p, which ends in a line feed, is a plain record; with
// kStore its values go to `values` and `real`. Every scan stops at the line
// feed, which is no blank, digit or point.
template <bool kStore>
bool plain_record(const unsigned char* p, int integers, std::int32_t* values,
                  float& real, bool& exact) {
  for (int k = 0; k < integers; ++k) {
    p = integer_end<kStore>(skip_blanks(p), values[k]);
    if (p == nullptr || *p != ' ') return false;
  }
  p = real_end<kStore>(skip_blanks(p), real, exact);
  return p != nullptr && (*p == ' ' || *p == '\n');
}

const unsigned char* line_end(const unsigned char* line, const unsigned char* end) {
  return static_cast<const unsigned char*>(
      std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
}

}  // namespace

std::size_t skip_plain_records(InputSource& source, int integers) {
  const unsigned char* const begin = source.peek_begin();
  const unsigned char* const end = source.peek_end();
  const unsigned char* line = begin;
  std::size_t count = 0;
  std::int32_t values[kMaxPlainIntegers];
  float real = 0;
  bool exact = false;
  if (integers > kMaxPlainIntegers) return 0;
  for (;;) {
    const unsigned char* line_feed = line_end(line, end);
    if (line_feed == nullptr ||
        !plain_record<false>(line, integers, values, real, exact))
      break;
    line = line_feed + 1;
    ++count;
  }
  source.advance(static_cast<std::size_t>(line - begin));
  return count;
}

bool read_plain_record(InputSource& source, std::int32_t* values, int integers,
                       float& real) {
  // Values go to the caller only for a line taken whole.
  std::int32_t scanned[kMaxPlainIntegers];
  float value = 0;
  const unsigned char* const line = source.peek_begin();
  const unsigned char* const line_feed = line_end(line, source.peek_end());
  bool exact = false;
  if (integers > kMaxPlainIntegers || line_feed == nullptr ||
      !plain_record<true>(line, integers, scanned, value, exact) || !exact)
    return false;
  std::memcpy(values, scanned, sizeof(std::int32_t) * static_cast<std::size_t>(integers));
  real = value;
  source.advance(static_cast<std::size_t>(line_feed + 1 - line));
  return true;
}

}  // namespace recordio
