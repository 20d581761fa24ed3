#pragma once
// The run's shared state: the answers, the tables and the results that the
// stages hand on to each other. It lives from the start to the end of the run.

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace analysis {

// Capacities, raised at build time with PEDSCREEN_ND and PEDSCREEN_NPAR.
#ifndef PEDSCREEN_ND
#define PEDSCREEN_ND 30000
#endif
#ifndef PEDSCREEN_NPAR
#define PEDSCREEN_NPAR 35000
#endif
inline constexpr std::int32_t ND = PEDSCREEN_ND;
inline constexpr std::int32_t NPAR = PEDSCREEN_NPAR;

// The code used when the user answers that no value is missing.
inline constexpr float MISSING_NONE = 999999.0f;

inline constexpr int kFileNameLength = 20;
inline constexpr int kTraitNameLength = 13;

static_assert(sizeof(long double) == 16 && __LDBL_MANT_DIG__ == 64,
              "pedscreen needs the x86-64 80-bit extended format "
              "(64-bit significand) for its arithmetic");

struct PedigreeRecord {
  std::int32_t fam = 0;
  std::int32_t id = 0;
  std::int32_t fa = 0;
  std::int32_t mo = 0;
  std::int32_t sex = 0;
  float trait = 0.0f;
};

struct TraitSummary {
  std::int32_t N = 0;
  float Min = 9999.0f;
  float Max = -9999.0f;
  float Mean = 0.0f;
  float Var = 0.0f;
  float SibCorr = 0.0f;
};

struct SibPair {
  std::int32_t fam = 0;
  std::int32_t fa = 0;
  std::int32_t mo = 0;
  std::int32_t id_1 = 0;
  std::int32_t id_2 = 0;
  float tr_1 = 0.0f;
  float tr_2 = 0.0f;
  float D2 = 0.0f;
};

// The parameters of the squared-difference distribution as reported, and the
// threshold at extended precision, which is what pairs are compared with.
struct D2Parameters {
  float expected = 0.0f;          // E(D2)
  float sd = 0.0f;                // SD(D2)
  float threshold = 0.0f;         // OutlierThreshold, E(D2)+4SD(D2)
  long double threshold_extended = 0.0L;
};

struct OutlierEntry {
  std::int32_t fam = 0;
  std::int32_t id = 0;
};

// A table obtained zeroed from the system in one piece (see run.cpp): pages
// that no row reaches are never touched, so they cost no memory.
struct FreeTable {
  void operator()(void* table) const { std::free(table); }
};
template <class Row>
using Table = std::unique_ptr<Row[], FreeTable>;

struct RunState {
  char file_name[kFileNameLength];    // blank-padded
  float missing_code = MISSING_NONE;
  std::int32_t record_count = 0;
  char trait_name[kTraitNameLength];  // blank-padded
  std::int32_t error_count = 0;

  Table<PedigreeRecord> records;        // rows 1..ND at [0..ND-1]
  TraitSummary summary;

  Table<SibPair> pairs;                 // NPAR rows
  std::int32_t pair_count = 0;
  D2Parameters d2;

  Table<OutlierEntry> outliers;         // NPAR entries
  std::int32_t outlier_count = 0;
};

}  // namespace analysis
