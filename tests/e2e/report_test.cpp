// Whole runs that reach the report, compared byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "e2e/console_texts.h"
#include "e2e/run_binary.h"

namespace {

using namespace e2e;

const std::string kHeader = " INPUT FILE: ped                 \n MISSING VALUE: -9.\n\n";
const std::string kStatisticsHeading =
    "\n QUANTITATIVE TRAIT STATISTICS\n"
    "                    N           Min            Max           Mean           Var  "
    "        SibCorr\n";
const std::string kPairHeading =
    "\n     fam    fa      mo     id_1    id_2       tr_1        tr_2        D2   \n";
const std::string kNoOutliers =
    " WITHIN-FAMILY OUTLIERS DID NOT FOUND\n\n"
    " ==================================================\n";
const std::string kParametersHeading =
    "\n EXPECTED PARAMETERS OF SQUARED DIFFERENCE DISTRIBUTION:\n";
const std::string kNotANumberParameters = kParametersHeading +
                                          "E(D2)        =        NaN\n"
                                          "SD(D2)       =        NaN\n"
                                          "E(D2)+4SD(D2)=        NaN\n";

e2e::RunResult run_on(const std::string& pedigree, const std::string& answers = "ped\n-9\n\n") {
  return e2e::run_pedscreen({answers, {{"ped", pedigree}}});
}

// Two sibships, (1, 2) and (3, 5): r = (4*2*17 - 121) / (2*2*39 - 121) = 3/7,
// Var = (39 - 121/4) / 3 = 35/12, E(D2) = 2 (4/7) Var = 10/3.
const std::string kThreeSevenths =
    "fam id fa mo sex trait\n"
    "1 1 10 11 1 1\n"
    "1 2 10 11 2 2\n"
    "2 3 20 21 1 3\n"
    "2 4 20 21 2 5\n";
const std::string kThreeSeventhsReport =
    kHeader + kNoOutliers + kStatisticsHeading +
    "trait               4       1.0000         5.0000         2.7500         2.9167         0.4286\n" +
    kParametersHeading +
    "E(D2)        = 0.3333E+01\n"
    "SD(D2)       = 0.4714E+01\n"
    "E(D2)+4SD(D2)= 0.2219E+02\n" +
    kPairHeading +
    "       1      10      11       1       2  0.1000E+01  0.2000E+01 0.1000E+01\n"
    "       2      20      21       3       4  0.3000E+01  0.5000E+01 0.4000E+01\n";

TEST(Report, FullReportWithoutFlaggedPairs) {
  e2e::RunResult r = run_on(kThreeSevenths);
  EXPECT_EQ(r.out, kPrompts + "\n");
  EXPECT_EQ(r.err, kFinished);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.report, kThreeSeventhsReport);
}

TEST(Report, CarriageReturnsAndUncommonSyntaxReadAlike) {
  std::string crlf;
  for (char c : kThreeSevenths) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string exotic =
      "'fam' \"id\" fa, mo sex 'trait' extra names\n"
      "\n"
      "1,1,10,11,1,1.0e0 ignored\n"
      "1 2 10 11\n"
      "  2 .2d1\n"
      "2\t3\t20\t21\t1\t+3.\n"
      "0002 4 20 21 2 0.5+1";  // a signed exponent without a letter, no final line feed
  for (const std::string& pedigree : {crlf, exotic}) {
    e2e::RunResult r = run_on(pedigree);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.report, kThreeSeventhsReport);
  }
}

// Twenty tight sibships and two deviant ones: in the sibship of three the
// sib far from the mean is named once; the lone pair names both sibs.
TEST(Report, OutliersAreNamedInOrderOfFirstNaming) {
  std::string pedigree = "fam id fa mo sex trait\n";
  for (int k = 1; k <= 20; ++k) {
    for (int sib = 0; sib < 2; ++sib)
      pedigree += std::to_string(k) + " " + std::to_string(k * 10 + sib) + " 1 2 " +
                  std::to_string(sib + 1) + " " + std::to_string(10 * k + sib) + "\n";
  }
  pedigree += "21 1 7 8 1 100\n21 2 7 8 2 100\n21 3 7 8 1 160\n";
  pedigree += "22 5 7 8 1 50\n22 6 7 8 2 110\n";
  e2e::RunResult r = run_on(pedigree);
  ASSERT_TRUE(r.report.has_value());
  const std::string outliers =
      " INDIVIDUAL(s) IDENTIFIED AS WITHIN-FAMILY OUTLIER(s):\n"
      "   21       3\n"
      "   22       5\n"
      "   22       6\n"
      "\n"
      " ==================================================\n";
  EXPECT_EQ(r.report->substr(kHeader.size(), outliers.size()), outliers);
  EXPECT_NE(r.report->find("       1       1       2      10      11  0.1000E+02  0.1100E+02"
                           " 0.1000E+01\n"),
            std::string::npos);
}

TEST(Report, NoPairsGiveNotANumberParameters) {
  e2e::RunResult r = run_on("fam id fa mo sex trait\n1 1 0 0 1 4\n1 2 0 0 2 6\n");
  EXPECT_EQ(r.report,
            kHeader + kNoOutliers + kStatisticsHeading +
                "trait               2       4.0000         6.0000         5.0000         2.0000"
                "            NaN\n" +
                kNotANumberParameters + kPairHeading);
}

