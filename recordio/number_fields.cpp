#include "recordio/number_fields.h"

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

int decimal_digits(std::uint32_t v) {
  int n = 1;
  while (v >= 10) {
    v /= 10;
    ++n;
  }
  return n;
}

constexpr double kExactPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

void append_integer_field(std::string& out, std::int32_t value, int w, int m) {
  if (w <= 0) return;
  const bool negative = value < 0;
  // The magnitude of the most negative value does not fit an int32.
  const std::uint32_t magnitude =
      negative ? 0u - std::uint32_t(value) : std::uint32_t(value);
  // With m = 0 a zero has no digits at all.
  const int digits = (magnitude == 0 && m == 0) ? 0 : decimal_digits(magnitude);
  const int shown = m > digits ? m : digits;
  const std::int64_t length = std::int64_t{shown} + (negative ? 1 : 0);
  if (length > w) return append_asterisks(out, w);
  out.append(std::size_t(w - length), ' ');
  if (negative) out += '-';
  out.append(std::size_t(shown - digits), '0');
  if (digits > 0) {
    char buffer[10];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, magnitude).ptr;
    out.append(buffer, end);
  }
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

void append_exponent_field(std::string& out, float value, int w, int d, int e) {
  if (w <= 0) return;
  if (d < 0) d = 0;
  if (!std::isfinite(value)) return place_special(out, value, w);
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
  if (magnitude == 0) {
    std::memset(digits, '0', std::size_t(d));
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
