#include "plot/plot_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "plot/report_fixture.h"
#include "plot/report_reader.h"
#include "plot/svg_plot.h"

namespace plot {
namespace {

namespace fs = std::filesystem;

class PlotCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("pedscreen_plot_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& text) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  int run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    return run_plot(args, out_, err_);
  }

  fs::path dir_;
  std::ostringstream out_, err_;
};

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(PlotCommand, WritesTheSvgAndOneSummaryLine) {
  const std::string text = plot_test::report_text(plot_test::fixture_with_outliers());
  const auto report = write("outlier.out", text);
  const auto svg = (dir_ / "pairs.svg").string();
  ASSERT_EQ(run({report, svg}), 0) << err_.str();
  EXPECT_EQ(out_.str(), svg + ": 4 pairs, 2 flagged, 2 outliers\n");
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(contents(svg), render_svg(*read_report(text).report));

  const auto empty = write("empty.out", plot_test::report_text(plot_test::fixture_without_pairs()));
  ASSERT_EQ(run({empty, svg}), 0) << err_.str();
  EXPECT_EQ(out_.str(), svg + ": 0 pairs, 0 flagged, 0 outliers\n");
}

TEST_F(PlotCommand, FailsWithAMessageAndNoOutput) {
  const auto good = write("outlier.out", plot_test::report_text(plot_test::fixture_with_outliers()));
  const auto stopped = write("stopped.out", plot_test::header_lines({}) +
                                                "Sex error: Person   1234 has incorrect sex code  3\n");
  const auto svg = (dir_ / "pairs.svg").string();
  const struct {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {"no arguments", {}, 2, "expected two arguments"},
      {"one argument", {good}, 2, "expected two arguments"},
      {"three arguments", {good, svg, svg}, 2, "expected two arguments"},
      {"empty name", {good, ""}, 2, "expected two arguments"},
      {"missing report", {(dir_ / "none.out").string(), svg}, 1, "cannot read " + (dir_ / "none.out").string()},
      {"directory as report", {dir_.string(), svg}, 1, "cannot read "},
      {"report without pairs", {stopped, svg}, 1, stopped + ": lists pedigree structure errors"},
      {"no such directory", {good, (dir_ / "no" / "pairs.svg").string()}, 1, "cannot write "},
      {"directory as output", {good, dir_.string()}, 1, "cannot write "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run(c.args), c.status) << c.what;
    EXPECT_EQ(out_.str(), "") << c.what;
    EXPECT_TRUE(err_.str().starts_with("pedscreen-plot: ")) << c.what << ": " << err_.str();
    EXPECT_NE(err_.str().find(c.message), std::string::npos) << c.what << ": " << err_.str();
    EXPECT_FALSE(fs::exists(svg)) << c.what;
  }
}

TEST_F(PlotCommand, FullDeviceIsReportedAndLeftInPlace) {
  const fs::path full = "/dev/full";
  if (!fs::exists(full)) GTEST_SKIP() << "no full device";
  const auto good = write("outlier.out", plot_test::report_text(plot_test::fixture_with_outliers()));
  EXPECT_EQ(run({good, full.string()}), 1);
  EXPECT_NE(err_.str().find("cannot write /dev/full: "), std::string::npos) << err_.str();
  EXPECT_TRUE(fs::exists(full));
}

TEST_F(PlotCommand, HelpAndVersion) {
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_TRUE(out_.str().starts_with("usage: pedscreen-plot ")) << out_.str();
  EXPECT_EQ(run({"--version"}), 0);
  EXPECT_TRUE(out_.str().starts_with("pedscreen-plot ")) << out_.str();
}

}  // namespace
}  // namespace plot
