#include "plot/xml_text.h"

namespace plot {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Length of the well-formed UTF-8 sequence at the start of `text` that XML
// allows (no surrogates, no U+FFFE or U+FFFF), or 0.
std::size_t utf8_sequence_length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length;
  char32_t code;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  const bool overlong = code < smallest[length];
  const bool excluded = (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF || code > 0x10FFFF;
  return overlong || excluded ? 0 : length;
}

}  // namespace

std::string xml_text(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  while (!text.empty()) {
    const char c = text.front();
    std::size_t used = 1;
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(c) >= 0x80) {
          used = utf8_sequence_length(text);
          if (used == 0) {
            escaped += kReplacement;
            used = 1;
          } else {
            escaped += text.substr(0, used);
          }
        } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          escaped += kReplacement;
        } else {
          escaped += c;
        }
    }
    text.remove_prefix(used);
  }
  return escaped;
}

}  // namespace plot
