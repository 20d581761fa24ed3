#include "analysis/report.h"

#include <string_view>

#include "recordio/statements.h"

namespace analysis {

namespace {

using recordio::write_edited;
using recordio::write_free;

recordio::Unit& report() { return recordio::unit(kReportUnit); }

constexpr std::string_view kRule =
    "==================================================";

std::string_view sex_name(std::int32_t sex) {
  return sex == 1 ? "male  " : "female";
}

std::string_view role_name(int column) { return column == 3 ? "father" : "mother"; }

void write_outlier_section(const RunState& state) {
  recordio::Unit& out = report();
  if (state.outlier_count == 0) {
    write_free(out, {"WITHIN-FAMILY OUTLIERS DID NOT FOUND"});
  } else {
    write_free(out, {"INDIVIDUAL(s) IDENTIFIED AS WITHIN-FAMILY OUTLIER(s):"});
    for (std::int32_t k = 0; k < state.outlier_count; ++k) {
      const OutlierEntry& entry = state.outliers[k];
      write_edited(out, "(i5,i8)", {entry.fam, entry.id});
    }
  }
  write_free(out, {});
  write_free(out, {kRule});
}

void write_statistics(const RunState& state) {
  recordio::Unit& out = report();
  const TraitSummary& s = state.summary;
  write_free(out, {});
  write_free(out, {"QUANTITATIVE TRAIT STATISTICS"});
  write_edited(out, "(13x,a8,5(a15))",
               {"N", "Min ", "Max ", "Mean ", "Var  ", "SibCorr"});
  write_edited(out, "(a13,i8,5(f13.4,2x))",
               {std::string_view(state.trait_name, kTraitNameLength), s.N, s.Min,
                s.Max, s.Mean, s.Var, s.SibCorr});
}

void write_d2_parameters(const RunState& state) {
  recordio::Unit& out = report();
  write_free(out, {});
  write_free(out, {"EXPECTED PARAMETERS OF SQUARED DIFFERENCE DISTRIBUTION:"});
  write_edited(out, "(a14,E11.4,a13)", {"E(D2)        =", state.d2.expected});
  write_edited(out, "(a14,E11.4,a11)", {"SD(D2)       =", state.d2.sd});
  write_edited(out, "(a14,E11.4,a11)", {"E(D2)+4SD(D2)=", state.d2.threshold});
}

void write_pair_table(const RunState& state) {
  recordio::Unit& out = report();
  write_free(out, {});
  write_edited(out, "(5a8,2a12,a11)",
               {"fam", "fa  ", "mo  ", "id_1 ", "id_2 ", "tr_1  ", "tr_2  ", "D2   "});
  for (std::int32_t k = 0; k < state.pair_count; ++k) {
    const SibPair& p = state.pairs[k];
    write_edited(out, "(5i8,2e12.4,e11.4)",
                 {p.fam, p.fa, p.mo, p.id_1, p.id_2, p.tr_1, p.tr_2, p.D2});
  }
}

}  // namespace

void write_failure_notice() {
  recordio::open_unit(kReportUnit, kReportFile, recordio::OpenStatus::replace);
  write_free(report(), {"ERROR: cannot open or read pedigree file"});
  write_free(report(), {"Press \"Ctrl O\" to see system information  "});
  recordio::close_unit(kReportUnit);
}

void write_report_header(const RunState& state) {
  recordio::open_unit(kReportUnit, kReportFile, recordio::OpenStatus::replace);
  recordio::Unit& out = report();
  write_free(out, {"INPUT FILE: ", std::string_view(state.file_name, kFileNameLength)});
  // An ordered comparison: a NaN code is shown as a value.
  if (state.missing_code == MISSING_NONE)
    write_free(out, {"MISSING VALUE: no"});
  else
    write_free(out, {"MISSING VALUE:", state.missing_code});
  write_free(out, {});
}

void write_structure_error(const StructureError& error) {
  recordio::Unit& out = report();
  switch (error.kind) {
    case StructureError::Kind::sex_code:
      write_edited(out, "(a,i6,a,i2)",
                   {"Sex error: Person ", error.person, " has incorrect sex code ",
                    error.sex});
      break;
    case StructureError::Kind::parent_role:
      write_edited(out, "('Sex error: Person',i6,' is ',a6,', but ',a6,' in line',i6)",
                   {error.person, sex_name(error.sex), role_name(error.role_column),
                    error.line_j});
      break;
    case StructureError::Kind::duplicate:
      write_edited(out, "(3(a,i6))",
                   {"Person ", error.person, " was duplicated in lines:", error.line_i,
                    " and", error.line_j});
      break;
  }
}

void write_report_body(const RunState& state) {
  write_outlier_section(state);
  write_statistics(state);
  write_d2_parameters(state);
  write_pair_table(state);
}

}  // namespace analysis
