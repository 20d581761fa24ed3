// Reading pedigree records: the free-format reader over a stream in memory,
// and the decimal-to-real conversion under it.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recordio/decimal_to_float.h"
#include "recordio/free_input.h"
#include "recordio/input_source.h"

namespace {

// Records shaped like a family study: small identifiers, heights with one
// decimal, now and then the missing code.
std::string pedigree_records(int count) {
  std::string text;
  for (int r = 0; r < count; ++r) {
    const int fam = 1 + r / 6;
    const int id = 1 + r % 6;
    const bool founder = id <= 2;
    text += std::to_string(fam) + ' ' + std::to_string(id) + ' ' +
            (founder ? "0 0 " : "1 2 ") + (id % 2 == 1 ? "1 " : "2 ");
    if (r % 31 == 0) {
      text += "-9\n";
    } else {
      const int tenths = 1550 + (r * 7919) % 300;
      text += std::to_string(tenths / 10) + '.' + std::to_string(tenths % 10) + '\n';
    }
  }
  return text;
}

void BM_ListReadRecords(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string text = pedigree_records(count);
  for (auto _ : state) {
    state.PauseTiming();
    recordio::InputSource source = recordio::InputSource::from_bytes(text);
    state.ResumeTiming();
    std::int32_t fam, id, fa, mo, sex;
    float trait;
    for (;;) {
      recordio::ListRead read(source);
      read.integer(fam);
      read.integer(id);
      read.integer(fa);
      read.integer(mo);
      read.integer(sex);
      read.real(trait);
      if (read.finish() != recordio::ReadStatus::ok) break;
      benchmark::DoNotOptimize(trait);
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ListReadRecords)->Arg(30000);

struct Decimal {
  bool negative;
  std::string_view digits;
  std::int64_t exponent;
};

// Heights, the missing code, and numbers that need the exact comparison.
const std::vector<Decimal> kHeights = {
    {false, "1735", -1}, {false, "1812", -1}, {true, "9", 0},
    {false, "15990", -2}, {false, "1636", -1}, {false, "17700", -2}};
const std::vector<Decimal> kHard = {
    {false, "16777217", 0},
    {false, "340282356779733661637539395458142568448", 0},
    {false, "1401298464324817070923729583289916131280", -84},
    {false, "78058863791923300000000000000000000000000001", -42}};

void run_conversions(benchmark::State& state, const std::vector<Decimal>& cases) {
  for (auto _ : state) {
    for (const Decimal& d : cases)
      benchmark::DoNotOptimize(recordio::decimal_to_float(d.negative, d.digits, d.exponent));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(cases.size()));
}

void BM_DecimalToFloatHeights(benchmark::State& state) { run_conversions(state, kHeights); }
void BM_DecimalToFloatHard(benchmark::State& state) { run_conversions(state, kHard); }
BENCHMARK(BM_DecimalToFloatHeights);
BENCHMARK(BM_DecimalToFloatHard);

}  // namespace
