// Runs one command and reports its wall time, its peak resident memory and
// its exit status, so that timing needs neither the shell's `time` nor an
// external package.
//
//   measure_run RESULT_FILE COMMAND [ARGS...]
//
// The command inherits standard input, output and error. RESULT_FILE receives
// one line: wall seconds, processor seconds (user and system), peak resident
// set in KiB, and the exit status (128 plus the signal number for a command
// ended by a signal). On a shared machine the processor time is the steadier
// measure: it does not count the time the command waited for a core.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: measure_run RESULT_FILE COMMAND [ARGS...]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) {
    std::perror("fork");
    return 2;
  }
  if (child == 0) {
    ::execvp(argv[2], argv + 2);
    std::perror(argv[2]);
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (::wait4(child, &status, 0, &usage) < 0) {
    std::perror("wait4");
    return 2;
  }
  const std::chrono::duration<double> elapsed =
      std::chrono::steady_clock::now() - start;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);

  std::FILE* result = std::fopen(argv[1], "w");
  if (result == nullptr) {
    std::perror(argv[1]);
    return 2;
  }
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  const double processor = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  std::fprintf(result, "%.6f %.6f %ld %d\n", elapsed.count(), processor,
               usage.ru_maxrss, code);
  return std::fclose(result) == 0 ? 0 : 2;
}
