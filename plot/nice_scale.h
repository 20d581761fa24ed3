#pragma once

#include <string>
#include <vector>

namespace plot {

// An axis domain whose ends are multiples of a "nice" tick step
// (1, 2 or 5 times a power of ten).
struct Scale {
  double lo = 0;
  double hi = 1;
  double step = 0.2;
};

// The smallest 1-2-5 step that is not below `raw` (raw > 0, finite).
double nice_step(double raw);

// A scale covering [lo, hi] with about `target_ticks` intervals and a step of
// at least `min_step`. An empty or non-finite range gets a small domain
// around its value (or [0, 1]), so that every axis can be drawn.
Scale nice_scale(double lo, double hi, int target_ticks, double min_step = 0);

// The tick values from lo to hi.
std::vector<double> ticks(const Scale& scale);

// A tick value as a label: as many decimals as the step needs, or exponent
// form for very large or very small numbers.
std::string tick_label(double value, double step);

}  // namespace plot
