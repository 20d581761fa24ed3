#pragma once
// Decimal to 4-byte real, correctly rounded (to nearest, ties to even) for
// every input: any number of digits, any exponent, overflow to a signed
// infinity, underflow to a signed zero, subnormal results rounded exactly.

#include <cstdint>
#include <string_view>

namespace recordio {

// The 4-byte real nearest to (-1)^negative × D × 10^exponent10, where D is the
// decimal integer spelt by `digits` (only '0'..'9'; leading zeros allowed;
// empty means zero). Callers saturate exponent10 at ±2^62 for longer
// exponents; the result is then the same as for the exact exponent.
float decimal_to_float(bool negative, std::string_view digits,
                       std::int64_t exponent10);

// The same for a mantissa held as a 64-bit integer (at most 19 digits).
float decimal_to_float(bool negative, std::uint64_t mantissa,
                       std::int64_t exponent10);

}  // namespace recordio
