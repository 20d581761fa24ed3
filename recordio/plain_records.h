#pragma once
// Passing over records that are only to be counted. Records past the table's
// capacity are read to find the end of the file and any bad value; a line
// whose values are plain numbers between blanks can hold neither, so it
// needs no statement of its own.

#include <cstddef>

#include "recordio/input_source.h"

namespace recordio {

// Passes over whole lines of the current chunk, from the start of a line,
// each holding `integers` integers and then one real in the plainest form:
// blanks before and between the values; each integer an optional sign and one
// to nine digits (so never too large); the real an optional sign and digits
// with at most one point; after the real a line feed, or a blank and anything
// up to the line feed. A free-format read of those items takes such a line
// whole and without error. Stops before the first other line (and at the end
// of the chunk) and returns how many lines it passed over.
std::size_t skip_plain_records(InputSource& source, int integers);

}  // namespace recordio
