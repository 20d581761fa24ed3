// Number fields and free-format values on arbitrary bit patterns and widths:
// a field is always exactly w characters, and a free-format real reads back
// as the value it was written from.
#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "recordio/free_output.h"
#include "recordio/number_fields.h"

namespace {

constexpr int kMaxWidth = 300;

float real_from_bits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void check_field(const std::string& field, int w) {
  if (int(field.size()) != (w > 0 ? w : 0)) std::abort();
  for (char c : field)
    if (!std::strchr(" -+.0123456789ENaInf*", c)) std::abort();
}

// The shortest digits must give back the very same 4-byte real.
void check_free_real(float value) {
  std::string text;
  recordio::append_free_real(text, value);
  if (std::isnan(value)) {
    if (text != "NaN") std::abort();
    return;
  }
  float back = 0;
  const char* begin = text.data() + (text.front() == '+' ? 1 : 0);
  auto [end, ec] = std::from_chars(begin, text.data() + text.size(), back);
  if (ec != std::errc() || end != text.data() + text.size()) std::abort();
  if (std::memcmp(&back, &value, sizeof value) != 0) std::abort();
}

void check_free_integer(std::int32_t value) {
  std::string text;
  recordio::append_free_integer(text, value);
  std::int32_t back = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), back);
  if (ec != std::errc() || end != text.data() + text.size() || back != value)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::uint32_t bits = input.ConsumeIntegral<std::uint32_t>();
  const int w = input.ConsumeIntegralInRange(-2, kMaxWidth);
  const int d = input.ConsumeIntegralInRange(0, kMaxWidth);
  const int extra = input.ConsumeIntegralInRange(-2, kMaxWidth);  // m or e
  const float real = real_from_bits(bits);
  const auto integer = static_cast<std::int32_t>(bits);

  std::string field;
  recordio::append_integer_field(field, integer, w, extra < 0 ? recordio::kAbsent : extra);
  check_field(field, w);
  field.clear();
  recordio::append_fixed_field(field, real, w, d);
  check_field(field, w);
  field.clear();
  recordio::append_exponent_field(field, real, w, d, extra < 0 ? recordio::kAbsent : extra);
  check_field(field, w);

  check_free_real(real);
  check_free_integer(integer);
  // A whole free-format record: leading blank, one line feed at the end only.
  std::string record;
  const recordio::OutputItem items[] = {integer, "text", real};
  recordio::write_free_record(record, items);
  if (record.front() != ' ' || record.back() != '\n' ||
      record.find('\n') != record.size() - 1)
    std::abort();
  return 0;
}
