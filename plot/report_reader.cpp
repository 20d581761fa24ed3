#include "plot/report_reader.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace plot {
namespace {

constexpr std::string_view kFailureNotice = " ERROR: cannot open or read pedigree file";
constexpr std::string_view kInputFile = " INPUT FILE: ";
constexpr std::string_view kMissingValue = " MISSING VALUE:";
constexpr std::string_view kOutliersFound =
    " INDIVIDUAL(s) IDENTIFIED AS WITHIN-FAMILY OUTLIER(s):";
constexpr std::string_view kNoOutliers = " WITHIN-FAMILY OUTLIERS DID NOT FOUND";
constexpr std::string_view kRule = " ==================================================";
constexpr std::string_view kStatisticsTitle = " QUANTITATIVE TRAIT STATISTICS";
constexpr std::string_view kParametersTitle =
    " EXPECTED PARAMETERS OF SQUARED DIFFERENCE DISTRIBUTION:";

// Line widths of the column-laid lines: (i5,i8); (13x,a8,5(a15));
// (a13,i8,5(f13.4,2x)) ending after the last real; (a14,E11.4,...) ending
// after the real; (5i8,2e12.4,e11.4) and its heading.
constexpr std::size_t kOutlierRowWidth = 13;
constexpr std::size_t kStatisticsHeadingWidth = 96;
constexpr std::size_t kStatisticsWidth = 94;
constexpr std::size_t kParameterWidth = 25;
constexpr std::size_t kPairRowWidth = 75;

struct ReportError {
  std::string message;
};

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string_view without_trailing_blanks(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

bool is_asterisks(std::string_view text) {
  return !text.empty() && text.find_first_not_of('*') == std::string_view::npos;
}

// The words of a heading line, single-blank separated, for a layout-tolerant
// comparison of the fixed headings.
std::string words_of(std::string_view line) {
  std::string words;
  for (std::size_t i = 0; i < line.size();) {
    const auto start = line.find_first_not_of(' ', i);
    if (start == std::string_view::npos) break;
    const auto end = std::min(line.find(' ', start), line.size());
    if (!words.empty()) words += ' ';
    words.append(line.substr(start, end - start));
    i = end;
  }
  return words;
}

class Lines {
 public:
  explicit Lines(std::string_view text) {
    while (!text.empty()) {
      const auto end = std::min(text.find('\n'), text.size());
      auto line = text.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      text.remove_prefix(std::min(end + 1, text.size()));
    }
  }

  bool at_end() const { return next_ == lines_.size(); }
  std::string_view peek() const { return at_end() ? std::string_view{} : lines_[next_]; }
  std::size_t number() const { return next_ + 1; }  // of the line peek() shows

  std::string_view take(std::string_view what) {
    if (at_end()) throw ReportError{"ends before the pair table (expected " + std::string(what) + ")"};
    return lines_[next_++];
  }

  // Takes a line that must equal `expected`.
  void expect(std::string_view expected, std::string_view what) {
    if (take(what) != expected) fail("expected " + std::string(what));
  }

  std::string_view take_width(std::size_t width, std::string_view what) {
    const auto line = take(what);
    if (line.size() != width) fail("expected " + std::string(what));
    return line;
  }

  [[noreturn]] void fail(const std::string& message) const {
    throw ReportError{"line " + std::to_string(next_) + ": " + message};
  }

 private:
  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
};

std::string identifier(const Lines& lines, std::string_view field) {
  const auto text = trimmed(field);
  auto digits = text;
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  const bool is_integer =
      !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!is_integer && !is_asterisks(text)) lines.fail("unreadable identifier \"" + std::string(text) + "\"");
  return std::string(text);
}

double real(const Lines& lines, std::string_view field) {
  const auto value = read_real_field(field);
  if (!value) lines.fail("unreadable number \"" + std::string(trimmed(field)) + "\"");
  return *value;
}

void read_header(Lines& lines, Report& report) {
  if (lines.at_end()) throw ReportError{"is empty"};
  if (lines.peek() == kFailureNotice) {
    throw ReportError{"holds only pedscreen's failure notice: the run ended before the pedigree file was read"};
  }
  const auto input = lines.take("the INPUT FILE line");
  if (!input.starts_with(kInputFile)) lines.fail("not a pedscreen report (no INPUT FILE line)");
  report.input_file = without_trailing_blanks(input.substr(kInputFile.size()));
  const auto missing = lines.take("the MISSING VALUE line");
  if (!missing.starts_with(kMissingValue)) lines.fail("expected the MISSING VALUE line");
  report.missing_value = trimmed(missing.substr(kMissingValue.size()));
  lines.expect("", "an empty line after the header");
}

void read_outlier_section(Lines& lines, Report& report) {
  if (lines.at_end()) {
    throw ReportError{"holds only the header lines: the run stopped at a capacity limit, so there is no pair table"};
  }
  const auto first = lines.peek();
  if (first.starts_with("Sex error") || first.starts_with("Person ")) {
    throw ReportError{"lists pedigree structure errors, so there is no pair table"};
  }
  if (first == kOutliersFound) {
    lines.take("the outlier list");
    while (!lines.at_end() && !lines.peek().empty()) {
      const auto row = lines.take_width(kOutlierRowWidth, "an outlier row (fam, id)");
      report.outliers.push_back({identifier(lines, row.substr(0, 5)), identifier(lines, row.substr(5, 8))});
    }
  } else {
    lines.expect(kNoOutliers, "the outlier section");
  }
  lines.expect("", "an empty line after the outlier section");
  lines.expect(kRule, "the rule of equals signs");
}

void read_statistics(Lines& lines, Report& report) {
  lines.expect("", "an empty line before the statistics");
  lines.expect(kStatisticsTitle, "the statistics title");
  const auto heading = lines.take_width(kStatisticsHeadingWidth, "the statistics heading");
  if (words_of(heading) != "N Min Max Mean Var SibCorr") lines.fail("expected the statistics heading");

  const auto row = lines.take_width(kStatisticsWidth, "the statistics line");
  auto& statistics = report.statistics;
  statistics.trait_name = without_trailing_blanks(row.substr(0, 13));
  const auto n = trimmed(row.substr(13, 8));
  std::int64_t count = 0;
  const auto [end, error] = std::from_chars(n.data(), n.data() + n.size(), count);
  if (error == std::errc{} && end == n.data() + n.size()) {
    statistics.n = count;
  } else if (!is_asterisks(n)) {
    lines.fail("unreadable N \"" + std::string(n) + "\"");
  }
  // Five f13.4 fields, each followed by two blanks.
  double* const values[] = {&statistics.min, &statistics.max, &statistics.mean, &statistics.var,
                            &statistics.sib_corr};
  for (std::size_t i = 0; i < 5; ++i) *values[i] = real(lines, row.substr(21 + 15 * i, 13));
}

void read_parameters(Lines& lines, Report& report) {
  lines.expect("", "an empty line before the parameters");
  lines.expect(kParametersTitle, "the parameters title");
  const std::pair<std::string_view, double*> parameters[] = {
      {"E(D2)        =", &report.expected_d2},
      {"SD(D2)       =", &report.sd_d2},
      {"E(D2)+4SD(D2)=", &report.threshold},
  };
  for (const auto& [label, value] : parameters) {
    const auto line = lines.take_width(kParameterWidth, label);
    if (!line.starts_with(label)) lines.fail("expected the line " + std::string(label));
    *value = real(lines, line.substr(label.size()));
  }
}

void read_pair_table(Lines& lines, Report& report) {
  lines.expect("", "an empty line before the pair table");
  const auto heading = lines.take_width(kPairRowWidth, "the pair table heading");
  if (words_of(heading) != "fam fa mo id_1 id_2 tr_1 tr_2 D2") lines.fail("expected the pair table heading");
  while (!lines.at_end() && !lines.peek().empty()) {
    const auto row = lines.take_width(kPairRowWidth, "a pair table row");
    PairRow pair;
    std::string* const ids[] = {&pair.fam, &pair.fa, &pair.mo, &pair.id_1, &pair.id_2};
    for (std::size_t i = 0; i < 5; ++i) *ids[i] = identifier(lines, row.substr(8 * i, 8));
    pair.tr_1 = real(lines, row.substr(40, 12));
    pair.tr_2 = real(lines, row.substr(52, 12));
    pair.d2 = real(lines, row.substr(64, 11));
    report.pairs.push_back(std::move(pair));
  }
  // Blank lines may trail the table; nothing else may.
  while (!lines.at_end()) {
    if (!lines.take("").empty()) lines.fail("unexpected text after the pair table");
  }
}

}  // namespace

std::optional<double> read_real_field(std::string_view field) {
  const auto text = trimmed(field);
  // A field too narrow for its number is printed as asterisks: the value is
  // lost, so it reads as NaN like any other value that cannot be placed.
  if (text == "NaN" || is_asterisks(text)) return std::numeric_limits<double>::quiet_NaN();
  if (text == "+Inf" || text == "Inf") return std::numeric_limits<double>::infinity();
  if (text == "-Inf") return -std::numeric_limits<double>::infinity();
  // from_chars takes the printed forms (-0.1234E+04, 12.5000, .5000) but
  // also its own spellings of NaN and infinity, which pedscreen never writes.
  if (text.empty() || !((text.back() >= '0' && text.back() <= '9') || text.back() == '.')) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

ReadResult read_report(std::string_view text) {
  Lines lines(text);
  Report report;
  try {
    read_header(lines, report);
    read_outlier_section(lines, report);
    read_statistics(lines, report);
    read_parameters(lines, report);
    read_pair_table(lines, report);
  } catch (const ReportError& error) {
    return {std::nullopt, error.message};
  }
  return {std::move(report), {}};
}

}  // namespace plot
