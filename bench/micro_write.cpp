// Writing the report: shortest digits, e12.4 fields and a whole pair row.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "recordio/edited_output.h"
#include "recordio/number_fields.h"
#include "recordio/output_item.h"
#include "recordio/shortest_digits.h"

namespace {

// Traits and squared differences of the kind a report holds.
std::vector<float> report_values() {
  std::vector<float> values;
  for (int k = 0; k < 1024; ++k) {
    const float height = 150.0f + static_cast<float>((k * 7919) % 500) / 10.0f;
    values.push_back(height);
    values.push_back((height - 170.0f) * (height - 170.0f));
  }
  return values;
}

void BM_ShortestDigits(benchmark::State& state) {
  const std::vector<float> values = report_values();
  for (auto _ : state) {
    for (float v : values) benchmark::DoNotOptimize(recordio::shortest_digits(v));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_ShortestDigits);

void BM_ExponentField(benchmark::State& state) {
  const std::vector<float> values = report_values();
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (float v : values) recordio::append_exponent_field(out, v, 12, 4);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_ExponentField);

void BM_PairRow(benchmark::State& state) {
  const std::vector<float> values = report_values();
  std::string out;
  std::string error;
  std::size_t k = 0;
  for (auto _ : state) {
    out.clear();
    const float tr_1 = values[k % values.size()];
    const float tr_2 = values[(k + 2) % values.size()];
    const float d2 = (tr_1 - tr_2) * (tr_1 - tr_2);
    const recordio::OutputItem items[] = {
        std::int32_t{1234}, std::int32_t{1}, std::int32_t{2},
        std::int32_t{7},    std::int32_t{9}, tr_1, tr_2, d2};
    recordio::write_edited_records(out, "(5i8,2e12.4,e11.4)", items, error);
    benchmark::DoNotOptimize(out.data());
    ++k;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PairRow);

}  // namespace
