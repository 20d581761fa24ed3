#pragma once
// Number fields of edited output: Iw, Iw.m, Fw.d, Ew.d and Ew.dEe. Each field
// is exactly w characters, rendered from the exact stored value, rounded once
// to nearest with ties to even; a number that does not fit is w asterisks.

#include <cstdint>
#include <string>

namespace recordio {

inline constexpr int kAbsent = -1;  // m or e not given

void append_integer_field(std::string& out, std::int32_t value, int w,
                          int m = kAbsent);
void append_fixed_field(std::string& out, float value, int w, int d);
void append_exponent_field(std::string& out, float value, int w, int d,
                           int e = kAbsent);

}  // namespace recordio
