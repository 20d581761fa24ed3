#include "analysis/structure_checks.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace analysis {

namespace {

using Column = std::int32_t PedigreeRecord::*;

// (fam, value) as one unsigned key that sorts like the signed pair.
std::uint64_t family_key(std::int32_t fam, std::int32_t value) {
  const auto biased = [](std::int32_t v) {
    return static_cast<std::uint32_t>(v) ^ 0x80000000u;
  };
  return (std::uint64_t{biased(fam)} << 32) | biased(value);
}

// Row indices sorted by (fam, column, row): the rows of one family that carry
// a given value in the column form one run, in file order. The keys are
// packed beside the rows, so that sorting and searching touch one array.
class ColumnIndex {
 public:
  ColumnIndex(const PedigreeRecord* rows, std::int32_t n, Column column)
      : entries_(static_cast<std::size_t>(n)) {
    for (std::int32_t r = 0; r < n; ++r)
      entries_[r] = {family_key(rows[r].fam, rows[r].*column), r};
    sort_by_family();
  }

  std::size_t size() const { return entries_.size(); }
  std::uint64_t key(std::size_t p) const { return entries_[p].key; }
  std::int32_t row(std::size_t p) const { return entries_[p].row; }

  bool matches(std::size_t p, std::uint64_t key) const {
    return p < entries_.size() && entries_[p].key == key;
  }

 private:
  struct Entry {
    std::uint64_t key;
    std::int32_t row;
  };

  static bool before(const Entry& a, const Entry& b) {
    return a.key != b.key ? a.key < b.key : a.row < b.row;
  }
  static std::uint64_t family(const Entry& e) { return e.key >> 32; }

  // Records come grouped by family, usually with the families in order: each
  // family's run is sorted on its own (often it already is). Runs out of
  // family order (a family split into blocks, families not sorted) are then
  // laid out by family, the runs of one family merged.
  void sort_by_family() {
    struct Run {
      std::uint64_t family;
      std::size_t first, last;
    };
    std::vector<Run> runs;
    bool families_in_order = true;
    for (std::size_t first = 0; first < entries_.size();) {
      const std::uint64_t fam = family(entries_[first]);
      std::size_t last = first;
      while (last < entries_.size() && family(entries_[last]) == fam) ++last;
      const auto begin = entries_.begin() + static_cast<std::ptrdiff_t>(first);
      const auto end = entries_.begin() + static_cast<std::ptrdiff_t>(last);
      if (!std::is_sorted(begin, end, before)) std::sort(begin, end, before);
      if (!runs.empty() && runs.back().family > fam) families_in_order = false;
      runs.push_back({fam, first, last});
      first = last;
    }
    if (families_in_order) return;
    std::stable_sort(runs.begin(), runs.end(),
                     [](const Run& a, const Run& b) { return a.family < b.family; });
    std::vector<Entry> sorted;
    sorted.reserve(entries_.size());
    std::size_t family_start = 0;
    for (std::size_t k = 0; k < runs.size(); ++k) {
      if (k == 0 || runs[k].family != runs[k - 1].family) family_start = sorted.size();
      const std::size_t middle = sorted.size();
      sorted.insert(sorted.end(),
                    entries_.begin() + static_cast<std::ptrdiff_t>(runs[k].first),
                    entries_.begin() + static_cast<std::ptrdiff_t>(runs[k].last));
      if (middle != family_start)
        std::inplace_merge(sorted.begin() + static_cast<std::ptrdiff_t>(family_start),
                           sorted.begin() + static_cast<std::ptrdiff_t>(middle),
                           sorted.end(), before);
    }
    entries_.swap(sorted);
  }

  std::vector<Entry> entries_;
};

class ErrorSink {
 public:
  explicit ErrorSink(const std::function<void(const StructureError&)>& report)
      : report_(report) {}

  void operator()(const StructureError& e) {
    report_(e);
    // Saturates rather than wraps should the capacities ever be raised far.
    if (count_ < std::numeric_limits<std::int32_t>::max()) ++count_;
  }

  std::int32_t count() const { return count_; }

 private:
  const std::function<void(const StructureError&)>& report_;
  std::int32_t count_ = 0;
};

bool valid_sex(std::int32_t s) { return s == 1 || s == 2; }

// For every row, where the rows naming its (fam, id) in `parents` start: one
// merge of the two sorted indexes instead of a search per row.
std::vector<std::size_t> parent_runs(const ColumnIndex& by_id,
                                     const ColumnIndex& parents) {
  std::vector<std::size_t> start(by_id.size());
  std::size_t q = 0;
  for (std::size_t p = 0; p < by_id.size(); ++p) {
    while (q < parents.size() && parents.key(q) < by_id.key(p)) ++q;
    start[static_cast<std::size_t>(by_id.row(p))] = q;
  }
  return start;
}

}  // namespace

std::int32_t check_structure(
    const PedigreeRecord* rows, std::int32_t n,
    const std::function<void(const StructureError&)>& report) {
  if (n <= 0) return 0;
  const ColumnIndex by_father(rows, n, &PedigreeRecord::fa);
  const ColumnIndex by_mother(rows, n, &PedigreeRecord::mo);
  const ColumnIndex by_id(rows, n, &PedigreeRecord::id);
  std::vector<std::size_t> id_position(static_cast<std::size_t>(n));
  for (std::size_t p = 0; p < id_position.size(); ++p)
    id_position[by_id.row(p)] = p;
  const std::vector<std::size_t> as_father = parent_runs(by_id, by_father);
  const std::vector<std::size_t> as_mother = parent_runs(by_id, by_mother);

  ErrorSink sink(report);
  for (std::int32_t i = 0; i < n; ++i) {
    const PedigreeRecord& r = rows[i];
    const std::int32_t line = i + 1;
    const std::uint64_t person = family_key(r.fam, r.id);
    if (!valid_sex(r.sex)) {
      sink({StructureError::Kind::sex_code, r.id, r.sex, 0, line, 0});
    } else {
      // A male can only be misplaced as a mother, a female only as a father,
      // so one column holds all of a person's role errors, already in order.
      const bool male = r.sex == 1;
      const ColumnIndex& wrong_role = male ? by_mother : by_father;
      const int column = male ? 4 : 3;
      for (std::size_t p = (male ? as_mother : as_father)[i];
           wrong_role.matches(p, person); ++p)
        sink({StructureError::Kind::parent_role, r.id, r.sex, column, line,
              wrong_role.row(p) + 1});
    }
    // Later records of the same person follow row i directly in the index.
    for (std::size_t p = id_position[i] + 1; by_id.matches(p, person); ++p)
      sink({StructureError::Kind::duplicate, r.id, r.sex, 0, line,
            by_id.row(p) + 1});
  }
  return sink.count();
}

}  // namespace analysis
