#include "plot/svg_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "plot/report_fixture.h"

namespace plot {
namespace {

bool is_name_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':' || c == '-' || c == '.';
}

// Where `text` (character data or an attribute value) breaks XML: a raw '<'
// or an '&' that starts no entity reference. Empty when it is sound.
std::string text_problem(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '<') return "raw '<' in text";
    if (text[i] != '&') continue;
    const auto end = text.find(';', i);
    if (end == std::string_view::npos) return "'&' without ';'";
    const auto entity = text.substr(i + 1, end - i - 1);
    static const std::set<std::string_view> named = {"amp", "lt", "gt", "quot", "apos"};
    const bool numeric = entity.size() > 1 && entity[0] == '#';
    if (!named.contains(entity) && !numeric) return "unknown entity &" + std::string(entity) + ";";
  }
  return {};
}

// A small well-formedness check of what render_svg writes: an optional XML
// declaration, then exactly one root element; tags balance; attributes are
// quoted and unique; text and attribute values are properly escaped.
std::string xml_problem(std::string_view doc) {
  std::size_t i = 0;
  if (doc.starts_with("<?xml")) i = doc.find("?>") + 2;
  std::vector<std::string> open;
  int roots = 0;
  while (i < doc.size()) {
    if (doc[i] != '<') {
      const auto end = std::min(doc.find('<', i), doc.size());
      const auto text = doc.substr(i, end - i);
      if (open.empty() && text.find_first_not_of(" \n") != std::string_view::npos) return "text outside the root";
      if (auto problem = text_problem(text); !problem.empty()) return problem;
      i = end;
      continue;
    }
    const bool closing = doc.substr(i).starts_with("</");
    i += closing ? 2 : 1;
    const auto name_end = i + (std::find_if_not(doc.begin() + i, doc.end(), is_name_char) - (doc.begin() + i));
    const std::string name(doc.substr(i, name_end - i));
    if (name.empty()) return "tag without a name";
    i = name_end;
    if (closing) {
      if (open.empty() || open.back() != name) return "unbalanced </" + name + ">";
      if (i >= doc.size() || doc[i] != '>') return "bad end tag " + name;
      open.pop_back();
      ++i;
      continue;
    }
    if (open.empty() && ++roots > 1) return "second root <" + name + ">";
    std::set<std::string> attributes;
    for (;;) {
      while (i < doc.size() && doc[i] == ' ') ++i;
      if (i >= doc.size()) return "unterminated tag " + name;
      if (doc.substr(i).starts_with("/>")) {
        i += 2;
        break;
      }
      if (doc[i] == '>') {
        open.push_back(name);
        ++i;
        break;
      }
      const auto eq = doc.find('=', i);
      if (eq == std::string_view::npos || eq + 1 >= doc.size()) return "bad attribute in " + name;
      const std::string attribute(doc.substr(i, eq - i));
      if (attribute.empty() || !std::all_of(attribute.begin(), attribute.end(), is_name_char)) {
        return "bad attribute name in " + name;
      }
      if (!attributes.insert(attribute).second) return "repeated attribute " + attribute;
      const char quote = doc[eq + 1];
      if (quote != '"' && quote != '\'') return "unquoted attribute " + attribute;
      const auto value_end = doc.find(quote, eq + 2);
      if (value_end == std::string_view::npos) return "unterminated attribute " + attribute;
      if (auto problem = text_problem(doc.substr(eq + 2, value_end - eq - 2)); !problem.empty()) return problem;
      i = value_end + 1;
    }
  }
  if (!open.empty()) return "unclosed <" + open.back() + ">";
  if (roots != 1) return "no root element";
  return {};
}

