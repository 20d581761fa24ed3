#include "analysis/run.h"

#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <type_traits>

#include "analysis/outliers.h"
#include "analysis/pedigree_file.h"
#include "analysis/report.h"
#include "analysis/run_state.h"
#include "analysis/sib_pairs.h"
#include "analysis/structure_checks.h"
#include "recordio/statements.h"

namespace analysis {

namespace {

using recordio::write_edited;
using recordio::write_free;

recordio::Unit& console_in() { return recordio::unit(recordio::kConsoleInput); }
recordio::Unit& console_out() { return recordio::unit(recordio::kConsoleOutput); }

// The tables are obtained once, zeroed, before any file is touched. Every
// row type is plain data whose zero bytes are its zero values, so the
// system's zeroed pages serve as they are.
template <class T>
Table<T> obtain(std::int32_t rows) {
  static_assert(std::is_trivially_copyable_v<T> && std::is_aggregate_v<T>);
  Table<T> table(static_cast<T*>(std::calloc(static_cast<std::size_t>(rows), sizeof(T))));
  if (!table) recordio::storage_failure(std::strerror(ENOMEM));
  return table;
}

void obtain_tables(RunState& state) {
  state.records = obtain<PedigreeRecord>(ND);
  state.pairs = obtain<SibPair>(NPAR);
  state.outliers = obtain<OutlierEntry>(NPAR);
}

// An answer without a value leaves the name all blanks; the open then fails.
void ask_file_name(RunState& state) {
  write_edited(console_out(), "('INPUT NAME of FILE WITH PEDIGREE DATA: ',$)", {});
  std::memset(state.file_name, ' ', kFileNameLength);
  recordio::UnitRead read(console_in());
  read.values().character(state.file_name, kFileNameLength);
  read.end();
}

// Any answer that is not a valid real (NO, end of input) means that the
// sample has no missing data.
void ask_missing_code(RunState& state) {
  write_edited(console_out(),
               "('INPUT CODE OF MISSING DATA (REAL OR INTEGER)'/\t"
               "'      OR \"NO\" FOR SAMPLE WITHOUT MISSING DATA: ',$)",
               {});
  float code = MISSING_NONE;
  recordio::UnitRead read(console_in());
  read.values().real(code);
  state.missing_code = read.end_with_status() == 0 ? code : MISSING_NONE;
}

void check_pedigree(RunState& state) {
  state.error_count = check_structure(
      state.records.get(), state.record_count,
      [](const StructureError& error) { write_structure_error(error); });
  if (state.error_count == 0) return;
  write_free(console_out(), {});
  write_free(console_out(), {"THERE ARE ERRORS IN PEDIGREE STRUCTURE. "});
  recordio::pause("PROGRAM IS STOPED. SEE DETAILS IN FILE outlier.out");
  write_free(console_out(), {});
  recordio::stop();
}

void analyse_sib_pairs(RunState& state) {
  PairFormation formed = form_sib_pairs(state.records.get(), state.record_count,
                                        state.missing_code, state.pairs.get(), NPAR);
  if (formed.capacity_exceeded) recordio::stop("Increase parameter NPAR and recompile !");
  state.pair_count = formed.pair_count;
  PairDistribution distribution =
      estimate_pair_distribution(formed.pair_count, formed.sums, state.summary.Var);
  state.summary.SibCorr = distribution.SibCorr;
  state.d2 = distribution.d2;
  if (state.pair_count > 0)
    state.outlier_count =
        name_outliers(state.pairs.get(), state.pair_count, state.d2.threshold_extended,
                      state.summary.Mean, state.outliers.get(), NPAR);
}

RunState state;  // the run's state, from the start to the final stop

}  // namespace

void run() {
  obtain_tables(state);
  write_failure_notice();
  ask_file_name(state);
  recordio::open_unit(kPedigreeUnit, std::string_view(state.file_name, kFileNameLength),
                      recordio::OpenStatus::old_file);
  ask_missing_code(state);
  read_pedigree(state);
  write_report_header(state);
  check_pedigree(state);
  analyse_sib_pairs(state);
  write_report_body(state);
  recordio::close_unit(kReportUnit);
  write_free(console_out(), {});
  recordio::pause("PROGRAM IS FINISHED. SEE RESULTS IN FILE outlier.out ");
  recordio::stop();
}

}  // namespace analysis
