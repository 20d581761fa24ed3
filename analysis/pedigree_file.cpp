#include "analysis/pedigree_file.h"

#include <cstring>
#include <limits>

#include "analysis/trait_summary.h"
#include "recordio/plain_records.h"
#include "recordio/statements.h"

namespace analysis {

namespace {

// Six names; each goes into trait_name in turn, so the sixth is what stays.
void read_header(RunState& state, recordio::Unit& file) {
  std::memset(state.trait_name, ' ', kTraitNameLength);
  recordio::UnitRead read(file);
  for (int item = 0; item < 6; ++item)
    read.values().character(state.trait_name, kTraitNameLength);
  read.end();
}

// A record on a line of its own in plain numbers is taken straight from the
// buffer, as the read below would take it.
bool read_plain_record(recordio::Unit& file, PedigreeRecord& row) {
  std::int32_t values[5];
  float trait;
  if (!file.input || !recordio::read_plain_record(*file.input, values, 5, trait))
    return false;
  row.fam = values[0];
  row.id = values[1];
  row.fa = values[2];
  row.mo = values[3];
  row.sex = values[4];
  row.trait = trait;
  return true;
}

// One record: five integers and the trait. False at the end of the file,
// where a record cut short is dropped.
bool read_record(recordio::Unit& file, PedigreeRecord& row) {
  if (read_plain_record(file, row)) return true;
  recordio::UnitRead read(file);
  recordio::ListRead& values = read.values();
  values.integer(row.fam);
  values.integer(row.id);
  values.integer(row.fa);
  values.integer(row.mo);
  values.integer(row.sex);
  values.real(row.trait);
  return !read.end_at_end_of_file();
}

// Adds the plain records ahead in the file's current chunk to the count,
// which saturates rather than wraps.
std::int32_t count_beyond(std::int32_t count, recordio::Unit& file) {
  const std::size_t passed = recordio::skip_plain_records(recordio::input_of(file), 5);
  const auto room = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - count);
  return count + static_cast<std::int32_t>(passed < room ? passed : room);
}

}  // namespace

void read_pedigree(RunState& state) {
  recordio::Unit& file = recordio::unit(kPedigreeUnit);
  read_header(state, file);

  TraitAccumulator traits;
  std::int32_t count = 0;
  // Records beyond the table's capacity are read and counted but not kept;
  // lines that cannot hold a bad value are only counted.
  PedigreeRecord beyond;
  for (;;) {
    if (count >= ND) count = count_beyond(count, file);
    PedigreeRecord& row = count < ND ? state.records[count] : beyond;
    if (!read_record(file, row)) break;
    if (count < ND) add_trait_value(traits, row.trait, state.missing_code);
    if (count < std::numeric_limits<std::int32_t>::max()) ++count;
  }
  state.record_count = count;
  recordio::close_unit(kPedigreeUnit);

  if (state.record_count > ND)
    recordio::stop("Increase parameter ND and recompile !");
  state.summary = finish_trait_summary(traits);
}

}  // namespace analysis
