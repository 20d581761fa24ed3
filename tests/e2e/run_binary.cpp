#include "e2e/run_binary.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

namespace {

std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void spit(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

}  // namespace

RunResult run_pedscreen(const RunSetup& setup) {
  char pattern[] = "/tmp/pedscreen-e2e-XXXXXX";
  std::filesystem::path dir = ::mkdtemp(pattern);
  for (const auto& [name, content] : setup.files) spit(dir / name, content);
  spit(dir / ".stdin", setup.input);

  pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    int in = ::open(".stdin", O_RDONLY);
    int out = ::open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execl(PEDSCREEN_BINARY, "pedscreen", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int wait_status = 0;
  ::waitpid(child, &wait_status, 0);

  RunResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  result.out = slurp(dir / ".stdout");
  result.err = slurp(dir / ".stderr");
  if (std::filesystem::exists(dir / "outlier.out") &&
      std::filesystem::is_regular_file(dir / "outlier.out"))
    result.report = slurp(dir / "outlier.out");
  result.directory = dir.string();
  if (!setup.keep_directory) std::filesystem::remove_all(dir);
  return result;
}

bool matches_stderr(const std::string& expected, const std::string& actual) {
  std::istringstream want(expected), got(actual);
  std::string a, b;
  for (;;) {
    bool more_a = static_cast<bool>(std::getline(want, a));
    bool more_b = static_cast<bool>(std::getline(got, b));
    if (more_a != more_b) return false;
    if (!more_a) break;
    std::size_t star = a.find("At line * ");
    if (star == std::string::npos) {
      if (a != b) return false;
      continue;
    }
    // "At line <digits> " then the rest must agree.
    std::string prefix = a.substr(0, star + 8);
    if (b.compare(0, prefix.size(), prefix) != 0) return false;
    std::size_t i = prefix.size(), digits = 0;
    while (i < b.size() && b[i] >= '0' && b[i] <= '9') ++i, ++digits;
    if (digits == 0 || b.substr(i) != a.substr(star + 9)) return false;
  }
  // Both must end with a line feed or both without.
  return expected.empty() == actual.empty() &&
         (expected.empty() || expected.back() == actual.back());
}

void remove_directory(const std::string& path) { std::filesystem::remove_all(path); }

}  // namespace e2e
