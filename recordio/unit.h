#pragma once
// Units: numbered connections to files and the console, and the ways a run
// ends (pause, stop, run-time error report, storage failure).
//
// Units 5 (standard input), 6 (standard output) and 0 (standard error) are
// connected before the first statement. Every file or console statement
// carries the position of the program line that issued it; a statement that
// fails without an end-of-file branch or status variable ends the run with a
// report that names that position and the unit.

#include <cstdint>
#include <memory>
#include <source_location>
#include <string>
#include <string_view>

#include "recordio/input_source.h"

namespace recordio {

inline constexpr int kConsoleInput = 5;
inline constexpr int kConsoleOutput = 6;
inline constexpr int kErrorOutput = 0;

enum class Action { read, write, read_write };
enum class OpenStatus { old_file, replace };

struct Unit {
  int number = 0;
  int fd = -1;
  std::string file_name;  // trailing blanks removed; empty for the console
  Action action = Action::read_write;
  bool write_through = false;   // set exactly when the descriptor is a terminal
  std::string pending;          // output bytes not yet handed to the system
  std::unique_ptr<InputSource> input;  // made by the first read
};

// The connected unit with this number; connects the preconnected ones on
// first use. A number without a connection ends the run.
Unit& unit(int number);

// Connects `number` to the file `name` (trailing blanks ignored).
// A failure ends the run with a report naming the file.
void open_unit(int number, std::string_view name, OpenStatus status,
               std::source_location where = std::source_location::current());

// Writes out what is pending and disconnects. Closing a number without a
// unit does nothing.
void close_unit(int number,
                std::source_location where = std::source_location::current());

// The statement in progress, for run-time error reports: set at its start,
// cleared at its end.
void begin_statement(Unit& unit, std::source_location where);
void end_statement();

// Appends finished output text of a statement to the unit and writes it out
// when the buffer is full, or at once on a terminal.
void put_output(Unit& unit, std::string_view text);

// The character source of a unit's input records.
InputSource& input_of(Unit& unit);

// "PAUSE <text> statement executed.  Hit Return to continue" on standard
// error, then one console line is read and ignored. End of input ends the run.
void pause(std::string_view text);

// Closes every unit and exits with status 0; with a text, "STOP <text>" is
// written to standard error first.
[[noreturn]] void stop();
[[noreturn]] void stop(std::string_view text);

// The run-time error report for the statement in progress (if any), then
// every unit is closed and the run exits with status 2.
[[noreturn]] void runtime_error(std::string_view message);

// The tables could not be obtained: closes every unit, reports the system's
// text and exits with status 1.
[[noreturn]] void storage_failure(std::string_view system_text);

// A project-relative source name for report lines (never a machine path).
std::string_view source_name(const char* file);

}  // namespace recordio
