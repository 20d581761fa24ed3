#include "recordio/free_input.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string_view>

#include "recordio/decimal_to_float.h"

namespace recordio {

namespace {

constexpr const char* kBadInteger = "Bad integer for item %d in list input";
constexpr const char* kIntegerOverflow =
    "Integer overflow while reading item %d";
constexpr const char* kBadReal = "Bad real number in item %d of list input";
constexpr const char* kBadInfinity = "Bad infinity in item %d of list input";
constexpr const char* kBadNotANumber =
    "Bad not-a-number in item %d of list input";
constexpr const char* kZeroRepeat =
    "Zero repeat count in item %d of list input";
constexpr const char* kRepeatOverflow =
    "Repeat count overflow in item %d of list input";

constexpr std::uint64_t kIntegerMax = std::numeric_limits<std::int32_t>::max();
constexpr std::uint64_t kRepeatMax = 200000000;
// Digit runs saturate here: one past the largest integer, so that a long run
// of digits still reads as too large without overflowing the accumulator.
constexpr std::uint64_t kCountLimit = kIntegerMax + 1;
// Exponents saturate far beyond any that could matter (the conversion needs
// |exponent| <= 2^62 even after the mantissa's length is taken off).
constexpr std::uint64_t kExponentLimit = 1000000000000000000;

// NaN without a payload: the fraction bits of the default NaN.
// A character value is cut to its item's length when stored; characters
// past this many are never stored anywhere, so they are not kept either and a
// value that runs on to the end of a huge file costs no memory. (A repeated
// value may go to a longer item of the same statement, hence the margin.)
constexpr std::size_t kKeptCharacters = 4096;
constexpr std::uint32_t kDefaultNaNFraction = 0xEA46B;
constexpr std::uint32_t kExponentBits = 0x7F800000;
constexpr std::uint32_t kFractionBits = 0x007FFFFF;
constexpr std::uint32_t kSignBit = 0x80000000;

bool is_digit(int c) { return static_cast<unsigned>(c - '0') < 10; }

bool is_white(int c) {
  return c == ' ' || c == '\t' || c == '\r' || c == kLineEnd;
}

// White space, a separator or the end of the stream: what ends a value.
bool ends_value(int c) {
  return is_white(c) || c == ',' || c == '/' || c == kEndOfFile;
}

int lower(int c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

int hex_digit_value(int c) {
  if (is_digit(c)) return c - '0';
  c = lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool is_exponent_letter(int c) {
  c = lower(c);
  return c == 'e' || c == 'd';
}

std::string fill_item(std::string_view format, int item) {
  std::string text(format);
  text.replace(text.find("%d"), 2, std::to_string(item));
  return text;
}

}  // namespace

ListRead::ListRead(InputSource& source) : source_(source) {}

int ListRead::status_code() const {
  switch (status_) {
    case ReadStatus::ok:
      return kStatusOk;
    case ReadStatus::end_of_file:
      return kStatusEndOfFile;
    case ReadStatus::error:
      return kStatusError;
  }
  return kStatusError;
}

void ListRead::fail(const char* format) {
  status_ = ReadStatus::error;
  message_ = fill_item(format, item_);
}

// ---------------------------------------------------------------------------
// The common case in one pass over the buffered bytes: a plain number after
// blanks, ended by a blank or the line end, within the current chunk. It
// reads exactly as the general path would; anything else (a comma, a repeat
// count, an exponent, a long mantissa, a carriage return, the chunk's end)
// is left untouched for the general path. These helpers are forced inline
// into the item calls: for a short number a call costs as much as the work.

// Where the value would start, or null when the item needs the general path.
[[gnu::always_inline]] inline const unsigned char*
ListRead::plain_value_start() {
  if (status_ != ReadStatus::ok || slash_seen_) return nullptr;
  if (first_item_) {
    if (put_back_ != kNothing) return nullptr;
  } else if (repeat_ > 0 || put_back_ != ' ') {
    return nullptr;
  }
  const unsigned char* p = source_.peek_begin();
  const unsigned char* end = source_.peek_end();
  while (p != end && *p == ' ') ++p;
  return p;
}

// Consumes the value and its terminator, which counts as put back, and
// starts the item as start_item() would have.
[[gnu::always_inline]] inline void ListRead::took_plain_value(
    const unsigned char* terminator) {
  put_back_ = *terminator == ' ' ? ' ' : kLineEnd;
  source_.advance(
      static_cast<std::size_t>(terminator + 1 - source_.peek_begin()));
  ++item_;
  first_item_ = false;
  repeat_ = 1;
}

[[gnu::always_inline]] inline bool ListRead::try_plain_integer(
    std::int32_t& dest) {
  const unsigned char* p = plain_value_start();
  if (p == nullptr) return false;
  const unsigned char* end = source_.peek_end();
  bool negative = p != end && *p == '-';
  if (negative) ++p;
  const unsigned char* digits = p;
  std::uint64_t magnitude = 0;
  // Ten digits at most: anything longer may be too large.
  while (p != end && is_digit(*p) && p - digits < 10) {
    magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
    ++p;
  }
  if (p == digits || p == end || (*p != ' ' && *p != '\n') ||
      magnitude > kIntegerMax)
    return false;
  took_plain_value(p);
  auto value = static_cast<std::int32_t>(magnitude);
  keep(negative ? -value : value, dest);
  return true;
}

[[gnu::always_inline]] inline bool ListRead::try_plain_real(float& dest) {
  const unsigned char* p = plain_value_start();
  if (p == nullptr) return false;
  const unsigned char* end = source_.peek_end();
  bool negative = p != end && *p == '-';
  if (negative) ++p;
  // At most 19 digits, so that the mantissa fits in 64 bits.
  constexpr int kMaxDigits = 19;
  std::uint64_t mantissa = 0;
  int digit_count = 0;
  int fraction_digits = 0;
  bool point = false;
  for (; p != end && digit_count <= kMaxDigits; ++p) {
    if (is_digit(*p)) {
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
      ++digit_count;
      fraction_digits += point;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digit_count == 0 || digit_count > kMaxDigits || p == end ||
      (*p != ' ' && *p != '\n'))
    return false;
  took_plain_value(p);
  keep(decimal_to_float(negative, mantissa, -fraction_digits), dest);
  return true;
}

// ---------------------------------------------------------------------------
// Items

void ListRead::integer(std::int32_t& dest) {
  if (try_plain_integer(dest)) return;
  switch (start_item()) {
    case Step::read_value:
      return read_integer(dest);
    case Step::take_repeated:
      if (repeated_value_fits(Kind::integer)) {
        dest = integer_value_;
        --repeat_;
      }
      return;
    case Step::done:
      return;
  }
}

void ListRead::real(float& dest) {
  if (try_plain_real(dest)) return;
  switch (start_item()) {
    case Step::read_value:
      return read_real(dest);
    case Step::take_repeated:
      if (repeated_value_fits(Kind::real)) {
        dest = real_value_;
        --repeat_;
      }
      return;
    case Step::done:
      return;
  }
}

void ListRead::character(char* dest, std::size_t length) {
  switch (start_item()) {
    case Step::read_value:
      return read_character(dest, length);
    case Step::take_repeated:
      if (repeated_value_fits(Kind::character)) {
        copy_text(dest, length);
        --repeat_;
      }
      return;
    case Step::done:
      return;
  }
}

ListRead::Step ListRead::start_item() {
  ++item_;
  if (status_ != ReadStatus::ok) return Step::done;
  if (first_item_) {
    first_item_ = false;
    slash_seen_ = false;
    repeat_ = 1;
    put_back(skip_white_space());
    return Step::read_value;
  }
  if (slash_seen_) return Step::done;
  if (repeat_ > 0) return Step::take_repeated;
  // The separator: white space, or one comma or slash with white space
  // around it. A line end is white space, never a null value.
  int c = skip_white_space();
  if (c == ',') {
    c = skip_white_space();
  } else if (c == '/') {
    slash_seen_ = true;
    return Step::done;
  }
  put_back(c);
  repeat_ = 1;
  return Step::read_value;
}

int ListRead::skip_white_space() {
  int c;
  do c = get();
  while (is_white(c));
  return c;
}

// Consumes a run of digits into `magnitude` (saturating at `limit`, and
// appending them to `text` when given) and returns the character after it.
// Nothing may be put back: the run is scanned straight from the source.
int ListRead::scan_digits(std::uint64_t& magnitude, std::uint64_t limit,
                          std::string* text) {
  for (;;) {
    const unsigned char* begin = source_.peek_begin();
    const unsigned char* end = source_.peek_end();
    const unsigned char* p = begin;
    std::uint64_t m = magnitude;
    while (p != end && is_digit(*p)) {
      m = std::min(m * 10 + static_cast<unsigned>(*p - '0'), limit);
      ++p;
    }
    magnitude = m;
    if (text != nullptr) text->append(begin, p);
    source_.advance(static_cast<std::size_t>(p - begin));
    // The chunk ended, or a non-digit follows: the source decides which.
    int c = source_.next();
    if (!is_digit(c)) return c;
    magnitude =
        std::min(magnitude * 10 + static_cast<unsigned>(c - '0'), limit);
    if (text != nullptr) text->push_back(static_cast<char>(c));
  }
}

// The count is refused as soon as its asterisk is read.
bool ListRead::take_repeat_count(std::uint64_t count) {
  if (count == 0) {
    fail(kZeroRepeat);
    return false;
  }
  if (count > kRepeatMax) {
    fail(kRepeatOverflow);
    return false;
  }
  repeat_ = static_cast<std::int32_t>(count);
  return true;
}

// What directly follows a repeat count: a blank, separator or end of the
// stream makes the repeated value null.
bool ListRead::null_after_repeat_count(int c) {
  if (!ends_value(c)) return false;
  put_back(c);
  keep_null();
  return true;
}

// ---------------------------------------------------------------------------
// Storing values

void ListRead::keep_null() {
  value_kind_ = Kind::null;
  --repeat_;
}

void ListRead::keep(std::int32_t value, std::int32_t& dest) {
  dest = value;
  integer_value_ = value;
  value_kind_ = Kind::integer;
  --repeat_;
}

void ListRead::keep(float value, float& dest) {
  dest = value;
  real_value_ = value;
  value_kind_ = Kind::real;
  --repeat_;
}

// The first `length` characters of the value, padded with blanks.
void ListRead::copy_text(char* dest, std::size_t length) const {
  std::size_t n = std::min(length, text_.size());
  std::memcpy(dest, text_.data(), n);
  std::memset(dest + n, ' ', length - n);
}

void ListRead::keep_text(char* dest, std::size_t length) {
  copy_text(dest, length);
  value_kind_ = Kind::character;
  --repeat_;
}

// Whether the repeated value goes to an item of this kind. A null value
// counts the item and leaves it alone; a value of another kind is an error.
bool ListRead::repeated_value_fits(Kind kind) {
  static constexpr const char* kNames[] = {"", "INTEGER", "REAL", "CHARACTER"};
  if (value_kind_ == Kind::null) {
    --repeat_;
    return false;
  }
  if (value_kind_ != kind) {
    status_ = ReadStatus::error;
    message_ = std::string("Read type ") +
               kNames[static_cast<int>(value_kind_)] + " where " +
               kNames[static_cast<int>(kind)] + " was expected for item " +
               std::to_string(item_);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Integer values: [sign] digits, or count*[sign]digits.

void ListRead::read_integer(std::int32_t& dest) {
  int c = get();
  if (c == kEndOfFile) return meet_end_of_file();
  if (c == ',' || c == '/') {
    put_back(c);
    return keep_null();
  }
  bool count_allowed = true;
  for (;;) {
    bool negative = c == '-';
    bool has_sign = negative || c == '+';
    if (has_sign) c = get();
    if (!is_digit(c)) return fail_at(c, kBadInteger);
    std::uint64_t magnitude = static_cast<unsigned>(c - '0');
    c = scan_digits(magnitude, kCountLimit, nullptr);
    if (c == '*' && count_allowed && !has_sign) {
      if (!take_repeat_count(magnitude)) return;
      c = get();
      if (null_after_repeat_count(c)) return;
      count_allowed = false;
      continue;
    }
    // The whole value is scanned before its size is judged: 99999999999x
    // is a bad integer, not an overflow.
    if (!ends_value(c)) return fail_at(c, kBadInteger);
    put_back(c);
    if (magnitude > kIntegerMax) return fail(kIntegerOverflow);
    auto value = static_cast<std::int32_t>(magnitude);
    return keep(negative ? -value : value, dest);
  }
}

// ---------------------------------------------------------------------------
// Real values

void ListRead::read_real(float& dest) {
  int c = get();
  if (c == kEndOfFile) return meet_end_of_file();
  if (c == ',' || c == '/') {
    put_back(c);
    return keep_null();
  }
  bool negative = c == '-';
  bool has_sign = negative || c == '+';
  if (has_sign) c = get();

  float value;
  int letter = lower(c);
  if (letter == 'i') {
    if (!read_infinity(negative, value)) return;
    return keep(value, dest);
  }
  if (letter == 'n') {
    if (!read_not_a_number(negative, value)) return;
    return keep(value, dest);
  }
  if (!has_sign && !is_digit(c) && c != '.') return fail_at(c, kBadReal);

  std::uint64_t count = 0;
  Number got = read_number(negative, c, !has_sign, value, count);
  if (got == Number::repeat_count) {
    if (!take_repeat_count(count)) return;
    // After a count every character starts the mantissa: no infinity or
    // NaN, and no second count.
    c = get();
    if (null_after_repeat_count(c)) return;
    negative = c == '-';
    if (negative || c == '+') c = get();
    got = read_number(negative, c, false, value, count);
  }
  if (got == Number::value) keep(value, dest);
}

// [digits][.digits][exponent], starting at `c` after any sign. The mantissa
// may be empty (zero, whatever the exponent). The exponent is a letter E, e,
// D or d with an optional sign, or a sign alone right after the mantissa,
// then digits.
ListRead::Number ListRead::read_number(bool negative, int c, bool count_allowed,
                                       float& value, std::uint64_t& count) {
  text_.clear();
  if (is_digit(c)) {
    count = static_cast<unsigned>(c - '0');
    text_.push_back(static_cast<char>(c));
    c = scan_digits(count, kCountLimit, &text_);
    if (c == '*' && count_allowed) return Number::repeat_count;
  }
  std::int64_t exponent10 = 0;
  if (c == '.') {
    std::uint64_t unused = 0;
    std::size_t integer_digits = text_.size();
    c = scan_digits(unused, kCountLimit, &text_);
    exponent10 = -static_cast<std::int64_t>(text_.size() - integer_digits);
  }
  bool letter = is_exponent_letter(c);
  if (letter || c == '+' || c == '-') {
    if (letter) c = get();
    bool exponent_negative = c == '-';
    if (exponent_negative || c == '+') c = get();
    if (!is_digit(c)) {
      fail_at(c, kBadReal);
      return Number::failed;
    }
    std::uint64_t exponent = static_cast<unsigned>(c - '0');
    c = scan_digits(exponent, kExponentLimit, nullptr);
    auto e = static_cast<std::int64_t>(exponent);
    exponent10 += exponent_negative ? -e : e;
  }
  if (!ends_value(c)) {
    fail_at(c, kBadReal);
    return Number::failed;
  }
  put_back(c);
  value = decimal_to_float(negative, text_, exponent10);
  return Number::value;
}

// INF or INFINITY, any case; the I has been read.
bool ListRead::read_infinity(bool negative, float& value) {
  for (int expected : {'n', 'f'}) {
    int c = get();
    if (lower(c) != expected) {
      fail_at(c, kBadInfinity);
      return false;
    }
  }
  int c = get();
  if (lower(c) == 'i') {
    for (int expected : {'n', 'i', 't', 'y'}) {
      c = get();
      if (lower(c) != expected) {
        fail_at(c, kBadInfinity);
        return false;
      }
    }
  } else {
    put_back(c);
  }
  value = negative ? -std::numeric_limits<float>::infinity()
                   : std::numeric_limits<float>::infinity();
  return true;
}

// NAN or NAN(hex), any case; the N has been read. The fraction bits are the
// low 23 bits of the payload, so a payload without any gives an infinity.
bool ListRead::read_not_a_number(bool negative, float& value) {
  for (int expected : {'a', 'n'}) {
    int c = get();
    if (lower(c) != expected) {
      fail_at(c, kBadNotANumber);
      return false;
    }
  }
  std::uint32_t fraction = kDefaultNaNFraction;
  int c = get();
  if (c == '(') {
    std::uint32_t payload = 0;
    for (c = get(); c != ')'; c = get()) {
      int digit = hex_digit_value(c);
      if (digit < 0) {
        fail_at(c, kBadNotANumber);
        return false;
      }
      payload = (payload << 4) | static_cast<std::uint32_t>(digit);
    }
    fraction = payload;
  } else {
    put_back(c);
  }
  std::uint32_t bits =
      (negative ? kSignBit : 0) | kExponentBits | (fraction & kFractionBits);
  value = std::bit_cast<float>(bits);
  return true;
}

// ---------------------------------------------------------------------------
// Character values

void ListRead::read_character(char* dest, std::size_t length) {
  int c = get();
  if (c == kEndOfFile) return meet_end_of_file();
  if (c == ',' || c == '/') {
    put_back(c);
    return keep_null();
  }
  text_.clear();
  text_limit_ = std::max(length, kKeptCharacters);
  if (is_digit(c)) {
    std::uint64_t count = static_cast<unsigned>(c - '0');
    text_.push_back(static_cast<char>(c));
    c = scan_digits(count, kCountLimit, &text_);
    if (c == '*') {
      if (!take_repeat_count(count)) return;
      c = get();
      if (null_after_repeat_count(c)) return;
      // A second count cannot follow: 2*3*x is the text 3*x twice.
      text_.clear();
      if (c == '\'' || c == '"') {
        read_quoted(c);
      } else {
        read_unquoted(c);
      }
    } else if (ends_value(c)) {
      put_back(c);
    } else {
      read_unquoted(c);  // digits and more: unquoted text
    }
  } else if (c == '\'' || c == '"') {
    read_quoted(c);
  } else {
    read_unquoted(c);
  }
  keep_text(dest, length);
}

// Up to the next lone `quote`; a doubled quote stands for one, line ends
// are dropped, and the end of the stream closes the value.
void ListRead::read_quoted(int quote) {
  for (;;) {
    int c = get();
    if (c == quote) {
      c = get();
      if (c != quote) {
        put_back(c);  // whatever follows the closing quote, unchecked
        return;
      }
    } else if (c == kLineEnd) {
      continue;
    } else if (c == kEndOfFile) {
      put_back(c);
      return;
    }
    keep_character(c);
  }
}

// From `c` up to white space, a separator or the end of the stream; quotes
// inside are ordinary characters.
void ListRead::read_unquoted(int c) {
  while (!ends_value(c)) {
    keep_character(c);
    c = get();
  }
  put_back(c);
}

// ---------------------------------------------------------------------------
// End of the statement

ReadStatus ListRead::finish() {
  // Discard the rest of the line, starting with the put-back character.
  int c = get();
  while (c != kLineEnd && c != kEndOfFile) {
    const unsigned char* begin = source_.peek_begin();
    const unsigned char* end = source_.peek_end();
    const void* line_feed =
        std::memchr(begin, '\n', static_cast<std::size_t>(end - begin));
    const unsigned char* stop =
        line_feed != nullptr ? static_cast<const unsigned char*>(line_feed)
                             : end;
    source_.advance(static_cast<std::size_t>(stop - begin));
    c = source_.next();
  }
  // A statement without items waits for a whole line: the stream's last line
  // without a line feed, or no line at all, is the end of the file.
  if (c == kEndOfFile && item_ == 0 && status_ == ReadStatus::ok)
    status_ = ReadStatus::end_of_file;
  return status_;
}

}  // namespace recordio
