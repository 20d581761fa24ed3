#include "plot/xml_text.h"

#include <gtest/gtest.h>

namespace plot {
namespace {

TEST(XmlText, EscapesMarkupAndReplacesWhatXmlCannotCarry) {
  const struct {
    std::string text, escaped;
  } cases[] = {
      {"BMI", "BMI"},
      {"<a & 'b' \"c\">", "&lt;a &amp; &apos;b&apos; &quot;c&quot;&gt;"},
      {"&amp;", "&amp;amp;"},
      {"tab\tok", "tab\tok"},
      {std::string("nul\0bell\x07", 9), "nul\xEF\xBF\xBD" "bell\xEF\xBF\xBD"},
      {"caf\xC3\xA9 \xE2\x88\x9A \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x88\x9A \xF0\x9F\x98\x80"},  // valid UTF-8 kept
      {"latin1 caf\xE9", "latin1 caf\xEF\xBF\xBD"},
      {"cut \xE2\x88", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"overlong \xC0\xBC", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"surrogate \xED\xA0\x80", "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"nonchar \xEF\xBF\xBF", "nonchar \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"beyond \xF4\x90\x80\x80", "beyond \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(xml_text(c.text), c.escaped) << c.text;
}

}  // namespace
}  // namespace plot
