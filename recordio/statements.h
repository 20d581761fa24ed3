#pragma once
// The program's read and write statements on units. Each carries the source
// position of the line that issued it, so that a failure report names it.

#include <initializer_list>
#include <source_location>
#include <string_view>

#include "recordio/free_input.h"
#include "recordio/output_item.h"
#include "recordio/unit.h"

namespace recordio {

// One free-format read statement on a unit. Read the items through values(),
// then end it in one of three ways: without end-of-file branch or status
// variable (any failure ends the run), with an end-of-file branch, or with a
// status variable.
class UnitRead {
 public:
  explicit UnitRead(Unit& unit,
                    std::source_location where = std::source_location::current());
  UnitRead(const UnitRead&) = delete;
  UnitRead& operator=(const UnitRead&) = delete;

  ListRead& values() { return read_; }

  void end();
  // True when the end-of-file branch is taken; an error still ends the run.
  bool end_at_end_of_file();
  // The status variable's value: 0, -1 at end of file, 208 on an error.
  int end_with_status();

 private:
  ReadStatus finish();
  ListRead read_;
};

// One free-format output statement: a single record and its line feed.
void write_free(Unit& unit, std::initializer_list<OutputItem> items,
                std::source_location where = std::source_location::current());

// One output statement under a format string.
void write_edited(Unit& unit, std::string_view format,
                  std::initializer_list<OutputItem> items,
                  std::source_location where = std::source_location::current());

}  // namespace recordio
