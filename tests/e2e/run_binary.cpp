#include "e2e/run_binary.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
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

// A fixed, old modification time, so that any write by the run shows.
constexpr time_t kOldTime = 978307200;  // 2001-01-01

void age(const std::filesystem::path& path) {
  const timespec times[2] = {{kOldTime, 0}, {kOldTime, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

bool old_enough(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && info.st_mtim.tv_sec == kOldTime &&
         info.st_mtim.tv_nsec == 0;
}

bool same_bytes(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::ifstream one(a, std::ios::binary), two(b, std::ios::binary);
  std::string x(1 << 16, '\0'), y(1 << 16, '\0');
  while (one && two) {
    one.read(x.data(), std::streamsize(x.size()));
    two.read(y.data(), std::streamsize(y.size()));
    if (one.gcount() != two.gcount() ||
        x.compare(0, std::size_t(one.gcount()), y, 0, std::size_t(two.gcount())) != 0)
      return false;
  }
  return !one && !two;
}

void limit(int resource, std::uint64_t bytes) {
  if (bytes == 0) return;
  const rlimit value{bytes, bytes};
  if (::setrlimit(resource, &value) != 0) ::_exit(kCouldNotStart);
}

// In the child: the run's own user, when the directory must be read-only to
// it even though the tests run as root.
void become_nobody_if_root() {
  if (::geteuid() != 0) return;
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr || ::setgroups(0, nullptr) != 0 ||
      ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
    ::_exit(kCouldNotStart);
}

[[noreturn]] void start_child(const RunSetup& setup, const std::filesystem::path& dir,
                              int broken_pipe) {
  if (::chdir(dir.c_str()) != 0) ::_exit(kCouldNotStart);
  int in = ::open(".stdin", O_RDONLY);
  int out = ::open(".stdout", O_WRONLY | O_TRUNC);
  int err = ::open(".stderr", O_WRONLY | O_TRUNC);
  if (in < 0 || out < 0 || err < 0) ::_exit(kCouldNotStart);
  ::dup2(err, 2);
  if (setup.stdin_as == Stream::closed) ::close(0);
  else ::dup2(in, 0);
  if (setup.stdout_as == Stream::closed) ::close(1);
  else ::dup2(setup.stdout_as == Stream::broken_pipe ? broken_pipe : out, 1);
  for (int fd : {in, out, err, broken_pipe})
    if (fd > 2) ::close(fd);
  limit(RLIMIT_AS, setup.address_space_limit);
  limit(RLIMIT_FSIZE, setup.file_size_limit);
  if (setup.read_only_directory) become_nobody_if_root();
  ::execl(setup.binary, "pedscreen", static_cast<char*>(nullptr));
  ::_exit(kCouldNotStart);
}

}  // namespace

RunResult run_pedscreen(const RunSetup& setup) {
  char pattern[] = "/tmp/pedscreen-e2e-XXXXXX";
  std::filesystem::path dir = ::mkdtemp(pattern);
  for (const auto& [name, content] : setup.files) {
    spit(dir / name, content);
    age(dir / name);
  }
  for (const auto& [name, source] : setup.copies) {
    std::filesystem::copy_file(source, dir / name);
    age(dir / name);
  }
  for (const auto& [name, target] : setup.links)
    std::filesystem::create_symlink(target, dir / name);
  spit(dir / ".stdin", setup.input);
  spit(dir / ".stdout", "");
  spit(dir / ".stderr", "");
  if (setup.read_only_directory) {
    // Everyone may read and enter, nobody but root may write.
    ::chmod(dir.c_str(), 0555);
    for (const char* own : {".stdout", ".stderr"}) ::chmod((dir / own).c_str(), 0666);
  }

  int pipe_ends[2] = {-1, -1};
  if (setup.stdout_as == Stream::broken_pipe && ::pipe(pipe_ends) == 0)
    ::close(pipe_ends[0]);  // the reader is gone before the run writes
  pid_t child = ::fork();
  if (child == 0) start_child(setup, dir, pipe_ends[1]);
  if (pipe_ends[1] >= 0) ::close(pipe_ends[1]);
  int wait_status = 0;
  rusage usage{};
  ::wait4(child, &wait_status, 0, &usage);
  if (setup.read_only_directory) ::chmod(dir.c_str(), 0700);

  RunResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  result.peak_rss_kb = usage.ru_maxrss;
  result.out = slurp(dir / ".stdout");
  result.err = slurp(dir / ".stderr");
  if (std::filesystem::exists(dir / "outlier.out") &&
      std::filesystem::is_regular_file(dir / "outlier.out"))
    result.report = slurp(dir / "outlier.out");
  for (const auto& [name, content] : setup.files)
    if (!old_enough(dir / name) || slurp(dir / name) != content)
      result.changed_files.push_back(name);
  for (const auto& [name, source] : setup.copies)
    if (!old_enough(dir / name) || !same_bytes(dir / name, source))
      result.changed_files.push_back(name);
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
