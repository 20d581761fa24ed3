#include "recordio/format_parser.h"

#include <gtest/gtest.h>

namespace recordio {
namespace {

ParsedFormat parse(std::string_view format) {
  ParsedFormat parsed;
  FormatError error;
  EXPECT_TRUE(parse_format(format, parsed, error))
      << format << ": " << error.message << " at " << error.position;
  return parsed;
}

TEST(FormatParser, DescriptorFields) {
  const ParsedFormat p =
      parse("(2A3,a,i5.2,I 0,F13.4,e12.4E3,4x,x,3/,$,\\,'a''b')");
  struct Expected {
    FormatKind kind;
    int repeat, width, digits, exponent_digits;
    std::size_t source_position;
  };
  const Expected expected[] = {
      {FormatKind::a, 2, 3, -1, -1, 3},
      {FormatKind::a, 1, -1, -1, -1, 5},
      {FormatKind::i, 1, 5, 2, -1, 10},
      {FormatKind::i, 1, 0, -1, -1, 14},
      {FormatKind::f, 1, 13, 4, -1, 20},
      {FormatKind::e, 1, 12, 4, 3, 28},
      {FormatKind::x, 1, 4, -1, -1, 31},
      {FormatKind::x, 1, 1, -1, -1, 33},
      {FormatKind::slash, 3, -1, -1, -1, 36},
      {FormatKind::dollar, 1, -1, -1, -1, 38},
      {FormatKind::dollar, 1, -1, -1, -1, 40},
      {FormatKind::literal, 1, 3, -1, -1, 47},
  };
  ASSERT_EQ(p.nodes.size(), std::size(expected) + 1);
  for (std::size_t k = 0; k < std::size(expected); ++k) {
    const FormatNode& n = p.nodes[k + 1];
    const Expected& e = expected[k];
    EXPECT_EQ(n.kind, e.kind) << k;
    EXPECT_EQ(n.repeat, e.repeat) << k;
    EXPECT_EQ(n.width, e.width) << k;
    EXPECT_EQ(n.digits, e.digits) << k;
    EXPECT_EQ(n.exponent_digits, e.exponent_digits) << k;
    EXPECT_EQ(n.source_position, e.source_position) << k;
    EXPECT_EQ(n.parent, 0) << k;
  }
  EXPECT_EQ(p.nodes.back().text, 43u);  // just after the opening quote
  EXPECT_EQ(p.restart_group, kNoNode);
}

TEST(FormatParser, GroupTree) {
  // Nodes: 0 root, 1 a, 2 group, 3 i1, 4 group, 5 a, 6 literal, 7 empty group.
  const ParsedFormat p = parse("(a,2(i1,(a)),'q',3())");
  ASSERT_EQ(p.nodes.size(), 8u);
  struct Links {
    std::int32_t parent, next_sibling, first_child;
  };
  const Links links[] = {{kNoNode, kNoNode, 1}, {0, 2, kNoNode}, {0, 6, 3},
                         {2, 4, kNoNode},       {2, kNoNode, 5}, {4, kNoNode, kNoNode},
                         {0, 7, kNoNode},       {0, kNoNode, kNoNode}};
  for (std::size_t k = 0; k < std::size(links); ++k) {
    EXPECT_EQ(p.nodes[k].parent, links[k].parent) << k;
    EXPECT_EQ(p.nodes[k].next_sibling, links[k].next_sibling) << k;
    EXPECT_EQ(p.nodes[k].first_child, links[k].first_child) << k;
  }
  EXPECT_EQ(p.nodes[2].repeat, 2);
  EXPECT_TRUE(p.nodes[0].hands_out_nodes);
  EXPECT_TRUE(p.nodes[2].hands_out_nodes);
  EXPECT_FALSE(p.nodes[7].hands_out_nodes);
  EXPECT_EQ(p.nodes[0].source_position, 20u);
  EXPECT_EQ(p.nodes[2].source_position, 11u);
  // The restart resumes at the last group standing directly in the root.
  EXPECT_EQ(p.restart_group, 7);
}

TEST(FormatParser, ReusesStorageAndReplacesNodes) {
  ParsedFormat parsed;
  FormatError error;
  ASSERT_TRUE(parse_format("(2(a),i3)", parsed, error));
  ASSERT_TRUE(parse_format("(i3)", parsed, error));
  EXPECT_EQ(parsed.nodes.size(), 2u);
  EXPECT_EQ(parsed.restart_group, kNoNode);
  EXPECT_EQ(parsed.nodes[0].first_child, 1);
}

}  // namespace
}  // namespace recordio
