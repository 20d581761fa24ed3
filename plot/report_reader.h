#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plot {

// Identifiers stay text: the plot only shows them, and a field of asterisks
// (an identifier too wide for its columns) must be shown as printed.
struct OutlierEntry {
  std::string fam;
  std::string id;
};

// One row of the pair table. A real field that holds NaN or asterisks reads
// as NaN; +Inf and -Inf read as infinities.
struct PairRow {
  std::string fam, fa, mo, id_1, id_2;
  double tr_1 = 0, tr_2 = 0, d2 = 0;
};

struct TraitStatistics {
  std::string trait_name;        // trailing blanks removed
  std::optional<std::int64_t> n; // empty when printed as asterisks
  double min = 0, max = 0, mean = 0, var = 0, sib_corr = 0;
};

// Everything a complete outlier.out holds.
struct Report {
  std::string input_file;     // trailing blanks removed
  std::string missing_value;  // "no" or the code as printed
  std::vector<OutlierEntry> outliers;
  TraitStatistics statistics;
  double expected_d2 = 0, sd_d2 = 0, threshold = 0;
  std::vector<PairRow> pairs;
};

struct ReadResult {
  std::optional<Report> report;
  std::string error;  // why there is no report; names the line when it can
};

// Reads the text of an outlier.out by its fixed columns. Only a complete
// report (one that reaches the pair table) yields a Report.
ReadResult read_report(std::string_view text);

// One number field of the report: blanks around it are ignored; NaN, +Inf,
// -Inf and a field of asterisks are accepted. Empty for anything else.
std::optional<double> read_real_field(std::string_view field);

}  // namespace plot
