#pragma once
// One item of an output statement: a 4-byte integer, a 4-byte real or a
// character value of known length.

#include <cstdint>
#include <string_view>

namespace recordio {

struct OutputItem {
  enum class Kind { integer, real, character };

  OutputItem(std::int32_t v) : kind(Kind::integer), integer(v) {}
  OutputItem(float v) : kind(Kind::real), real(v) {}
  OutputItem(std::string_view v) : kind(Kind::character), text(v) {}
  OutputItem(const char* v) : kind(Kind::character), text(v) {}

  Kind kind;
  std::int32_t integer = 0;
  float real = 0.0f;
  std::string_view text;
};

}  // namespace recordio
