#pragma once

#include <string>
#include <string_view>

namespace plot {

// `text` made safe as XML character data or as an attribute value: the five
// markup characters become entity references, and bytes that XML 1.0 cannot
// carry (control characters, malformed UTF-8) become U+FFFD. Trait names and
// identifiers come from the user's pedigree file and may hold anything.
std::string xml_text(std::string_view text);

}  // namespace plot
