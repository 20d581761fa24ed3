#include "plot/report_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plot/report_fixture.h"

namespace plot {
namespace {

using plot_test::Fixture;
using plot_test::report_text;

TEST(ReportReader, ReadsEveryPartOfAFullReport) {
  Fixture fixture = plot_test::fixture_with_outliers();
  fixture.file_name = "data/family.ped";
  fixture.pairs.push_back({"-12", "1", "2", "4", "6", "-0.1234E+04", " 0.0000E+00", "0.1523E+07"});
  const auto result = read_report(report_text(fixture));
  ASSERT_TRUE(result.report) << result.error;
  const Report& report = *result.report;

  EXPECT_EQ(report.input_file, "data/family.ped");
  EXPECT_EQ(report.missing_value, "-9.");
  ASSERT_EQ(report.outliers.size(), 2u);
  EXPECT_EQ(report.outliers[1].fam, "12");
  EXPECT_EQ(report.outliers[1].id, "4");

  EXPECT_EQ(report.statistics.trait_name, "BMI");
  EXPECT_EQ(report.statistics.n, 48);
  EXPECT_DOUBLE_EQ(report.statistics.min, 18.2);
  EXPECT_DOUBLE_EQ(report.statistics.max, 35.5);
  EXPECT_DOUBLE_EQ(report.statistics.mean, 24.1234);
  EXPECT_DOUBLE_EQ(report.statistics.var, 12.3456);
  EXPECT_DOUBLE_EQ(report.statistics.sib_corr, 0.4321);
  EXPECT_DOUBLE_EQ(report.expected_d2, 14.03);
  EXPECT_DOUBLE_EQ(report.sd_d2, 19.84);
  EXPECT_DOUBLE_EQ(report.threshold, 93.39);

  ASSERT_EQ(report.pairs.size(), 5u);
  const PairRow& last = report.pairs.back();
  EXPECT_EQ(last.fam, "-12");
  EXPECT_EQ(last.id_2, "6");
  EXPECT_DOUBLE_EQ(last.tr_1, -1234.0);
  EXPECT_DOUBLE_EQ(last.tr_2, 0.0);
  EXPECT_DOUBLE_EQ(last.d2, 1523000.0);
}

TEST(ReportReader, ReportWithoutPairsEndsAtTheTableHeading) {
  const std::string text = report_text(plot_test::fixture_without_pairs());
  ASSERT_TRUE(text.ends_with("D2   \n"));
  const auto result = read_report(text);
  ASSERT_TRUE(result.report) << result.error;
  EXPECT_TRUE(result.report->outliers.empty());
  EXPECT_TRUE(result.report->pairs.empty());
  EXPECT_TRUE(std::isnan(result.report->threshold));
  EXPECT_TRUE(std::isnan(result.report->statistics.sib_corr));
}

TEST(ReportReader, FieldsThatDidNotFitOrHoldNoNumber) {
  Fixture fixture;
  fixture.missing = "no";
  fixture.trait_name = "a_very_long_t";  // all 13 columns used
  fixture.statistics = {"9999.0000", "*************", "NaN", "+Inf", "-Inf"};
  fixture.outliers = {{"*****", "12345678"}};
  fixture.pairs = {{"********", "1", "2", "3", "4", "NaN", "+Inf", "+Inf"}};
  const auto result = read_report(report_text(fixture));
  ASSERT_TRUE(result.report) << result.error;
  const Report& report = *result.report;
  EXPECT_EQ(report.missing_value, "no");
  EXPECT_EQ(report.statistics.trait_name, "a_very_long_t");
  EXPECT_TRUE(std::isnan(report.statistics.max));
  EXPECT_EQ(report.statistics.var, std::numeric_limits<double>::infinity());
  EXPECT_EQ(report.statistics.sib_corr, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(report.outliers[0].fam, "*****");
  EXPECT_EQ(report.pairs[0].fam, "********");
  EXPECT_TRUE(std::isnan(report.pairs[0].tr_1));
}

TEST(ReportReader, RealFieldForms) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* field;
    double value;
  } readable[] = {
      {" 0.1500E+01", 1.5},     {"-0.1234E+04", -1234},  {"-0.0000E+00", 0},       {" 0.1401E-44", 0.1401e-44},
      {"      0.5000", 0.5},    {"-9999999.0000", -9999999}, {"-.5000", -0.5},     {"   +Inf", inf},
      {"   -Inf", -inf},
  };
  for (const auto& c : readable) {
    const auto value = read_real_field(c.field);
    ASSERT_TRUE(value) << c.field;
    EXPECT_EQ(*value, c.value) << c.field;
  }
  for (const char* field : {"        NaN", "*************"}) {
    const auto value = read_real_field(field);
    ASSERT_TRUE(value) << field;
    EXPECT_TRUE(std::isnan(*value)) << field;
  }
  // pedscreen never writes these; they mark a damaged or foreign file.
  for (const char* field : {"", "     ", "nan", "inf", "Infinity", "1.5x", "0x1p3", "1.0E+01 2", "--1", "+1.5"}) {
    EXPECT_FALSE(read_real_field(field)) << '"' << field << '"';
  }
}

TEST(ReportReader, RefusesReportsWithoutAPairTable) {
  const std::string header = plot_test::header_lines({});
  std::string full = report_text(plot_test::fixture_with_outliers());
  std::string bad_row = full;
  bad_row.replace(bad_row.rfind("0.1210E+03"), 10, "0.12x0E+03");
  const struct {
    const char* what;
    std::string text;
    const char* message;
  } cases[] = {
      {"empty file", "", "is empty"},
      {"failure notice",
       " ERROR: cannot open or read pedigree file\n Press \"Ctrl O\" to see system information  \n",
       "failure notice"},
      {"capacity stop", header, "only the header lines"},
      {"structure errors",
       header + "Sex error: Person   1234 has incorrect sex code  3\n"
                "Person     12 was duplicated in lines:     3 and     9\n",
       "pedigree structure errors"},
      {"duplicate only", header + "Person     12 was duplicated in lines:     3 and     9\n",
       "pedigree structure errors"},
      {"not a report", "fam id fa mo sex BMI\n1 1 0 0 1 20.5\n", "line 1: not a pedscreen report"},
      {"cut in the statistics", full.substr(0, full.find(" EXPECTED")), "ends before the pair table"},
      {"unreadable pair value", bad_row, "line 23: unreadable number \"0.12x0E+03\""},
      {"short pair row", full.substr(0, full.size() - 2) + "\n", "line 23: expected a pair table row"},
      {"text after the table", full + "\nPAUSE\n", "line 25: unexpected text after the pair table"},
  };
  for (const auto& c : cases) {
    const auto result = read_report(c.text);
    EXPECT_FALSE(result.report) << c.what;
    EXPECT_NE(result.error.find(c.message), std::string::npos) << c.what << ": " << result.error;
  }
}

TEST(ReportReader, ToleratesCarriageReturnsAndTrailingBlankLines) {
  std::string text = report_text(plot_test::fixture_with_outliers());
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& variant : {crlf, text + "\n\n"}) {
    const auto result = read_report(variant);
    ASSERT_TRUE(result.report) << result.error;
    EXPECT_EQ(result.report->pairs.size(), 4u);
  }
}

}  // namespace
}  // namespace plot
