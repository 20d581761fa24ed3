#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace plot {

// `pedscreen-plot REPORT SVG`: reads an outlier.out, writes the SVG and a
// one-line summary to `out`; problems go to `err`. `args` excludes the
// program name. Returns the exit status: 0 done, 1 unusable report or
// unwritable output, 2 wrong arguments.
int run_plot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace plot
