#pragma once
// Whether a trait value is the code the user gave for a missing observation.

namespace analysis {

// Equality of the two 4-byte reals: a NaN code matches nothing, a NaN trait
// is never missing, and +0 matches -0.
inline bool is_missing(float trait, float missing_code) {
  return trait == missing_code;
}

}  // namespace analysis
