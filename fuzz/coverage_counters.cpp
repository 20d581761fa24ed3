// The coverage counters of the whole executable, laid out by the linker
// between these two symbols. They are named here, in a file without
// counters of its own: in an instrumented file the compiler's own reference
// to them would be renamed and the fuzzer would see no counters at all.
#include <cstdint>

extern "C" {
extern std::uint8_t __start___sancov_cntrs[] __attribute__((weak));
extern std::uint8_t __stop___sancov_cntrs[] __attribute__((weak));
}

__attribute__((no_sanitize("coverage"))) std::uint8_t* coverage_counters_begin() {
  return __start___sancov_cntrs;
}

__attribute__((no_sanitize("coverage"))) std::uint8_t* coverage_counters_end() {
  return __stop___sancov_cntrs;
}
