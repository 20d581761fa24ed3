#pragma once
// The parsed form of a format string: a tree of nodes kept in one flat array
// (the root group first), linked by indices so that parsing and walking it
// need neither recursion nor storage per node.
//
// Grammar: `(` list `)`; a list holds items separated by optional commas
// (empty items are skipped): a quoted text, [r]`(` list `)`, [r]`A`[w],
// [r]`I`w[`.`m], [r]`F`w`.`d, [r]`E`w`.`d[`E`e], [n]`X`, [r]`/`, `$` or `\`.
// Blanks and tabs outside quoted texts are ignored everywhere, letters in
// either case. Nothing after the root's right parenthesis is read.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace recordio {

// The parser never makes a colon: the walk hands out one shared colon node as
// a marker when it restarts the format.
enum class FormatKind { group, literal, a, i, f, e, x, slash, dollar, colon };

inline constexpr std::int32_t kNoNode = -1;

struct FormatNode {
  FormatKind kind = FormatKind::group;
  std::int32_t repeat = 1;
  // w of Aw, Iw, Fw.d, Ew.d (-1 for A without width); n of nX; for a
  // literal, the number of characters it writes (doubled quotes counted once).
  std::int32_t width = -1;
  std::int32_t digits = -1;           // d of F and E; m of Iw.m (-1: absent)
  std::int32_t exponent_digits = -1;  // e of Ew.dEe (-1: absent)
  std::size_t text = 0;  // literal: offset of its first character, after the quote
  // Offset of the last character of the node's token (a group's right
  // parenthesis): the caret of an error report goes under it.
  std::size_t source_position = 0;
  std::int32_t parent = kNoNode;
  std::int32_t next_sibling = kNoNode;
  std::int32_t first_child = kNoNode;  // groups only
  bool hands_out_nodes = false;  // groups: some node other than a group lies inside
};

struct ParsedFormat {
  std::vector<FormatNode> nodes;  // nodes[0] is the root
  // Where the walk resumes when the format is used up with items left: the
  // last group standing directly in the root, or kNoNode for the root's start.
  std::int32_t restart_group = kNoNode;
};

struct FormatError {
  std::string_view message;
  std::size_t position = 0;  // offset of the caret: where reading stopped
};

inline constexpr std::string_view kMissingLeftParenthesis =
    "Missing initial left parenthesis in format";
inline constexpr std::string_view kUnterminatedText =
    "Unterminated character constant in format";
inline constexpr std::string_view kUnexpectedEnd =
    "Unexpected end of format string";
inline constexpr std::string_view kUnexpectedElement =
    "Unexpected element in format";
inline constexpr std::string_view kWidthRequired =
    "Nonnegative width required in format";
inline constexpr std::string_view kPeriodRequired =
    "Period required in format";
inline constexpr std::string_view kExponentWidthRequired =
    "Positive exponent width required in format";
inline constexpr std::string_view kMinimumDigitsTooMany =
    "Minimum digits exceeds field width";

// Parses `format` into `parsed` (its previous nodes are replaced, its storage
// reused). On failure returns false and sets `error`. Its position is where
// reading stopped: the character that cannot be accepted (for a zero repeat
// count, the character after the count), the format's length when the string
// ran out, or the last character of a token that was read whole and then
// judged (m of `Iw.m` above w, an exponent width of 0, the digit that carries
// a number past 32 bits). Zero repeat counts, repeat counts before a quoted
// text or a dollar, and every descriptor outside the grammar above are
// "Unexpected element in format".
bool parse_format(std::string_view format, ParsedFormat& parsed,
                  FormatError& error);

}  // namespace recordio
