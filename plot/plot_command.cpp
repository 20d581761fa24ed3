#include "plot/plot_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "plot/report_reader.h"
#include "plot/svg_plot.h"

namespace plot {
namespace {

constexpr std::string_view kUsage = "usage: pedscreen-plot OUTLIER.OUT PLOT.SVG\n";

std::string system_reason() { return std::strerror(errno); }

// The whole file, or empty with `error` set. stdio rather than streams: it
// reports the system's reason in errno.
std::optional<std::string> read_file(const std::string& path, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return error = system_reason(), std::nullopt;
  std::string text;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  const bool failed = std::ferror(file);
  if (failed) error = system_reason();
  std::fclose(file);
  if (failed) return std::nullopt;
  return text;
}

// Writes `text` to `path`. A partly written regular file is removed; a
// device or pipe given as the output is left alone.
bool write_file(const std::string& path, const std::string& text, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return error = system_reason(), false;
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (!written) error = system_reason();
  if (std::fclose(file) != 0 && written) written = false, error = system_reason();
  std::error_code ignored;
  if (!written && std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
  return written;
}

}  // namespace

int run_plot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
    out << kUsage;
    return 0;
  }
  if (args.size() == 1 && args[0] == "--version") {
    out << "pedscreen-plot " PEDSCREEN_VERSION "\n";
    return 0;
  }
  if (args.size() != 2 || args[0].empty() || args[1].empty()) {
    err << "pedscreen-plot: expected two arguments, the report and the SVG file to write\n" << kUsage;
    return 2;
  }
  const std::string& report_path = args[0];
  const std::string& svg_path = args[1];

  std::string error;
  const auto text = read_file(report_path, error);
  if (!text) {
    err << "pedscreen-plot: cannot read " << report_path << ": " << error << "\n";
    return 1;
  }
  const auto result = read_report(*text);
  if (!result.report) {
    err << "pedscreen-plot: " << report_path << ": " << result.error << "\n";
    return 1;
  }
  if (!write_file(svg_path, render_svg(*result.report), error)) {
    err << "pedscreen-plot: cannot write " << svg_path << ": " << error << "\n";
    return 1;
  }
  out << svg_path << ": " << describe(count_pairs(*result.report)) << "\n";
  return 0;
}

}  // namespace plot
