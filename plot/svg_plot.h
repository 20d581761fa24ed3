#pragma once

#include <cstddef>
#include <string>

#include "plot/report_reader.h"

namespace plot {

struct PlotCounts {
  std::size_t pairs = 0;
  std::size_t flagged = 0;      // pairs whose D2 exceeds the report's threshold
  std::size_t outliers = 0;     // individuals the report names
  std::size_t not_plotted = 0;  // pairs with a NaN, infinite or unreadable value
};

// A pair is flagged when its D2 exceeds E(D2)+4SD(D2) as the report prints
// them. Both are printed to four significant digits, so a D2 that prints
// equal to the threshold counts as not flagged.
bool is_flagged(const PairRow& pair, double threshold);

PlotCounts count_pairs(const Report& report);

// "12 pairs, 2 flagged, 2 outliers" (plus the pairs left out, if any).
std::string describe(const PlotCounts& counts);

// The whole SVG document: the sib-pair scatter with the identity line and
// the threshold band, the outlier list, and the histogram of D2.
std::string render_svg(const Report& report);

}  // namespace plot
