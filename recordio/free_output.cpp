#include "recordio/free_output.h"

#include <charconv>
#include <cmath>

#include "recordio/shortest_digits.h"

namespace recordio {

void append_free_integer(std::string& out, std::int32_t value) {
  char buffer[12];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  out.append(buffer, end);
}

void append_free_real(std::string& out, float value) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value > 0 ? "+Inf" : "-Inf";
    return;
  }
  // Longest text: sign, "0.", five zeros and nine digits.
  char text[24];
  int n = 0;
  if (std::signbit(value)) text[n++] = '-';
  const ShortestDigits sd = shortest_digits(std::fabs(value));
  const int a = sd.exponent;
  const int count = sd.count;
  auto put_digits = [&](int from, int to) {
    for (int i = from; i < to; ++i) text[n++] = sd.digits[i];
  };
  if (a >= -6 && a <= -1) {  // 0.000ddd
    text[n++] = '0';
    text[n++] = '.';
    for (int i = 0; i < -a - 1; ++i) text[n++] = '0';
    put_digits(0, count);
  } else if (a >= 0 && a <= 6 && a < count) {  // ddd.ddd
    put_digits(0, a + 1);
    text[n++] = '.';
    put_digits(a + 1, count);
  } else if (a >= 0 && a <= 6) {  // ddd000.
    put_digits(0, count);
    for (int i = 0; i < a - count + 1; ++i) text[n++] = '0';
    text[n++] = '.';
  } else {  // d.dddE+x
    put_digits(0, 1);
    text[n++] = '.';
    put_digits(1, count);
    text[n++] = 'E';
    text[n++] = a >= 0 ? '+' : '-';
    n = int(std::to_chars(text + n, text + sizeof text, a >= 0 ? a : -a).ptr -
            text);
  }
  out.append(text, std::size_t(n));
}

void write_free_record(std::string& out, std::span<const OutputItem> items) {
  bool previous_was_text = false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const OutputItem& item = items[i];
    const bool is_text = item.kind == OutputItem::Kind::character;
    // The first item gets the record's leading blank; a text that follows a
    // text is joined to it; every other item is set off by one blank.
    if (i == 0 || !(is_text && previous_was_text)) out += ' ';
    switch (item.kind) {
      case OutputItem::Kind::integer:
        append_free_integer(out, item.integer);
        break;
      case OutputItem::Kind::real:
        append_free_real(out, item.real);
        break;
      case OutputItem::Kind::character:
        out += item.text;
        break;
    }
    previous_was_text = is_text;
  }
  out += '\n';
}

}  // namespace recordio
