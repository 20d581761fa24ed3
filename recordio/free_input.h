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
  enum class Kind : unsigned char { null, integer, real, character };
  enum class Step { read_value, take_repeated, done };

  static constexpr int kNothing = -1;  // no character is put back

  // The put-back character or mark first, then the source's next one.
  int get() {
    if (put_back_ == kNothing) return source_.next();
    int c = put_back_;
    put_back_ = kNothing;
    return c;
  }
  void put_back(int c) { put_back_ = c; }

  const unsigned char* plain_value_start();
  void took_plain_value(const unsigned char* terminator);
  bool try_plain_integer(std::int32_t& dest);
  bool try_plain_real(float& dest);

  Step start_item();
  int skip_white_space();
  int scan_digits(std::uint64_t& magnitude, std::uint64_t limit,
                  std::string* text);
  bool take_repeat_count(std::uint64_t count);
  bool null_after_repeat_count(int c);

  void read_integer(std::int32_t& dest);
  void read_real(float& dest);
  enum class Number { value, repeat_count, failed };
  Number read_number(bool negative, int c, bool count_allowed, float& value,
                     std::uint64_t& count);
  bool read_infinity(bool negative, float& value);
  bool read_not_a_number(bool negative, float& value);
  void read_character(char* dest, std::size_t length);
  void read_quoted(int quote);
  void read_unquoted(int c);
  void keep_character(int c) {
    if (text_.size() < text_limit_) text_.push_back(static_cast<char>(c));
  }

  void keep_null();
  void keep(std::int32_t value, std::int32_t& dest);
  void keep(float value, float& dest);
  void copy_text(char* dest, std::size_t length) const;
  void keep_text(char* dest, std::size_t length);
  bool repeated_value_fits(Kind kind);

  void meet_end_of_file() { status_ = ReadStatus::end_of_file; }
  void fail(const char* format);
  void fail_at(int c, const char* format) {
    put_back(c);
    fail(format);
  }

  InputSource& source_;
  ReadStatus status_ = ReadStatus::ok;
  std::string message_;

  int put_back_ = kNothing;
  int item_ = 0;  // items begun in this statement
  bool first_item_ = true;
  bool slash_seen_ = false;
  // Items, the current one included, that take the value just read.
  std::int32_t repeat_ = 0;

  // The value most recently read, which repeated items take.
  Kind value_kind_ = Kind::null;
  std::int32_t integer_value_ = 0;
  float real_value_ = 0.0f;
  std::string text_;  // character value; also the mantissa digits of a real
  std::size_t text_limit_ = 0;  // characters of a character value kept
};

}  // namespace recordio
