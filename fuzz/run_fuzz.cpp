// A whole run: the console answers and the pedigree file from the input, the
// run itself in a child process (it ends through exit, and it must start
// from the program's pristine state every time).
//
// The input is the answers, a backslash and one more byte, then the pedigree
// file's bytes (the split of FuzzedDataProvider::ConsumeRandomLengthString).
// The child writes its coverage counters back before it exits, so the fuzzer
// is guided by the run as if it had happened in its own process. A child that
// dies any other way (a sanitizer report, a signal, a hang) is a finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "analysis/run.h"

extern "C" [[noreturn]] void __real_exit(int status);

// fuzz/coverage_counters.cpp
std::uint8_t* coverage_counters_begin();
std::uint8_t* coverage_counters_end();

namespace {

struct Outcome {
  int ended_through_exit;
  int status;
};

constexpr int kHangSeconds = 20;

std::filesystem::path work_dir;
Outcome* outcome = nullptr;
std::uint8_t* counters_copy = nullptr;
bool in_child = false;

std::size_t counters_size() {
  return std::size_t(coverage_counters_end() - coverage_counters_begin());
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) std::abort();
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) std::abort();
    done += std::size_t(n);
  }
  ::close(fd);
}

void redirect(const char* path, int flags, int target) {
  int fd = ::open(path, flags, 0644);
  if (fd < 0 || ::dup2(fd, target) < 0) ::_exit(120);
  ::close(fd);
}

[[noreturn]] void run_child() {
  in_child = true;
  if (::chdir(work_dir.c_str()) != 0) ::_exit(120);
  redirect("answers", O_RDONLY, 0);
  redirect("/dev/null", O_WRONLY, 1);
  redirect("messages", O_WRONLY | O_CREAT | O_TRUNC, 2);
  std::signal(SIGALRM, SIG_DFL);  // the fuzzer's own timeout handler is the parent's
  ::alarm(kHangSeconds);
  analysis::run();
  std::abort();  // the run never returns
}

void show_child_messages() {
  std::string text;
  if (FILE* f = std::fopen((work_dir / "messages").c_str(), "rb")) {
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
      text.append(chunk, n);
    std::fclose(f);
  }
  std::fprintf(stderr, "--- the run's standard error ---\n%s--- end ---\n", text.c_str());
}

}  // namespace

// Every end of the run (stop, run-time error, storage failure) calls exit.
extern "C" void __wrap_exit(int status) {
  if (in_child) {
    if (counters_size() > 0)
      std::memcpy(counters_copy, coverage_counters_begin(), counters_size());
    outcome->ended_through_exit = 1;
    outcome->status = status;
    ::_exit(status);
  }
  __real_exit(status);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/pedscreen-run-fuzz-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) std::abort();
  work_dir = pattern;
  void* shared = ::mmap(nullptr, sizeof(Outcome) + counters_size(), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED) std::abort();
  outcome = static_cast<Outcome*>(shared);
  counters_copy = static_cast<std::uint8_t*>(shared) + sizeof(Outcome);
  std::atexit([] { std::filesystem::remove_all(work_dir); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string answers = input.ConsumeRandomLengthString(256);
  const std::string pedigree = input.ConsumeRemainingBytesAsString();

  for (const auto& entry : std::filesystem::directory_iterator(work_dir))
    std::filesystem::remove_all(entry.path());
  write_file(work_dir / "answers", answers);
  write_file(work_dir / "ped", pedigree);

  *outcome = Outcome{0, -1};
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) std::abort();
  if (child == 0) run_child();
  int wait_status = 0;
  while (::waitpid(child, &wait_status, 0) < 0)
    if (errno != EINTR) std::abort();

  if (!outcome->ended_through_exit) {
    show_child_messages();
    std::fprintf(stderr, "the run did not end through exit: %s %d\n",
                 WIFSIGNALED(wait_status) ? "signal" : "status",
                 WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : WEXITSTATUS(wait_status));
    std::abort();
  }
  if (outcome->status < 0 || outcome->status > 2) {
    show_child_messages();
    std::fprintf(stderr, "exit status %d\n", outcome->status);
    std::abort();
  }
  if (counters_size() > 0)
    std::memcpy(coverage_counters_begin(), counters_copy, counters_size());

  // The program never changes its input file.
  std::string after;
  if (FILE* f = std::fopen((work_dir / "ped").c_str(), "rb")) {
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) after.append(chunk, n);
    std::fclose(f);
  }
  if (after != pedigree) std::abort();
  return 0;
}
