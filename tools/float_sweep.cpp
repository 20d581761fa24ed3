// Checks the shortest digits, the free-format text and the f13.4, E11.4 and
// e12.4 fields of 4-byte reals against exact expectations, for every bit
// pattern (default) or a sample of them (--sample).
//
//   float_sweep [--sample [PER_EXPONENT]] [--threads N] [--from A] [--to B]
//
// A and B bound the non-negative patterns checked (0 to 0x80000000, hex or
// decimal); each one is checked together with its negative, so two processes
// can split the work with --from/--to.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/float_checks.h"

namespace {

struct Options {
  bool sample = false;
  int per_exponent = 1000;
  int threads = 2;
  std::uint64_t from = 0;
  std::uint64_t to = 0x80000000ull;
};

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const bool has_value = i + 1 < argc;
    if (std::strcmp(a, "--sample") == 0) {
      o.sample = true;
      if (has_value && argv[i + 1][0] != '-') o.per_exponent = std::atoi(argv[++i]);
    } else if (std::strcmp(a, "--threads") == 0 && has_value) {
      o.threads = std::atoi(argv[++i]);
    } else if (std::strcmp(a, "--from") == 0 && has_value) {
      o.from = std::strtoull(argv[++i], nullptr, 0);
    } else if (std::strcmp(a, "--to") == 0 && has_value) {
      o.to = std::strtoull(argv[++i], nullptr, 0);
    } else {
      return false;
    }
  }
  if (o.threads < 1) o.threads = 1;
  if (o.to > 0x80000000ull) o.to = 0x80000000ull;
  return o.from <= o.to && o.per_exponent >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: float_sweep [--sample [PER_EXPONENT]] [--threads N] "
                 "[--from A] [--to B]\n");
    return 2;
  }
  std::vector<std::uint32_t> sample;
  std::uint64_t count = options.to - options.from;
  if (options.sample) {
    sample = float_checks::sample_patterns(options.per_exponent);
    count = sample.size();
  }
  auto pattern = [&](std::uint64_t i) {
    return options.sample ? sample[i] : std::uint32_t(options.from + i);
  };

  const auto start = std::chrono::steady_clock::now();
  constexpr std::uint64_t kChunk = 1 << 16;
  std::atomic<std::uint64_t> next{0}, done{0};
  std::mutex merge;
  float_checks::Tally total;
  auto work = [&] {
    float_checks::Tally tally;
    float_checks::Scratch scratch;
    for (;;) {
      const std::uint64_t begin = next.fetch_add(kChunk);
      if (begin >= count) break;
      const std::uint64_t end = begin + kChunk < count ? begin + kChunk : count;
      for (std::uint64_t i = begin; i < end; ++i)
        float_checks::check_pair(pattern(i), tally, scratch);
      done += end - begin;
    }
    std::lock_guard lock(merge);
    total.add(tally);
  };
  std::vector<std::thread> workers;
  for (int t = 0; t < options.threads; ++t) workers.emplace_back(work);

  auto seconds = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
        .count();
  };
  while (done.load() < count) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    static double last = 0;
    if (seconds() - last >= 30) {
      last = seconds();
      const double part = double(done.load()) / double(count);
      std::fprintf(stderr, "%5.1f%% of %llu patterns, %.0f s, about %.0f s to go\n",
                   100 * part, (unsigned long long)count, last,
                   part > 0 ? last * (1 - part) / part : 0.0);
    }
  }
  for (auto& w : workers) w.join();

  for (const auto& e : total.examples) std::printf("%s\n", e.c_str());
  std::printf("float_sweep: %llu values checked (%s), %llu differences",
              (unsigned long long)total.values, options.sample ? "sample" : "range",
              (unsigned long long)total.total());
  for (int k = 0; k < float_checks::kKinds; ++k)
    std::printf("%s %s %llu", k == 0 ? " (" : ",", float_checks::kind_name(k),
                (unsigned long long)total.differences[k]);
  std::printf("), %.1f s\n", seconds());
  return total.total() == 0 ? 0 : 1;
}
