#include "plot/nice_scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace plot {

double nice_step(double raw) {
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double fraction = raw / power;
  // A small tolerance keeps 0.3/3 (= 0.09999...) at 0.1 instead of 0.2.
  for (const double nice : {1.0, 2.0, 5.0}) {
    if (fraction <= nice * (1 + 1e-9)) return nice * power;
  }
  return 10 * power;
}

Scale nice_scale(double lo, double hi, int target_ticks, double min_step) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) {
    lo = 0;
    hi = 1;
  }
  if (hi - lo <= std::max(std::abs(lo), std::abs(hi)) * 1e-12) {
    // A single value: widen by a tenth of its size (or by one around zero).
    const double pad = lo == 0 ? 1 : std::abs(lo) * 0.1;
    lo -= pad;
    hi += pad;
  }
  const double step = std::max(nice_step((hi - lo) / std::max(target_ticks, 1)), min_step);
  if (!std::isfinite(step) || step <= 0) return {};
  return {std::floor(lo / step) * step, std::ceil(hi / step) * step, step};
}

std::vector<double> ticks(const Scale& scale) {
  std::vector<double> values;
  // Ticks are counted in whole steps so that rounding never accumulates.
  const auto first = std::llround(scale.lo / scale.step);
  const auto last = std::llround(scale.hi / scale.step);
  for (auto k = first; k <= last; ++k) values.push_back(static_cast<double>(k) * scale.step);
  return values;
}

std::string tick_label(double value, double step) {
  if (std::abs(value) < step * 1e-6) value = 0;  // no "-0" from rounding
  const int step_exponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
  const double magnitude = std::abs(value);
  char buffer[64];
  std::to_chars_result result;
  if (magnitude >= 1e7 || step < 1e-5) {
    const int value_exponent = value == 0 ? step_exponent : static_cast<int>(std::floor(std::log10(magnitude)));
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                           std::max(0, value_exponent - step_exponent));
  } else {
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                           std::max(0, -step_exponent));
  }
  return std::string(buffer, result.ptr);
}

}  // namespace plot
