// Edited output on arbitrary format strings with arbitrary items: no crash,
// no undefined behaviour, and every outcome is a well-formed one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "recordio/edited_output.h"

namespace {

// A format may ask for records up to the unit's limit of 10^9 characters, and
// nested repeat counts multiply. Such formats are legal but only cost memory
// and time here, so the harness keeps the product of a format's numbers small.
bool modest(std::string format) {
  // Blanks inside a number do not end it.
  std::erase_if(format, [](char c) { return c == ' ' || c == '\t'; });
  double product = 1;
  for (std::size_t i = 0; i < format.size();) {
    if (format[i] < '0' || format[i] > '9') {
      ++i;
      continue;
    }
    double number = 0;
    for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i)
      number = number * 10 + (format[i] - '0');
    product *= number > 1 ? number : 1;
  }
  return product <= 1e7;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // Items first, so that the format (the most telling part) is the tail and
  // mutations of it keep the items stable.
  std::vector<std::string> texts;
  std::vector<recordio::OutputItem> items;
  const int count = input.ConsumeIntegralInRange(0, 12);
  texts.reserve(std::size_t(count));
  for (int i = 0; i < count; ++i) {
    switch (input.ConsumeIntegralInRange(0, 2)) {
      case 0: items.emplace_back(input.ConsumeIntegral<std::int32_t>()); break;
      case 1: {
        // Every bit pattern, NaNs and infinities included.
        std::uint32_t bits = input.ConsumeIntegral<std::uint32_t>();
        float value;
        static_assert(sizeof value == sizeof bits);
        __builtin_memcpy(&value, &bits, sizeof value);
        items.emplace_back(value);
        break;
      }
      default:
        texts.push_back(input.ConsumeRandomLengthString(40));
        items.emplace_back(std::string_view(texts.back()));
    }
  }
  const std::string format = input.ConsumeRemainingBytesAsString();
  if (!modest(format)) return -1;  // not worth keeping in the corpus

  std::string out = "previous records\n";
  std::string error;
  const bool ok = recordio::write_edited_records(out, format, items, error);
  // What was there before the statement is never touched.
  if (out.compare(0, 17, "previous records\n") != 0) std::abort();
  // A failure always explains itself with message, format line and caret.
  if (!ok) {
    std::size_t first = error.find('\n');
    std::size_t second = first == std::string::npos ? first : error.find('\n', first + 1);
    if (first == 0 || second == std::string::npos || error.back() != '^') std::abort();
  }
  return 0;
}
