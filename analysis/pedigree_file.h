#pragma once

#include "analysis/run_state.h"

namespace analysis {

// The pedigree file name and its unit.
inline constexpr int kPedigreeUnit = 1;

// Reads the header and every record of the pedigree file open on unit 1 into
// the record table, forms the trait summary and closes the unit. More than ND
// records stop the run once the whole file has been read.
void read_pedigree(RunState& state);

}  // namespace analysis
