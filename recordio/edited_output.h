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
// line feed, except that with a dollar in the format the last record's
// characters are appended without one.
// Returns false on a format or transfer error: `error` then holds the report
// text (the message, a line feed, the format line, a line feed, the caret
// line), and `out` holds the records delivered before the error followed by
// the pending record with its line feed, as closing the unit would write it.
bool write_edited_records(std::string& out, std::string_view format,
                          std::span<const OutputItem> items,
                          std::string& error);

}  // namespace recordio
