#include "recordio/free_input.h"

// Placeholder until the reader lands.
namespace recordio {
ListRead::ListRead(InputSource& source) : source_(source) {}
ReadStatus ListRead::finish() {
  for (;;) {
    int c = source_.next();
    if (c == kLineEnd) return status_;
    if (c == kEndOfFile) return ReadStatus::end_of_file;
  }
}
}  // namespace recordio
