#include "analysis/structure_checks.h"

#include <chrono>
#include <random>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "random_pedigree.h"

namespace analysis {
namespace {

using Kind = StructureError::Kind;
// kind, person, sex, role column, line i, line j
using Error = std::tuple<Kind, std::int32_t, std::int32_t, int, std::int32_t,
                         std::int32_t>;

std::vector<Error> check(const std::vector<PedigreeRecord>& rows) {
  std::vector<Error> errors;
  const std::int32_t count = check_structure(
      rows.data(), static_cast<std::int32_t>(rows.size()),
      [&](const StructureError& e) {
        errors.emplace_back(e.kind, e.person, e.sex, e.role_column, e.line_i,
                            e.line_j);
      });
  EXPECT_EQ(count, static_cast<std::int32_t>(errors.size()));
  return errors;
}

Error sex_code(std::int32_t person, std::int32_t sex, std::int32_t line) {
  return {Kind::sex_code, person, sex, 0, line, 0};
}
Error role(std::int32_t person, std::int32_t sex, std::int32_t line,
           std::int32_t named_in) {
  return {Kind::parent_role, person, sex, sex == 1 ? 4 : 3, line, named_in};
}
Error duplicate(std::int32_t person, std::int32_t sex, std::int32_t a,
                std::int32_t b) {
  return {Kind::duplicate, person, sex, 0, a, b};
}

struct StructureCase {
  const char* name;
  std::vector<PedigreeRecord> rows;  // fam, id, fa, mo, sex
  std::vector<Error> expected;
};

TEST(StructureChecks, Errors) {
  const std::vector<StructureCase> cases = {
      {"sound pedigree",
       {{1, 1, 0, 0, 1}, {1, 2, 0, 0, 2}, {1, 3, 1, 2, 1}}, {}},
      {"bad sex codes, no role lines for them",
       {{1, 1, 0, 0, 0}, {1, 2, 0, 0, -1}, {1, 4, 1, 1, 1}, {1, 5, 2, 2, 3}},
       {sex_code(1, 0, 1), sex_code(2, -1, 2), sex_code(5, 3, 4)}},
      {"female father of three children, in line order",
       {{1, 10, 7, 0, 1}, {1, 7, 0, 0, 2}, {1, 11, 7, 0, 2}, {1, 12, 0, 0, 1},
        {1, 13, 7, 0, 1}},
       {role(7, 2, 2, 1), role(7, 2, 2, 3), role(7, 2, 2, 5)}},
      {"male mother", {{1, 4, 0, 0, 1}, {1, 5, 0, 4, 1}}, {role(4, 1, 1, 2)}},
      {"own id as both parents, male",
       {{1, 3, 3, 3, 1}}, {role(3, 1, 1, 1)}},
      {"own id as both parents, female",
       {{1, 3, 3, 3, 2}}, {role(3, 2, 1, 1)}},
      {"parent in another family not compared",
       {{1, 5, 0, 0, 2}, {2, 6, 5, 0, 1}}, {}},
      {"family recurring later in the file is compared",
       {{1, 5, 0, 0, 2}, {2, 6, 0, 0, 1}, {1, 6, 5, 0, 1}},
       {role(5, 2, 1, 3)}},
      {"id 0 is an ordinary identifier",
       {{1, 0, 0, 0, 2}, {1, 2, 0, 1, 1}},
       {role(0, 2, 1, 1), role(0, 2, 1, 2)}},
      {"listed three times",
       {{1, 7, 0, 0, 1}, {1, 8, 0, 0, 1}, {1, 7, 0, 0, 1}, {1, 7, 0, 0, 1}},
       {duplicate(7, 1, 1, 3), duplicate(7, 1, 1, 4), duplicate(7, 1, 3, 4)}},
      {"same id in two families is no duplicate",
       {{1, 7, 0, 0, 1}, {2, 7, 0, 0, 1}}, {}},
      {"duplicate in a wrong role, role lines in each group",
       {{1, 4, 0, 0, 2}, {1, 9, 4, 0, 1}, {1, 4, 0, 0, 2}},
       {role(4, 2, 1, 2), duplicate(4, 2, 1, 3), role(4, 2, 3, 2)}},
      {"bad sex code still reports its duplicates",
       {{1, 4, 0, 0, 9}, {1, 4, 0, 0, 1}},
       {sex_code(4, 9, 1), duplicate(4, 9, 1, 2)}},
      {"no records", {}, {}},
  };
  for (const StructureCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(check(c.rows), c.expected);
  }
}

TEST(StructureChecks, LargeSingleFamilyIsFast) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<PedigreeRecord> rows;
  for (std::int32_t k = 0; k < ND; ++k)
    rows.push_back({1, k + 1, k / 2 + 1, k / 2 + 2, k % 2 + 1});
  // Parents are the family's own ids whatever their sex, so about half of
  // the roles are wrong.
  std::int32_t errors = 0;
  const std::int32_t count = check_structure(
      rows.data(), ND, [&](const StructureError&) { ++errors; });
  EXPECT_EQ(count, errors);
  EXPECT_GT(count, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// The checks exactly as stated, record by record against the whole file.
std::vector<Error> literal_check(const std::vector<PedigreeRecord>& rows) {
  std::vector<Error> errors;
  const auto n = static_cast<std::int32_t>(rows.size());
  for (std::int32_t i = 0; i < n; ++i) {
    const PedigreeRecord& r = rows[i];
    if (r.sex != 1 && r.sex != 2) {
      errors.push_back(sex_code(r.id, r.sex, i + 1));
    } else {
      for (std::int32_t j = 0; j < n; ++j) {
        if (rows[j].fam != r.fam) continue;
        if (rows[j].fa == r.id && r.sex != 1)
          errors.emplace_back(Kind::parent_role, r.id, r.sex, 3, i + 1, j + 1);
        if (rows[j].mo == r.id && r.sex != 2)
          errors.emplace_back(Kind::parent_role, r.id, r.sex, 4, i + 1, j + 1);
      }
    }
    for (std::int32_t j = i + 1; j < n; ++j)
      if (rows[j].fam == r.fam && rows[j].id == r.id)
        errors.push_back(duplicate(r.id, r.sex, i + 1, j + 1));
  }
  return errors;
}

TEST(StructureChecks, MatchesTheLiteralLoopOnRandomPedigrees) {
  std::mt19937 rng(7);
  for (int round = 0; round < 4000; ++round) {
    const auto rows = testing::random_pedigree(rng);
    ASSERT_EQ(check(rows), literal_check(rows)) << round;
  }
}

}  // namespace
}  // namespace analysis