TEST(Report, HeaderOnlyFileGivesTheStatisticsOfNoValues) {
  e2e::RunResult r = run_on("fam id fa mo sex a-rather-long-trait-name\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.report,
            kHeader + kNoOutliers + kStatisticsHeading +
                "a-rather-long       0    9999.0000     -9999.0000            NaN            NaN"
                "            NaN\n" +
                kNotANumberParameters + kPairHeading);
}

TEST(Report, StructureErrorsOfEveryKindStopTheRun) {
  e2e::RunResult r = run_on(
      "fam id fa mo sex trait\n"
      "1 1 0 0 1 5\n"
      "1 2 0 0 1 5\n"        // a man named as mother of the next two
      "1 3 1 2 3 5\n"        // an invalid sex code, and listed twice
      "1 3 1 2 2 5\n"
      "2 7 0 0 100 5\n"      // a code too wide for its field
      "3 1234567 0 0 0 5\n");
  EXPECT_EQ(r.out, kPrompts + "\n THERE ARE ERRORS IN PEDIGREE STRUCTURE. \n\n");
  EXPECT_EQ(r.err,
            "PAUSE PROGRAM IS STOPED. SEE DETAILS IN FILE outlier.out statement "
            "executed.  Hit Return to continue\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.report, kHeader +
                          "Sex error: Person     2 is male  , but mother in line     3\n"
                          "Sex error: Person     2 is male  , but mother in line     4\n"
                          "Sex error: Person      3 has incorrect sex code  3\n"
                          "Person      3 was duplicated in lines:     3 and     4\n"
                          "Sex error: Person      7 has incorrect sex code **\n"
                          "Sex error: Person ****** has incorrect sex code  0\n");
}

TEST(Report, ErrorStopMeetingEndOfInputAtItsPause) {
  e2e::RunResult r = run_on("fam id fa mo sex trait\n1 1 0 0 5 5\n", "ped\n-9\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "PAUSE PROGRAM IS STOPED. SEE DETAILS IN FILE outlier.out statement "
            "executed.  Hit Return to continue\n"
            "No call trace available.\nRun-time error: End of file\n");
  EXPECT_EQ(r.report, kHeader + "Sex error: Person      1 has incorrect sex code  5\n");
}

std::string founders(int count) {
  std::string pedigree = "fam id fa mo sex trait\n";
  for (int k = 1; k <= count; ++k)
    pedigree += std::to_string(k) + " 1 0 0 1 1.5\n";
  return pedigree;
}

TEST(Report, RecordCapacityIsReachedAfterTheWholeFile) {
  e2e::RunResult full = run_on(founders(30000));
  EXPECT_EQ(full.status, 0);
  EXPECT_NE(full.report->find("trait           30000       1.5000         1.5000         1.5000"),
            std::string::npos);

  e2e::RunResult over = run_on(founders(30001) + "1 2 x\n");  // a bad value after the limit
  EXPECT_EQ(over.status, 2);
  EXPECT_EQ(over.report, kNotice);

  e2e::RunResult stopped = run_on(founders(30001));
  EXPECT_EQ(stopped.out, kPrompts);
  EXPECT_EQ(stopped.err, "STOP Increase parameter ND and recompile !\n");
  EXPECT_EQ(stopped.status, 0);
  EXPECT_EQ(stopped.report, kNotice);
}

// One sibship of `sibs` children with distinct traits: sibs (sibs - 1) / 2 pairs.
std::string sibship(int sibs) {
  std::string pedigree = "fam id fa mo sex trait\n";
  for (int k = 1; k <= sibs; ++k)
    pedigree += "1 " + std::to_string(k + 2) + " 1 2 1 " + std::to_string(k) + "\n";
  return pedigree;
}

TEST(Report, PairCapacityStopLeavesTheHeaderLines) {
  // 266 sibs make 35245 pairs, 265 make 34980.
  e2e::RunResult stopped = run_on(sibship(266));
  EXPECT_EQ(stopped.out, kPrompts);
  EXPECT_EQ(stopped.err, "STOP Increase parameter NPAR and recompile !\n");
  EXPECT_EQ(stopped.status, 0);
  EXPECT_EQ(stopped.report, kHeader);

  e2e::RunResult within = run_on(sibship(265));
  EXPECT_EQ(within.status, 0);
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Report, ExampleGivesItsCommittedReport) {
  const std::string dir = PEDSCREEN_EXAMPLES;
  e2e::RunResult r = e2e::run_pedscreen(
      {"family.ped\n-9\n\n", {{"family.ped", slurp(dir + "/family.ped")}}});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.report, slurp(dir + "/family.out"));
}

// A build with ND = 100 and NPAR = 50 stops where those capacities say.
TEST(Report, CapacityStopsFollowTheBuildParameters) {
  auto run_small = [](const std::string& pedigree) {
    e2e::RunSetup setup{"ped\n-9\n\n", {{"ped", pedigree}}};
    setup.binary = PEDSCREEN_SMALL_CAPACITY_BINARY;
    return e2e::run_pedscreen(setup);
  };
  EXPECT_EQ(run_small(founders(100)).err, kFinished);
  EXPECT_EQ(run_small(founders(101)).err, "STOP Increase parameter ND and recompile !\n");

  // Eleven sibs make 55 pairs, ten make 45.
  EXPECT_EQ(run_small(sibship(10)).err, kFinished);
  EXPECT_EQ(run_small(sibship(11)).err, "STOP Increase parameter NPAR and recompile !\n");
}

}  // namespace
