#pragma once
// The results file outlier.out, piece by piece: the failure notice left at
// the start of every run, the header lines, the pedigree error lines and the
// body (outliers, trait statistics, D2 parameters and the pair table).

#include "analysis/run_state.h"
#include "analysis/structure_checks.h"

namespace analysis {

inline constexpr int kReportUnit = 10;
inline constexpr const char* kReportFile = "outlier.out";

// Replaces outlier.out with the two-line notice and closes it, so that a run
// that dies while reading its input leaves the notice behind.
void write_failure_notice();

// Replaces outlier.out again and writes the input-file and missing-value
// lines and an empty line. The unit stays open.
void write_report_header(const RunState& state);

void write_structure_error(const StructureError& error);

void write_report_body(const RunState& state);

}  // namespace analysis
