#include "recordio/decimal_to_float.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "recordio/free_input.h"
#include "recordio/input_source.h"

namespace recordio {
namespace {

constexpr std::uint32_t kInfinityBits = 0x7F800000;

std::uint32_t bits_of(float f) { return std::bit_cast<std::uint32_t>(f); }

// ---------------------------------------------------------------------------
// An unsigned big integer, just enough for exact decimal/binary comparison.

class BigInt {
 public:
  explicit BigInt(std::uint64_t v = 0) {
    for (; v != 0; v >>= 32) limbs_.push_back(static_cast<std::uint32_t>(v));
  }
  static BigInt from_decimal(std::string_view digits) {
    BigInt n;
    for (char d : digits) n.mul_add(10, static_cast<std::uint32_t>(d - '0'));
    return n;
  }

  void mul_add(std::uint32_t factor, std::uint32_t addend = 0) {
    std::uint64_t carry = addend;
    for (auto& limb : limbs_) {
      carry += static_cast<std::uint64_t>(limb) * factor;
      limb = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    trim();
  }
  void mul_pow5(std::int64_t n) {
    for (; n >= 13; n -= 13) mul_add(1220703125);  // 5^13
    for (; n > 0; --n) mul_add(5);
  }
  void shift_left(std::int64_t bits) {
    if (limbs_.empty()) return;
    limbs_.insert(limbs_.begin(), static_cast<std::size_t>(bits / 32), 0);
    if (bits % 32 != 0) mul_add(1u << (bits % 32));
  }
  void mul_pow10(std::int64_t n) {
    mul_pow5(n);
    shift_left(n);
  }
  // Subtracts 1; the number must be positive.
  void decrement() {
    for (auto& limb : limbs_)
      if (limb-- != 0) break;
    trim();
  }
  std::string to_decimal() const {
    if (limbs_.empty()) return "0";
    std::vector<std::uint32_t> n = limbs_;
    std::string out;
    while (!n.empty()) {
      std::uint64_t rest = 0;
      for (std::size_t i = n.size(); i-- > 0;) {
        std::uint64_t cur = (rest << 32) | n[i];
        n[i] = static_cast<std::uint32_t>(cur / 1000000000);
        rest = cur % 1000000000;
      }
      while (!n.empty() && n.back() == 0) n.pop_back();
      for (int k = 0; k < 9; ++k, rest /= 10)
        out.push_back(static_cast<char>('0' + rest % 10));
    }
    while (out.size() > 1 && out.back() == '0') out.pop_back();
    std::reverse(out.begin(), out.end());
    return out;
  }
  friend int compare(const BigInt& a, const BigInt& b) {
    if (a.limbs_.size() != b.limbs_.size())
      return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
    for (std::size_t i = a.limbs_.size(); i-- > 0;)
      if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    return 0;
  }

 private:
  void trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }
  std::vector<std::uint32_t> limbs_;
};

// A positive finite 4-byte real (or 2^128 for the infinity pattern) as M × 2^F.
struct Binary {
  std::uint64_t m;
  std::int64_t f;
};
Binary binary_of(std::uint32_t bits) {
  std::uint32_t field = bits >> 23;
  std::uint64_t fraction = bits & 0x7FFFFF;
  if (field == 0) return {fraction, -149};
  return {fraction | 0x800000, static_cast<std::int64_t>(field) - 150};
}

// The exact midpoint between the real with these bits and the next one up.
Binary upper_midpoint(std::uint32_t bits) {
  Binary b = binary_of(bits);
  return {2 * b.m + 1, b.f - 1};
}

// Sign of D × 10^e − M × 2^f, exactly.
int compare_exact(const BigInt& d, std::int64_t e, Binary x) {
  BigInt left = d;
  BigInt right(x.m);
  if (e >= 0)
    left.mul_pow10(e);
  else
    right.mul_pow10(-e);
  if (x.f >= 0)
    right.shift_left(x.f);
  else
    left.shift_left(-x.f);
  return compare(left, right);
}

// The reference: a float estimate, then walked to the right neighbour by
// exact comparisons against the midpoints (ties to an even last bit).
// Meant for exponents of a few hundred; positive values only.
std::uint32_t exact_float_bits(std::string_view digits, std::int64_t e) {
  std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos) return 0;
  digits.remove_prefix(first);
  BigInt d = BigInt::from_decimal(digits);

