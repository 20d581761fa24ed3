#include "recordio/statements.h"

#include <string>

#include "recordio/edited_output.h"
#include "recordio/free_output.h"

namespace recordio {

namespace {

// A unit opened for writing only cannot be read; the statement fails before
// it touches the stream.
InputSource& readable_input(Unit& unit, std::source_location where) {
  begin_statement(unit, where);
  if (unit.action == Action::write)
    runtime_error("Cannot read from file opened for WRITE");
  return input_of(unit);
}

// Reused for every statement, so that writing a line allocates nothing.
std::string& scratch() {
  static std::string text;
  text.clear();
  return text;
}

}  // namespace

UnitRead::UnitRead(Unit& unit, std::source_location where)
    : read_(readable_input(unit, where)) {}

ReadStatus UnitRead::finish() {
  ReadStatus status = read_.finish();
  if (status == ReadStatus::error) runtime_error(read_.message());
  return status;
}

void UnitRead::end() {
  if (finish() == ReadStatus::end_of_file) runtime_error("End of file");
  end_statement();
}

bool UnitRead::end_at_end_of_file() {
  bool at_end = finish() == ReadStatus::end_of_file;
  end_statement();
  return at_end;
}

int UnitRead::end_with_status() {
  read_.finish();
  int code = read_.status_code();
  end_statement();
  return code;
}

void write_free(Unit& unit, std::initializer_list<OutputItem> items,
                std::source_location where) {
  begin_statement(unit, where);
  std::string& text = scratch();
  write_free_record(text, std::span<const OutputItem>(items.begin(), items.size()));
  put_output(unit, text);
  end_statement();
}

void write_edited(Unit& unit, std::string_view format,
                  std::initializer_list<OutputItem> items,
                  std::source_location where) {
  begin_statement(unit, where);
  std::string& text = scratch();
  std::string error;
  bool ok = write_edited_records(
      text, format, std::span<const OutputItem>(items.begin(), items.size()), error);
  put_output(unit, text);
  if (!ok) runtime_error(error);
  end_statement();
}

}  // namespace recordio