std::size_t count(const std::string& text, std::string_view what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::size_t marks(const std::string& svg) {
  return count(svg, "<circle class=\"pair\"") + count(svg, "<circle class=\"pair flagged\"");
}

Report read(const plot_test::Fixture& fixture) {
  auto result = read_report(plot_test::report_text(fixture));
  EXPECT_TRUE(result.report) << result.error;
  return result.report.value_or(Report{});
}

TEST(XmlChecker, CatchesTheFaultsItIsThereFor) {
  EXPECT_EQ(xml_problem("<?xml version=\"1.0\"?>\n<svg a=\"1\"><g/><text>a &amp; b</text></svg>\n"), "");
  for (const char* bad : {"<svg><g></svg>", "<svg/><svg/>", "<svg>a < b</svg>", "<svg>a & b</svg>",
                          "<svg a=1/>", "<svg a=\"<\"/>", "<svg a=\"1\" a=\"2\"/>", "<svg>", "x<svg/>"}) {
    EXPECT_NE(xml_problem(bad), "") << bad;
  }
}

TEST(SvgPlot, DrawsEveryPairAndLabelsTheFlaggedOnes) {
  auto fixture = plot_test::fixture_with_outliers();
  fixture.trait_name = "<BMI>&'\"";
  const Report report = read(fixture);
  const std::string svg = render_svg(report);

  EXPECT_EQ(xml_problem(svg), "");
  EXPECT_EQ(marks(svg), report.pairs.size());
  EXPECT_EQ(count(svg, "<circle class=\"pair flagged\""), 2u);
  EXPECT_EQ(count(svg, "class=\"flag-label\""), 2u);
  EXPECT_NE(svg.find(">fam 3: 7, 8</text>"), std::string::npos);
  EXPECT_NE(svg.find(">fam 12: 4, 5</text>"), std::string::npos);
  EXPECT_NE(svg.find(">fam 3, id 7</text>"), std::string::npos);
  EXPECT_NE(svg.find(">fam 12, id 4</text>"), std::string::npos);
  EXPECT_NE(svg.find(">&lt;BMI&gt;&amp;&apos;&quot;: 4 pairs, 2 flagged, 2 outliers</text>"), std::string::npos);
  EXPECT_EQ(count(svg, "<line class=\"band\""), 3u);  // two band lines and the legend's
  EXPECT_EQ(count(svg, "<line class=\"mark-threshold\""), 1u);
  EXPECT_EQ(count(svg, "<line class=\"mark-mean\""), 1u);
  EXPECT_GT(count(svg, "<rect class=\"bar\""), 0u);
}

TEST(SvgPlot, ReportWithoutPairsGivesEmptyPanels) {
  const Report report = read(plot_test::fixture_without_pairs());
  const std::string svg = render_svg(report);
  EXPECT_EQ(xml_problem(svg), "");
  EXPECT_EQ(marks(svg), 0u);
  EXPECT_NE(svg.find(": 0 pairs, 0 flagged, 0 outliers</text>"), std::string::npos);
  EXPECT_EQ(count(svg, ">no pairs to plot<"), 2u);
  EXPECT_EQ(count(svg, "<rect class=\"bar\""), 0u);
  EXPECT_EQ(count(svg, "<line class=\"band\""), 1u);  // the legend's only
  EXPECT_EQ(count(svg, "<line class=\"mark-threshold\""), 0u);
  EXPECT_EQ(describe(count_pairs(report)), "0 pairs, 0 flagged, 0 outliers");
}

TEST(SvgPlot, PairsWithoutFiniteValuesAreLeftOutAndCounted) {
  plot_test::Fixture fixture = plot_test::fixture_with_outliers();
  fixture.outliers = {{"5", "1"}};
  fixture.pairs = {
      {"4", "1", "2", "3", "4", "0.2428E+02", "0.2775E+02", "0.1201E+02"},
      {"5", "1", "2", "1", "2", "NaN", "0.2775E+02", "NaN"},
      {"6", "1", "2", "1", "2", "+Inf", "0.2000E+02", "+Inf"},  // flagged, yet not drawable
      {"********", "1", "2", "1", "2", "0.1000E+01", "0.2000E+01", "0.1000E+01"},
  };
  const Report report = read(fixture);
  const std::string svg = render_svg(report);
  EXPECT_EQ(xml_problem(svg), "");
  EXPECT_EQ(marks(svg), 2u);
  EXPECT_EQ(count(svg, "class=\"flag-label\""), 0u);
  EXPECT_NE(svg.find(">2 pairs left out of a panel"), std::string::npos);
  EXPECT_EQ(describe(count_pairs(report)),
            "4 pairs, 1 flagged, 1 outlier, 2 not plotted (NaN, Inf or unreadable values)");
}

TEST(SvgPlot, FlaggedMeansAboveTheReportedThreshold) {
  const double inf = INFINITY;
  const struct {
    double d2, threshold;
    bool flagged;
  } cases[] = {{93.4, 93.39, true}, {93.39, 93.39, false}, {NAN, 1, false}, {5, NAN, false}, {inf, 93.39, true}};
  for (const auto& c : cases) {
    PairRow pair;
    pair.d2 = c.d2;
    EXPECT_EQ(is_flagged(pair, c.threshold), c.flagged) << c.d2 << " vs " << c.threshold;
  }
}

}  // namespace
}  // namespace plot