  std::size_t lead = std::min<std::size_t>(digits.size(), 18);
  long double estimate =
      std::stold(std::string(digits.substr(0, lead))) *
      std::pow(10.0L, static_cast<long double>(
                          e + static_cast<std::int64_t>(digits.size() - lead)));
  std::uint32_t b = estimate >= 3.5e38L ? kInfinityBits
                                        : bits_of(static_cast<float>(estimate));

  while (b < kInfinityBits) {
    int c = compare_exact(d, e, upper_midpoint(b));
    if (c > 0 || (c == 0 && (b & 1)))
      ++b;
    else
      break;
  }
  while (b > 0) {
    int c = compare_exact(d, e, upper_midpoint(b - 1));
    if (c < 0 || (c == 0 && (b & 1)))
      --b;
    else
      break;
  }
  return b;
}

// The decimal digits and exponent of an exact M × 2^f.
std::pair<std::string, std::int64_t> decimal_of(Binary x) {
  BigInt n(x.m);
  if (x.f >= 0) {
    n.shift_left(x.f);
    return {n.to_decimal(), 0};
  }
  n.mul_pow5(-x.f);  // M × 2^f = M × 5^-f / 10^-f
  return {n.to_decimal(), x.f};
}

std::string random_digits(std::mt19937_64& rng, std::size_t n) {
  std::string s(n, '0');
  for (auto& c : s) c = static_cast<char>('0' + rng() % 10);
  s[0] = static_cast<char>('1' + rng() % 9);
  return s;
}

// ---------------------------------------------------------------------------

TEST(DecimalToFloat, EdgeValues) {
  struct Case {
    const char* digits;
    std::int64_t e;
    std::uint32_t bits;
  } cases[] = {
      {"", 0, 0},
      {"0000", 99, 0},
      {"1", 0, 0x3F800000},
      {"1", -1, 0x3DCCCCCD},
      {"16777217", 0, 0x4B800000},  // tie, down to even
      {"16777219", 0, 0x4B800002},  // tie, up to even
      {"34028235", 31, 0x7F7FFFFF},
      {"34028236", 31, kInfinityBits},
      {"1", -46, 0},
      {"14", -46, 0x00000001},
      {"1", 4611686018427387904, kInfinityBits},
      {"1", -4611686018427387904, 0},
      {"000000000000000000000000000000000000000000000000000000000000000000001",
       0, 0x3F800000},
      {"10000000000000000000000000000000000000000000000000000000000000000000",
       -67, 0x3F800000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(bits_of(decimal_to_float(false, c.digits, c.e)), c.bits)
        << c.digits << "e" << c.e;
  EXPECT_EQ(bits_of(decimal_to_float(true, "", 0)), 0x80000000u);
  EXPECT_EQ(bits_of(decimal_to_float(true, "1", -60)), 0x80000000u);
  EXPECT_EQ(bits_of(decimal_to_float(true, "1", 60)), 0xFF800000u);
  EXPECT_EQ(bits_of(decimal_to_float(true, "15", -1)), 0xBFC00000u);
}

// Every line of the public corpus, read as a real by the free-format reader.
TEST(DecimalToFloat, CorpusThroughTheReader) {
  std::ifstream file(PEDSCREEN_TEST_DATA "/float32-parse.txt");
  ASSERT_TRUE(file) << "float32-parse.txt is missing";
  std::vector<std::uint32_t> expected;
  std::vector<std::string> strings;
  std::string all;
  std::string line;
  while (std::getline(file, line)) {
    ASSERT_GT(line.size(), 9u);
    expected.push_back(
        static_cast<std::uint32_t>(std::stoul(line.substr(0, 8), nullptr, 16)));
    strings.push_back(line.substr(9));
    all += strings.back();
    all += '\n';
  }
  ASSERT_EQ(expected.size(), 45990u);

  InputSource source = InputSource::from_bytes(std::move(all));
  int mismatches = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    float value = -1.0f;
    ListRead read(source);
    read.real(value);
    ASSERT_EQ(read.finish(), ReadStatus::ok) << strings[i];
    if (bits_of(value) != expected[i] && ++mismatches <= 10)
      ADD_FAILURE() << strings[i] << ": got " << std::hex << bits_of(value)
                    << ", want " << expected[i];
  }
  EXPECT_EQ(mismatches, 0);
}

// The reference itself against exactly known answers: every midpoint ties to
// the even neighbour, and anything off it by a hair goes to that side.
TEST(DecimalToFloat, MidpointsAndTheirNeighbours) {
  std::mt19937_64 rng(20240611);
  std::vector<std::uint32_t> samples = {0,          1,          0x7FFFFE,
                                        0x7FFFFF,   0x800000,   0x3F800000,
                                        0x4B7FFFFF, 0x7F7FFFFE, 0x7F7FFFFF};
  for (int i = 0; i < 4000; ++i) {
    std::uint32_t b = static_cast<std::uint32_t>(rng()) % 0x7F800000;
    if (i % 4 == 0) b &= 0x00FFFFFF;  // subnormals and the lowest binade
    samples.push_back(b);
  }
  for (std::uint32_t b : samples) {
    auto [digits, e] = decimal_of(upper_midpoint(b));
    std::uint32_t even = (b & 1) ? b + 1 : b;
    std::size_t extra = 1 + rng() % 300;  // also far past 114 digits
    std::string above = digits + std::string(extra - 1, '0') + "1";
    BigInt below_n = BigInt::from_decimal(digits);
    below_n.mul_pow10(static_cast<std::int64_t>(extra));
    below_n.decrement();
    std::string below = below_n.to_decimal();
    std::int64_t e_near = e - static_cast<std::int64_t>(extra);

    ASSERT_EQ(bits_of(decimal_to_float(false, digits, e)), even)
        << digits << "e" << e;
    ASSERT_EQ(bits_of(decimal_to_float(false, above, e_near)), b + 1)
        << above << "e" << e_near;
    ASSERT_EQ(bits_of(decimal_to_float(false, below, e_near)), b)
        << below << "e" << e_near;
    ASSERT_EQ(exact_float_bits(digits, e), even);
    ASSERT_EQ(exact_float_bits(above, e_near), b + 1);
    ASSERT_EQ(exact_float_bits(below, e_near), b);

    // The real itself, written out exactly.
    auto [exact, e_exact] = decimal_of(binary_of(b));
    ASSERT_EQ(bits_of(decimal_to_float(false, exact, e_exact)), b)
        << exact << "e" << e_exact;
  }
}

// Random decimals against the exact reference: short and very long
// mantissas across the whole range, from below half the smallest subnormal
// to beyond the largest finite value.
TEST(DecimalToFloat, RandomAgainstExactReference) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 30000; ++i) {
    std::size_t n;
    switch (i % 4) {
      case 0:
        n = 1 + rng() % 9;
        break;
      case 1:
        n = 10 + rng() % 20;
        break;
      case 2:
        n = 30 + rng() % 200;
        break;
      default:
        n = 200 + rng() % 600;
        break;
    }
    std::string digits = random_digits(rng, n);
    // Leading position of the value between 10^-47 and 10^40.
    std::int64_t magnitude = -46 + static_cast<std::int64_t>(rng() % 87);
    std::int64_t e = magnitude - static_cast<std::int64_t>(n);
    if (i % 16 == 0) digits.insert(0, rng() % 30, '0');  // leading zeros
    if (i % 16 == 1) {                                   // trailing zeros
      std::size_t zeros = rng() % 30;
      digits.append(zeros, '0');
      e -= static_cast<std::int64_t>(zeros);
    }
    std::uint32_t want = exact_float_bits(digits, e);
    ASSERT_EQ(bits_of(decimal_to_float(false, digits, e)), want)
        << digits << "e" << e;
    ASSERT_EQ(bits_of(decimal_to_float(true, digits, e)), want | 0x80000000u);
    if (digits.size() <= 19) {
      std::uint64_t mantissa = std::stoull(digits);
      ASSERT_EQ(bits_of(decimal_to_float(false, mantissa, e)), want)
          << mantissa << "e" << e;
    }
  }
}

TEST(DecimalToFloat, HugeAndTinyExponents) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 2000; ++i) {
    std::string digits = random_digits(rng, 1 + rng() % 300);
    auto n = static_cast<std::int64_t>(digits.size());
    std::int64_t far =
        50 + static_cast<std::int64_t>(rng() % 4611686018427387000);
    EXPECT_EQ(bits_of(decimal_to_float(false, digits, far - n)), kInfinityBits);
    EXPECT_EQ(bits_of(decimal_to_float(true, digits, -far - n)), 0x80000000u);
  }
}

}  // namespace
}  // namespace recordio
