#include "plot/svg_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "plot/nice_scale.h"
#include "plot/xml_text.h"

namespace plot {
namespace {

constexpr double kWidth = 960;
constexpr double kHeight = 1030;
constexpr std::size_t kOutlierLines = 17;  // lines the outlier block shows

constexpr std::string_view kStyle = R"(
  text { font-family: sans-serif; font-size: 12px; fill: #222; }
  .title { font-size: 20px; font-weight: bold; }
  .panel-title, .heading { font-size: 14px; font-weight: bold; }
  .note { fill: #a33; }
  .frame { fill: none; stroke: #444; }
  .grid { stroke: #ddd; }
  .tick-label { font-size: 11px; }
  .identity { stroke: #777; }
  .band { stroke: #d08000; stroke-dasharray: 6 4; }
  .pair, .legend-pair { fill: #3465a4; fill-opacity: 0.6; }
  .flagged { fill: #cc0000; fill-opacity: 1; stroke: #000; }
  .flag-label { font-size: 10px; fill: #cc0000; }
  .bar { fill: #8aa6cc; stroke: #3465a4; }
  .mark-mean { stroke: #3465a4; stroke-width: 2; stroke-dasharray: 4 3; }
  .mark-threshold { stroke: #cc0000; stroke-width: 2; }
)";

// Coordinates to a hundredth of a pixel, shortest form.
std::string px(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::round(value * 100) / 100).ptr;
  return std::string(buffer, end);
}

// A value read from the report, in the report's own words for the special ones.
std::string value_text(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

std::string counted(std::size_t count, std::string_view noun) {
  return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

class Svg {
 public:
  std::string document;

  void line(double x1, double y1, double x2, double y2, std::string_view cls) {
    document += "<line class=\"" + std::string(cls) + "\" x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" +
                px(x2) + "\" y2=\"" + px(y2) + "\"/>\n";
  }
  void rect(double x, double y, double width, double height, std::string_view cls) {
    document += "<rect class=\"" + std::string(cls) + "\" x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"" +
                px(width) + "\" height=\"" + px(height) + "\"/>\n";
  }
  void circle(double x, double y, double r, std::string_view cls, std::string_view tooltip) {
    document += "<circle class=\"" + std::string(cls) + "\" cx=\"" + px(x) + "\" cy=\"" + px(y) + "\" r=\"" +
                px(r) + "\"><title>" + xml_text(tooltip) + "</title></circle>\n";
  }
  void text(double x, double y, std::string_view cls, std::string_view content,
            std::string_view anchor = "start") {
    document += "<text class=\"" + std::string(cls) + "\" x=\"" + px(x) + "\" y=\"" + px(y) +
                "\" text-anchor=\"" + std::string(anchor) + "\">" + xml_text(content) + "</text>\n";
  }
  void vertical_text(double x, double y, std::string_view cls, std::string_view content) {
    document += "<text class=\"" + std::string(cls) + "\" x=\"" + px(x) + "\" y=\"" + px(y) +
                "\" text-anchor=\"middle\" transform=\"rotate(-90 " + px(x) + " " + px(y) + ")\">" +
                xml_text(content) + "</text>\n";
  }
};

// A plotting area and the data scales it shows.
struct Frame {
  double left, top, width, height;
  Scale x, y;

  double to_x(double value) const { return left + (value - x.lo) / (x.hi - x.lo) * width; }
  double to_y(double value) const { return top + height - (value - y.lo) / (y.hi - y.lo) * height; }
  double bottom() const { return top + height; }
  double right() const { return left + width; }
};

void draw_axes(Svg& svg, const Frame& frame, std::string_view x_title, std::string_view y_title) {
  for (const double tick : ticks(frame.x)) {
    const double x = frame.to_x(tick);
    svg.line(x, frame.top, x, frame.bottom(), "grid");
    svg.text(x, frame.bottom() + 16, "tick-label", tick_label(tick, frame.x.step), "middle");
  }
  for (const double tick : ticks(frame.y)) {
    const double y = frame.to_y(tick);
    svg.line(frame.left, y, frame.right(), y, "grid");
    svg.text(frame.left - 6, y + 4, "tick-label", tick_label(tick, frame.y.step), "end");
  }
  svg.rect(frame.left, frame.top, frame.width, frame.height, "frame");
  svg.text(frame.left + frame.width / 2, frame.bottom() + 36, "axis-title", x_title, "middle");
  svg.vertical_text(frame.left - 62, frame.top + frame.height / 2, "axis-title", y_title);
}

void draw_empty_note(Svg& svg, const Frame& frame, std::string_view note) {
  svg.text(frame.left + frame.width / 2, frame.top + frame.height / 2, "note", note, "middle");
}

bool in_scatter(const PairRow& pair) { return std::isfinite(pair.tr_1) && std::isfinite(pair.tr_2); }

// The part of the line tr_2 = tr_1 + offset inside the square domain.
void draw_diagonal(Svg& svg, const Frame& frame, double offset, std::string_view cls) {
  const double from = std::max(frame.x.lo, frame.y.lo - offset);
  const double to = std::min(frame.x.hi, frame.y.hi - offset);
  if (from < to) svg.line(frame.to_x(from), frame.to_y(from + offset), frame.to_x(to), frame.to_y(to + offset), cls);
}

void draw_scatter(Svg& svg, const Report& report, const Frame& panel) {
  double lo = INFINITY, hi = -INFINITY;
  for (const auto& pair : report.pairs) {
    if (!in_scatter(pair)) continue;
    lo = std::min({lo, pair.tr_1, pair.tr_2});
    hi = std::max({hi, pair.tr_1, pair.tr_2});
  }
  // One scale for both axes, so that the identity line is the diagonal.
  Frame frame = panel;
  frame.x = frame.y = nice_scale(lo, hi, 6);
  draw_axes(svg, frame, "tr_1 (earlier sib in the file)", "tr_2 (later sib)");
  svg.text(frame.left, frame.top - 12, "panel-title", "Sib pairs: tr_2 against tr_1");
  if (lo > hi) return draw_empty_note(svg, frame, "no pairs to plot");

  draw_diagonal(svg, frame, 0, "identity");
  if (std::isfinite(report.threshold) && report.threshold >= 0) {
    const double half_width = std::sqrt(report.threshold);
    draw_diagonal(svg, frame, half_width, "band");
    draw_diagonal(svg, frame, -half_width, "band");
  }
  // Pairs with the same traits stand on one point: their labels are stacked
  // rather than printed over each other.
  struct Placed { double x, y, width; };
  std::vector<Placed> placed;
  auto free_spot = [&](double x, double y, double width) {
    for (bool moved = true; moved;) {
      moved = false;
      for (const Placed& p : placed) {
        if (std::abs(p.y - y) < 11 && x < p.x + p.width && p.x < x + width) {
          y = p.y + 11;
          moved = true;
        }
      }
    }
    placed.push_back({x, y, width});
    return y;
  };
  for (const auto& pair : report.pairs) {
    if (!in_scatter(pair)) continue;
    const bool flagged = is_flagged(pair, report.threshold);
    const double x = frame.to_x(pair.tr_1), y = frame.to_y(pair.tr_2);
    const std::string who = "fam " + pair.fam + ": " + pair.id_1 + ", " + pair.id_2;
    svg.circle(x, y, flagged ? 5 : 3.5, flagged ? "pair flagged" : "pair", who + ", D2 = " + value_text(pair.d2));
    if (flagged) {
      const double width = 6.0 * static_cast<double>(who.size());
      svg.text(x + 7, free_spot(x + 7, y - 7, width), "flag-label", who);
    }
  }
}

void draw_side_block(Svg& svg, const Report& report, double left, double top) {
  const auto& outliers = report.outliers;
  svg.text(left, top, "heading", "Within-family outliers (" + std::to_string(outliers.size()) + ")");
  double y = top + 20;
  if (outliers.empty()) svg.text(left, y, "outliers", "none");
  const std::size_t shown = outliers.size() > kOutlierLines ? kOutlierLines - 1 : outliers.size();
  for (std::size_t i = 0; i < shown; ++i, y += 16) {
    svg.text(left, y, "outliers", "fam " + outliers[i].fam + ", id " + outliers[i].id);
  }
  if (shown < outliers.size()) svg.text(left, y, "outliers", "... and " + std::to_string(outliers.size() - shown) + " more");

  y = top + 320;
  const auto& statistics = report.statistics;
  svg.text(left, y, "heading", "Squared differences D2");
  svg.text(left, y += 20, "parameters", "E(D2) = " + value_text(report.expected_d2));
  svg.text(left, y += 16, "parameters", "SD(D2) = " + value_text(report.sd_d2));
  svg.text(left, y += 16, "parameters", "threshold E(D2)+4SD(D2) = " + value_text(report.threshold));
  svg.text(left, y += 16, "parameters",
           "N = " + (statistics.n ? std::to_string(*statistics.n) : std::string("****")) +
               ", SibCorr = " + value_text(statistics.sib_corr));

  // Legend: each symbol sits on the middle of its text line.
  y += 34;
  svg.circle(left + 5, y - 4, 3.5, "legend-pair", "sib pair");
  svg.text(left + 16, y, "legend", "sib pair");
  y += 18;
  svg.circle(left + 5, y - 4, 5, "legend-pair flagged", "flagged pair");
  svg.text(left + 16, y, "legend", "flagged pair (D2 > threshold)");
  y += 18;
  svg.line(left, y - 4, left + 10, y - 4, "identity");
  svg.text(left + 16, y, "legend", "tr_1 = tr_2");
  y += 18;
  svg.line(left, y - 4, left + 10, y - 4, "band");
  svg.text(left + 16, y, "legend", "|tr_1 \xE2\x88\x92 tr_2| = \xE2\x88\x9A" "threshold");
}

void draw_marker(Svg& svg, const Frame& frame, double value, std::string_view cls, std::string_view label,
                 double label_y) {
  if (!std::isfinite(value) || value < frame.x.lo || value > frame.x.hi) return;
  const double x = frame.to_x(value);
  svg.line(x, frame.top, x, frame.bottom(), cls);
  const bool right_half = x > frame.left + frame.width / 2;
  svg.text(right_half ? x - 4 : x + 4, label_y, "marker-label", std::string(label) + " = " + value_text(value),
           right_half ? "end" : "start");
}

void draw_histogram(Svg& svg, const Report& report, const Frame& panel) {
  std::vector<double> values;
  for (const auto& pair : report.pairs) {
    if (std::isfinite(pair.d2)) values.push_back(pair.d2);
  }
  double lo = 0, hi = 0;
  for (const double v : {report.expected_d2, report.threshold}) {
    if (std::isfinite(v)) hi = std::max(hi, v);
  }
  for (const double v : values) lo = std::min(lo, v), hi = std::max(hi, v);
  if (hi <= lo) hi = lo + 1;  // nothing to show: an empty axis from zero

  // Bin edges are multiples of a 1-2-5 width: about 2 sqrt(n) bins, 10 to 50.
  const int bin_target = std::clamp(static_cast<int>(2 * std::sqrt(static_cast<double>(values.size()))), 10, 50);
  const Scale bins = nice_scale(lo, hi, bin_target);
  const auto bin_count = std::max<std::size_t>(1, std::llround((bins.hi - bins.lo) / bins.step));
  std::vector<std::size_t> counts(bin_count);
  for (const double v : values) {
    const auto bin = static_cast<std::size_t>(std::max(0.0, std::floor((v - bins.lo) / bins.step)));
    ++counts[std::min(bin, bin_count - 1)];
  }
  const auto highest = std::max<std::size_t>(1, *std::max_element(counts.begin(), counts.end()));

  Frame frame = panel;
  frame.x = nice_scale(bins.lo, bins.hi, 8);
  frame.y = nice_scale(0, static_cast<double>(highest), 5, 1);
  draw_axes(svg, frame, "D2 = (tr_1 \xE2\x88\x92 tr_2)\xC2\xB2", "pairs");
  svg.text(frame.left, frame.top - 12, "panel-title", "Distribution of D2");
  if (values.empty()) draw_empty_note(svg, frame, "no pairs to plot");
  for (std::size_t i = 0; i < bin_count; ++i) {
    if (counts[i] == 0) continue;
    const double x0 = frame.to_x(bins.lo + bins.step * static_cast<double>(i));
    const double x1 = frame.to_x(bins.lo + bins.step * static_cast<double>(i + 1));
    const double y = frame.to_y(static_cast<double>(counts[i]));
    svg.rect(x0, y, x1 - x0, frame.bottom() - y, "bar");
  }
  draw_marker(svg, frame, report.expected_d2, "mark-mean", "E(D2)", frame.top + 28);
  draw_marker(svg, frame, report.threshold, "mark-threshold", "threshold", frame.top + 14);
}

}  // namespace

bool is_flagged(const PairRow& pair, double threshold) { return pair.d2 > threshold; }

PlotCounts count_pairs(const Report& report) {
  PlotCounts counts;
  counts.pairs = report.pairs.size();
  counts.outliers = report.outliers.size();
  for (const auto& pair : report.pairs) {
    if (is_flagged(pair, report.threshold)) ++counts.flagged;
    if (!in_scatter(pair) || !std::isfinite(pair.d2)) ++counts.not_plotted;
  }
  return counts;
}

std::string describe(const PlotCounts& counts) {
  std::string text = counted(counts.pairs, "pair") + ", " + std::to_string(counts.flagged) + " flagged, " +
                     counted(counts.outliers, "outlier");
  if (counts.not_plotted > 0) {
    text += ", " + std::to_string(counts.not_plotted) + " not plotted (NaN, Inf or unreadable values)";
  }
  return text;
}

std::string render_svg(const Report& report) {
  Svg svg;
  svg.document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(kWidth) + "\" height=\"" + px(kHeight) +
                 "\" viewBox=\"0 0 " + px(kWidth) + " " + px(kHeight) + "\">\n<style>" + std::string(kStyle) +
                 "</style>\n";
  svg.document += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";

  const auto& trait = report.statistics.trait_name;
  const auto counts = count_pairs(report);
  svg.text(30, 34, "title",
           (trait.empty() ? std::string("trait") : trait) + ": " + counted(counts.pairs, "pair") + ", " +
               std::to_string(counts.flagged) + " flagged, " + counted(counts.outliers, "outlier"));
  const std::string missing =
      report.missing_value == "no" ? "no missing-value code" : "missing-value code " + report.missing_value;
  svg.text(30, 56, "subtitle", "pedscreen report on " + report.input_file + ", " + missing);
  if (counts.not_plotted > 0) {
    svg.text(30, 76, "note",
             counted(counts.not_plotted, "pair") + " left out of a panel: NaN, Inf or unreadable values");
  }

  draw_scatter(svg, report, {90, 110, 520, 520, {}, {}});
  draw_side_block(svg, report, 660, 120);
  draw_histogram(svg, report, {90, 720, 800, 240, {}, {}});
  svg.document += "</svg>\n";
  return std::move(svg.document);
}

}  // namespace plot
