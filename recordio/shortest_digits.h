#pragma once
// The shortest decimal digits that identify a 4-byte real: of the shortest
// strings inside the value's rounding interval, the one nearest the exact
// value, and of two equally near, the larger.

namespace recordio {

struct ShortestDigits {
  char digits[12];  // d1 d2 ... dn, d1 not '0' (a lone '0' for zero)
  int count;        // n
  int exponent;     // a: the value is d1.d2...dn times ten to the power a
};

// `magnitude` must be finite and not negative (the sign is the caller's).
ShortestDigits shortest_digits(float magnitude);

}  // namespace recordio
