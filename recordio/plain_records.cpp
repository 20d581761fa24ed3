#include "recordio/plain_records.h"

#include <cstring>

namespace recordio {

namespace {

bool is_digit(unsigned char c) { return static_cast<unsigned>(c - '0') < 10; }

const unsigned char* skip_blanks(const unsigned char* p) {
  while (*p == ' ') ++p;
  return p;
}

// The end of a plain integer at p, or null. Nine digits stay below 2^31.
const unsigned char* integer_end(const unsigned char* p) {
  if (*p == '-' || *p == '+') ++p;
  const unsigned char* digits = p;
  while (is_digit(*p)) ++p;
  const auto count = p - digits;
  return count >= 1 && count <= 9 ? p : nullptr;
}

// The end of a plain real at p (digits and at most one point), or null.
const unsigned char* real_end(const unsigned char* p) {
  if (*p == '-' || *p == '+') ++p;
  bool digit_seen = false;
  bool point_seen = false;
  for (;; ++p) {
    if (is_digit(*p)) {
      digit_seen = true;
    } else if (*p == '.' && !point_seen) {
      point_seen = true;
    } else {
      return digit_seen ? p : nullptr;
    }
  }
}

// Whether the line from p, which ends in a line feed, is a plain record.
// Every scan stops at the line feed, which is no blank, digit or point.
bool plain_record(const unsigned char* p, int integers) {
  for (int k = 0; k < integers; ++k) {
    p = integer_end(skip_blanks(p));
    if (p == nullptr || *p != ' ') return false;
  }
  p = real_end(skip_blanks(p));
  return p != nullptr && (*p == ' ' || *p == '\n');
}

}  // namespace

std::size_t skip_plain_records(InputSource& source, int integers) {
  const unsigned char* const begin = source.peek_begin();
  const unsigned char* const end = source.peek_end();
  const unsigned char* line = begin;
  std::size_t count = 0;
  for (;;) {
    const void* line_feed =
        std::memchr(line, '\n', static_cast<std::size_t>(end - line));
    if (line_feed == nullptr || !plain_record(line, integers)) break;
    line = static_cast<const unsigned char*>(line_feed) + 1;
    ++count;
  }
  source.advance(static_cast<std::size_t>(line - begin));
  return count;
}

}  // namespace recordio
