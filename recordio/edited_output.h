#pragma once
// Edited output: the items of one output statement laid out under a format
// string (literal texts, A, I, F, E, nX, slash, dollar, nested groups with
// repeat counts, and the restart rule when items outlast the format).

#include <span>
#include <string>
#include <string_view>

#include "recordio/output_item.h"

namespace recordio {

// Runs one statement. Appends every record it delivers to `out`, each with a
// line feed, except that when the statement has acted on a dollar (or
// backslash) the last record's characters are appended without one; a dollar
// after a data descriptor that got no item is never reached.
// Returns false on a format or transfer error: `error` then holds the report
// text (the message, a line feed, the format line, a line feed, the caret
// line), and `out` holds the records delivered before the error followed by
// the pending record with its line feed, as closing the unit would write it
// (an empty pending record is not written).
//
// The format line is the format from its start, or from 40 characters before
// the caret when the caret lies more than 60 characters into it, at most 80
// characters. The caret stands under: for a parse error, the character where
// reading stopped (the one that cannot be accepted, or one past the end when
// the string ran out); for a type mismatch, or a field that would pass the
// record's limit of 10^9 characters ("End of record"), the last character of
// the descriptor or literal; for exhausted data descriptors, the root's
// right parenthesis.
//
// The last parsed format is kept between calls: not for concurrent use.
bool write_edited_records(std::string& out, std::string_view format,
                          std::span<const OutputItem> items,
                          std::string& error);

}  // namespace recordio
