#pragma once
// Free-format output: one record per statement, a leading blank, texts joined
// without a blank, numbers set off by one blank, reals in their shortest
// digits.

#include <cstdint>
#include <span>
#include <string>

#include "recordio/output_item.h"

namespace recordio {

// Appends the statement's record and its line feed to `out`. A statement
// without items gives a bare line feed.
void write_free_record(std::string& out, std::span<const OutputItem> items);

// The free-format text of one value, appended to `out`.
void append_free_integer(std::string& out, std::int32_t value);
void append_free_real(std::string& out, float value);

}  // namespace recordio
