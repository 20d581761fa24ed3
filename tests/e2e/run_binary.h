#pragma once
// Runs the real pedscreen binary in a fresh temporary directory with given
// standard input and files, and collects everything it leaves behind.

#include <map>
#include <optional>
#include <string>

namespace e2e {

struct RunResult {
  std::string out;                    // standard output
  std::string err;                    // standard error
  int status = -1;                    // exit status (-1: killed by a signal)
  std::optional<std::string> report;  // outlier.out, if it exists
  std::string directory;              // the working directory of the run
};

struct RunSetup {
  std::string input;                           // standard input bytes
  std::map<std::string, std::string> files;    // name -> content, in the directory
  bool keep_directory = false;                 // leave it for the caller to inspect
};

RunResult run_pedscreen(const RunSetup& setup);

// Compares standard error line by line; an expected line may hold "*" in
// place of a statement's line number ("At line * of file ...").
bool matches_stderr(const std::string& expected, const std::string& actual);

// Removes a directory made by run_pedscreen with keep_directory.
void remove_directory(const std::string& path);

}  // namespace e2e
