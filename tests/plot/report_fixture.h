#pragma once

// Builds outlier.out texts column by column, the way pedscreen lays out a
// full report. Numbers are given as the field texts the report would show.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plot_test {

inline std::string right(std::string_view text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + std::string(text);
}

struct FixturePair {
  std::string fam, fa, mo, id_1, id_2;  // i8 fields
  std::string tr_1, tr_2;               // e12.4 fields
  std::string d2;                       // e11.4 field
};

struct Fixture {
  std::string file_name = "family.ped";
  std::string missing = "-9.";
  std::vector<std::pair<std::string, std::string>> outliers;  // fam, id
  std::string trait_name = "BMI";
  std::string n = "48";
  std::vector<std::string> statistics = {"18.2000", "35.5000", "24.1234", "12.3456", "0.4321"};
  std::string expected_d2 = "0.1403E+02", sd_d2 = "0.1984E+02", threshold = "0.9339E+02";
  std::vector<FixturePair> pairs;
};

inline std::string header_lines(const Fixture& f) {
  std::string name = f.file_name;
  name.resize(20, ' ');
  return " INPUT FILE: " + name + "\n MISSING VALUE: " + f.missing + "\n\n";
}

inline std::string report_text(const Fixture& f) {
  std::string text = header_lines(f);
  if (f.outliers.empty()) {
    text += " WITHIN-FAMILY OUTLIERS DID NOT FOUND\n";
  } else {
    text += " INDIVIDUAL(s) IDENTIFIED AS WITHIN-FAMILY OUTLIER(s):\n";
    for (const auto& [fam, id] : f.outliers) text += right(fam, 5) + right(id, 8) + "\n";
  }
  text += "\n " + std::string(50, '=') + "\n";

  text += "\n QUANTITATIVE TRAIT STATISTICS\n" + std::string(13, ' ') + right("N", 8);
  for (const char* heading : {"Min ", "Max ", "Mean ", "Var  ", "SibCorr"}) text += right(heading, 15);
  std::string trait = f.trait_name;
  trait.resize(13, ' ');
  text += "\n" + trait + right(f.n, 8);
  for (std::size_t i = 0; i < f.statistics.size(); ++i) text += (i ? "  " : "") + right(f.statistics[i], 13);

  text += "\n\n EXPECTED PARAMETERS OF SQUARED DIFFERENCE DISTRIBUTION:\n";
  text += "E(D2)        =" + right(f.expected_d2, 11) + "\n";
  text += "SD(D2)       =" + right(f.sd_d2, 11) + "\n";
  text += "E(D2)+4SD(D2)=" + right(f.threshold, 11) + "\n\n";

  for (const char* heading : {"fam", "fa  ", "mo  ", "id_1 ", "id_2 "}) text += right(heading, 8);
  text += right("tr_1  ", 12) + right("tr_2  ", 12) + right("D2   ", 11) + "\n";
  for (const auto& p : f.pairs) {
    text += right(p.fam, 8) + right(p.fa, 8) + right(p.mo, 8) + right(p.id_1, 8) + right(p.id_2, 8) +
            right(p.tr_1, 12) + right(p.tr_2, 12) + right(p.d2, 11) + "\n";
  }
  return text;
}

// Four pairs in three families, two of them beyond the threshold 93.39,
// and the two individuals those pairs name.
inline Fixture fixture_with_outliers() {
  Fixture f;
  f.outliers = {{"3", "7"}, {"12", "4"}};
  f.pairs = {
      {"1", "1", "2", "3", "4", "0.2428E+02", "0.2775E+02", "0.1201E+02"},
      {"3", "5", "6", "7", "8", "0.2320E+02", "0.3520E+02", "0.1440E+03"},
      {"3", "5", "6", "7", "9", "0.2320E+02", "0.2410E+02", "0.8100E+00"},
      {"12", "1", "2", "4", "5", "0.9000E+01", "0.2000E+02", "0.1210E+03"},
  };
  return f;
}

// A pedigree without full sibs: no pairs, the parameters are NaN and the
// pair table heading is the last line.
inline Fixture fixture_without_pairs() {
  Fixture f;
  f.statistics.back() = "NaN";
  f.expected_d2 = f.sd_d2 = f.threshold = "NaN";
  return f;
}

}  // namespace plot_test
