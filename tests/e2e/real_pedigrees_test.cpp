// Runs on real family studies when their folder is present beside the project.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/run_binary.h"

namespace {

namespace fs = std::filesystem;

struct RealCase {
  const char* file;
  bool structure_errors;  // expected to end with the error stop
};

const RealCase kFiles[] = {
    {"kinship2_sampleped.ped", false},     {"bluetit_tarsus.ped", false},
    {"bluetit_back.ped", false},           {"minnbreast_endage.ped", false},
    {"minnbreast_endage_raworder.ped", false}, {"minnbreast_yob.ped", false},
    {"minnbreast_yob_raworder.ped", false},    {"minnbreast_parity.ped", false},
    {"minnbreast_endage_sex0.ped", true},      {"minnbreast_errors.ped", true},
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The statistics line: the trait name, N, Min, Max, Mean, Var, SibCorr.
void expect_sane_statistics(const std::string& report) {
  std::size_t at = report.find("SibCorr\n");
  ASSERT_NE(at, std::string::npos);
  std::istringstream line(report.substr(at + 8 + 13, 81));
  long n = 0;
  double min = 0, max = 0, mean = 0, var = 0;
  line >> n >> min >> max >> mean >> var;
  EXPECT_GT(n, 0);
  EXPECT_LE(min, mean);
  EXPECT_LE(mean, max);
  EXPECT_GE(var, 0.0);
  EXPECT_LE(var, (max - min) * (max - min));
}

TEST(RealPedigrees, EachEndsAsItsDescriptionLeadsUsToExpect) {
  fs::path dir = fs::path(PEDSCREEN_SHARED_DATA) / "pedigrees";
  if (!fs::is_directory(dir)) {
    std::printf("skipped: no real pedigrees beside the project\n");
    GTEST_SKIP() << "no real pedigrees beside the project";
  }
  for (const RealCase& c : kFiles) {
    SCOPED_TRACE(c.file);
    if (!fs::exists(dir / c.file)) continue;
    e2e::RunResult r =
        e2e::run_pedscreen({"p.ped\n-9\n\n", {{"p.ped", slurp(dir / c.file)}}});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(r.report.has_value());
    bool stopped = r.out.find("THERE ARE ERRORS IN PEDIGREE STRUCTURE.") != std::string::npos;
    EXPECT_EQ(stopped, c.structure_errors);
    if (!stopped) expect_sane_statistics(*r.report);
  }
}

}  // namespace
