#include "recordio/input_source.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "recordio/unit.h"

namespace recordio {

namespace {
constexpr std::size_t kChunk = 1 << 16;
}

InputSource::InputSource(int fd)
    : fd_(fd), buffer_(new unsigned char[kChunk]), capacity_(kChunk) {}

InputSource InputSource::from_bytes(std::string bytes) {
  InputSource source;
  source.capacity_ = bytes.size() + 1;
  source.buffer_.reset(new unsigned char[source.capacity_]);
  std::memcpy(source.buffer_.get(), bytes.data(), bytes.size());
  source.end_ = bytes.size();
  source.stream_done_ = true;
  return source;
}

bool InputSource::refill() {
  if (stream_done_) return false;
  // Keep one unread byte: a carriage return waiting to see what follows it.
  std::size_t keep = end_ - pos_;
  if (keep > 0) std::memmove(buffer_.get(), buffer_.get() + pos_, keep);
  pos_ = 0;
  end_ = keep;
  for (;;) {
    ssize_t got = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
    if (got > 0) {
      end_ += static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) {
      stream_done_ = true;
      return false;
    }
    if (errno == EINTR) continue;
    stream_done_ = true;
    runtime_error(std::strerror(errno));
  }
}

int InputSource::next_slow() {
  if (ended_) return kEndOfFile;
  if (pos_ == end_ && !refill()) {
    ended_ = true;
    return kEndOfFile;
  }
  unsigned char c = buffer_[pos_++];
  if (c == '\n') return kLineEnd;
  if (c == '\r') {
    // A carriage return is dropped only when a line feed follows it.
    if (pos_ == end_) {
      --pos_;  // keep it while the next chunk is read
      bool more = refill();
      ++pos_;
      if (!more) return '\r';
    }
    if (buffer_[pos_] == '\n') {
      ++pos_;
      return kLineEnd;
    }
    return '\r';
  }
  return c;
}

}  // namespace recordio
