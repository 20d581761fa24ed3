#pragma once
// The characters of a connection's input records, one at a time.
//
// A record is the bytes of one line without its line feed, and without a
// carriage return that stood just before that line feed. After the last byte
// of a record that ended with a line feed comes the line-end mark; after the
// last byte of a final line without a line feed, and whenever the stream has
// no further record, comes the end-of-file mark. Both marks are distinct from
// every byte value. Input is read in chunks, so the whole stream is never held.

#include <cstddef>
#include <memory>
#include <string>

namespace recordio {

inline constexpr int kLineEnd = 256;
inline constexpr int kEndOfFile = 257;

class InputSource {
 public:
  // Reads the descriptor in chunks; a read error ends the run with the
  // system's text (the caller's statement is named in the report).
  explicit InputSource(int fd);
  // A stream held in memory, for tests and fuzzing.
  static InputSource from_bytes(std::string bytes);

  // The next byte (0..255) or mark. Once the end-of-file mark has been
  // returned, it is all that ever comes again.
  int next() {
    if (pos_ < end_) {
      unsigned char c = buffer_[pos_];
      if (c > '\r') {  // neither line feed nor carriage return: an ordinary byte
        ++pos_;
        return c;
      }
    }
    return next_slow();
  }

  // The unread bytes of the current chunk, for scanning a run of ordinary
  // bytes without a call per byte. Consume with advance().
  const unsigned char* peek_begin() const { return buffer_.get() + pos_; }
  const unsigned char* peek_end() const { return buffer_.get() + end_; }
  void advance(std::size_t n) { pos_ += n; }

  bool met_end_of_file() const { return ended_; }

 private:
  InputSource() = default;
  int next_slow();
  bool refill();  // false when the stream has no more bytes

  int fd_ = -1;
  std::unique_ptr<unsigned char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool stream_done_ = false;  // no more bytes to read from the descriptor
  bool ended_ = false;        // the end-of-file mark has been returned
};

}  // namespace recordio
