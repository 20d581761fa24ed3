#pragma once
// Records in their plainest form: numbers between blanks, one record a line,
// as nearly every pedigree file is written. Such a line can hold no bad value
// and no end of file, so it needs none of the statement machinery: records
// past the table's capacity are only counted, the others read directly.
// Every other line is left to the free-format reader.

#include <cstddef>
#include <cstdint>

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

// When the line at the current position (the start of a line) is a plain
// record as above whose real has at most 19 digits, stores its values as a
// free-format read of `integers` integers and one real would (the real
// correctly rounded, -0 as negative zero), passes over the line and returns
// true. Otherwise reads nothing and returns false.
bool read_plain_record(InputSource& source, std::int32_t* values, int integers,
                       float& real);

}  // namespace recordio
