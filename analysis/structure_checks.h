#pragma once
// Pedigree structure checks: sex codes, parents in the role that fits their
// sex, and individuals listed twice in one family.

#include <cstdint>
#include <functional>

#include "analysis/run_state.h"

namespace analysis {

struct StructureError {
  enum class Kind { sex_code, parent_role, duplicate };
  Kind kind;
  std::int32_t person;       // id of record line_i
  std::int32_t sex;          // sex of record line_i
  int role_column;           // parent_role only: 3 father, 4 mother
  std::int32_t line_i;       // 1-based row of the person checked
  std::int32_t line_j;       // parent_role: row naming the person as parent;
                             // duplicate: the later row; sex_code: 0
};

// Reports every error through `report` and returns their number. Errors come
// grouped by record i in file order: its sex-code error, or else its role
// errors by line j, then its duplicates by line j. A person's family is every
// record with the same fam anywhere in the file, not only in its block.
std::int32_t check_structure(
    const PedigreeRecord* rows, std::int32_t n,
    const std::function<void(const StructureError&)>& report);

}  // namespace analysis
