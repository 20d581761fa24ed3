#pragma once
// Runs the real pedscreen binary in a fresh temporary directory with given
// standard input and files, and collects everything it leaves behind.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct RunResult {
  std::string out;                    // standard output
  std::string err;                    // standard error
  int status = -1;                    // exit status (-1: killed by a signal)
  std::optional<std::string> report;  // outlier.out, if it exists
  std::string directory;              // the working directory of the run
  long peak_rss_kb = 0;               // the run's peak resident memory
  // The given files whose bytes or modification time the run changed.
  std::vector<std::string> changed_files;
};

// How a standard stream of the run is connected.
enum class Stream {
  file,         // standard input from RunSetup::input; output collected
  closed,       // no descriptor at all
  broken_pipe,  // (output only) a pipe whose reader has gone
};

inline constexpr int kCouldNotStart = 127;  // exit status when the binary did not start

struct RunSetup {
  std::string input;                           // standard input bytes
  std::map<std::string, std::string> files;    // name -> content, in the directory
  bool keep_directory = false;                 // leave it for the caller to inspect
  Stream stdin_as = Stream::file;
  Stream stdout_as = Stream::file;
  std::map<std::string, std::string> links{};  // name -> target of a symbolic link
  // name -> an existing file copied in, for files too large to hold in memory
  std::map<std::string, std::string> copies{};
  // The directory is not writable for the run (as user nobody when the
  // tests run as root); the files in it stay readable.
  bool read_only_directory = false;
  std::uint64_t address_space_limit = 0;       // RLIMIT_AS in bytes; 0: none
  std::uint64_t file_size_limit = 0;           // RLIMIT_FSIZE in bytes; 0: none
  const char* binary = PEDSCREEN_BINARY;       // the program to run
};

RunResult run_pedscreen(const RunSetup& setup);

// Compares standard error line by line; an expected line may hold "*" in
// place of a statement's line number ("At line * of file ...").
bool matches_stderr(const std::string& expected, const std::string& actual);

// Removes a directory made by run_pedscreen with keep_directory.
void remove_directory(const std::string& path);

}  // namespace e2e
