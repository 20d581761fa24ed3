// The free-format reader on arbitrary bytes, driven by the statements the
// program itself issues: the file-name answer, the missing-code answer, the
// pause, the pedigree header and the pedigree records, alone or in the
// program's own order.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "recordio/free_input.h"
#include "recordio/input_source.h"

namespace {

using recordio::ListRead;
using recordio::ReadStatus;

// Exactly `length` bytes on the heap, so that a write past them is caught.
void read_character(ListRead& read, std::size_t length) {
  std::unique_ptr<char[]> dest(new char[length]);
  read.character(dest.get(), length);
}

// Ends a statement and checks that the outcome is one of the three.
ReadStatus finish(ListRead& read) {
  const ReadStatus status = read.finish();
  const int code = read.status_code();
  switch (status) {
    case ReadStatus::ok:
      if (code != recordio::kStatusOk) std::abort();
      break;
    case ReadStatus::end_of_file:
      if (code != recordio::kStatusEndOfFile) std::abort();
      break;
    case ReadStatus::error:
      if (code != recordio::kStatusError || read.message().empty()) std::abort();
      break;
  }
  return status;
}

ReadStatus file_name(recordio::InputSource& in) {
  ListRead read(in);
  read_character(read, 20);
  return finish(read);
}

ReadStatus missing_code(recordio::InputSource& in) {
  ListRead read(in);
  float code = 0;
  read.real(code);
  return finish(read);
}

ReadStatus pause(recordio::InputSource& in) {
  ListRead read(in);
  return finish(read);
}

ReadStatus header(recordio::InputSource& in) {
  ListRead read(in);
  for (int item = 0; item < 6; ++item) read_character(read, 13);
  return finish(read);
}

ReadStatus record(recordio::InputSource& in) {
  ListRead read(in);
  std::int32_t column[5];
  float trait = 0;
  for (std::int32_t& value : column) read.integer(value);
  read.real(trait);
  return finish(read);
}

// The record loop ends at end of file or a bad value; every record read
// consumes at least one line, so more records than bytes means a stall.
void records(recordio::InputSource& in, std::size_t size) {
  for (std::size_t n = 0; record(in) == ReadStatus::ok; ++n)
    if (n > size + 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int shape = data[0] % 7;
  recordio::InputSource in = recordio::InputSource::from_bytes(
      std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  switch (shape) {
    case 0: file_name(in); break;
    case 1: missing_code(in); break;
    case 2: pause(in); break;
    case 3: header(in); break;
    case 4: records(in, size); break;
    case 5:  // the console: two answers and the Return of the pause
      if (file_name(in) == ReadStatus::ok) {
        missing_code(in);
        pause(in);
      }
      break;
    case 6:  // the pedigree file
      if (header(in) == ReadStatus::ok) records(in, size);
      break;
  }
  // Once the end-of-file mark has come, it is all that ever comes again.
  if (in.met_end_of_file() && in.next() != recordio::kEndOfFile) std::abort();
  return 0;
}
