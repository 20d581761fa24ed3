#pragma once
// The free-format (list-directed) reader: turns the text of input records into
// values for the items of one read statement.
//
// Calling order: construct (begin read), then one item call per item in the
// statement's order, then finish() (end read). Once the status is not ok an
// item call only counts the item and leaves its destination unchanged.

#include <cstddef>
#include <cstdint>
#include <string>

#include "recordio/input_source.h"

namespace recordio {

enum class ReadStatus { ok, end_of_file, error };

// Values a status variable receives.
inline constexpr int kStatusOk = 0;
inline constexpr int kStatusEndOfFile = -1;
inline constexpr int kStatusError = 208;

class ListRead {
 public:
  explicit ListRead(InputSource& source);

  void character(char* dest, std::size_t length);
  void integer(std::int32_t& dest);
  void real(float& dest);

  // Discards the rest of the current line; a statement without items meets
  // end of file when its line was the stream's last one without a line feed,
  // or when there was no line.
  ReadStatus finish();

  ReadStatus status() const { return status_; }
  int status_code() const;
  // The error text with the item number filled in, when the status is error.
  const std::string& message() const { return message_; }

  // (private members are the implementation's)
 private:
  InputSource& source_;
  ReadStatus status_ = ReadStatus::ok;
  std::string message_;
};

}  // namespace recordio
