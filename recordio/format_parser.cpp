#include "recordio/format_parser.h"

#include <limits>

namespace recordio {
namespace {

constexpr int kEnd = -1;

bool is_digit(int c) { return c >= '0' && c <= '9'; }

int upper(int c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

enum class Number { absent, present, failed };

class Parser {
 public:
  Parser(std::string_view format, ParsedFormat& parsed, FormatError& error)
      : s_(format), parsed_(parsed), error_(error) {}

  bool run() {
    parsed_.nodes.clear();
    parsed_.restart_group = kNoNode;
    if (peek() != '(') return fail(kMissingLeftParenthesis, here());
    take();
    parsed_.nodes.push_back(FormatNode{});  // the root, repeat 1
    current_ = 0;
    for (;;) {
      const int c = peek();
      if (c == kEnd) return fail(kUnexpectedEnd, here());
      if (c == ',') {
        take();
      } else if (c == ')') {
        take();
        close_group();
        if (current_ == kNoNode) return true;
      } else if (!parse_item()) {
        return false;
      }
    }
  }

 private:
  // The next character that is not a blank or a tab, not yet taken.
  int peek() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
    return pos_ < s_.size() ? static_cast<unsigned char>(s_[pos_]) : kEnd;
  }
  std::size_t here() const { return pos_; }  // valid right after peek()
  void take() { last_ = pos_++; }

  bool fail(std::string_view message, std::size_t position) {
    error_ = FormatError{message, position};
    return false;
  }
  // The token at hand cannot be accepted; running out of string says so.
  bool fail_here(std::string_view message) {
    return fail(peek() == kEnd ? kUnexpectedEnd : message, here());
  }

  // A run of digits, blanks between them ignored.
  Number read_number(std::int32_t& value) {
    if (!is_digit(peek())) return Number::absent;
    std::int64_t v = 0;
    while (is_digit(peek())) {
      take();
      v = v * 10 + (s_[last_] - '0');
      if (v > std::numeric_limits<std::int32_t>::max()) {
        fail(kUnexpectedElement, last_);
        return Number::failed;
      }
    }
    value = static_cast<std::int32_t>(v);
    return Number::present;
  }

  std::int32_t add_node(FormatNode node) {
    const auto index = static_cast<std::int32_t>(parsed_.nodes.size());
    node.parent = current_;
    if (previous_ == kNoNode) {
      parsed_.nodes[current_].first_child = index;
    } else {
      parsed_.nodes[previous_].next_sibling = index;
    }
    parsed_.nodes.push_back(node);
    previous_ = index;
    return index;
  }

  bool add_plain(FormatKind kind, std::int32_t repeat, std::int32_t width = -1,
                 std::int32_t digits = -1, std::int32_t exponent_digits = -1) {
    FormatNode node;
    node.kind = kind;
    node.repeat = repeat;
    node.width = width;
    node.digits = digits;
    node.exponent_digits = exponent_digits;
    node.source_position = last_;
    add_node(node);
    parsed_.nodes[current_].hands_out_nodes = true;
    return true;
  }

  void open_group(std::int32_t repeat) {
    FormatNode node;
    node.repeat = repeat;
    current_ = add_node(node);
    previous_ = kNoNode;
  }

  void close_group() {
    FormatNode& group = parsed_.nodes[current_];
    group.source_position = last_;
    const std::int32_t parent = group.parent;
    if (parent != kNoNode && group.hands_out_nodes) {
      parsed_.nodes[parent].hands_out_nodes = true;
    }
    if (parent == 0) parsed_.restart_group = current_;
    previous_ = current_;
    current_ = parent;
  }

  bool parse_item() {
    std::int32_t repeat = 1;
    const Number count = read_number(repeat);
    if (count == Number::failed) return false;
    const bool counted = count == Number::present;
    const int c = upper(peek());
    // With a number in front, X takes it as its distance (0X moves nothing).
    if (counted && c == 'X') {
      take();
      return add_plain(FormatKind::x, 1, repeat);
    }
    if (counted && repeat == 0) return fail_here(kUnexpectedElement);
    switch (c) {
      case '(':
        take();
        open_group(repeat);
        return true;
      case '\'':
      case '"':
        if (counted) return fail_here(kUnexpectedElement);
        return parse_literal();
      case 'A': {
        take();
        std::int32_t width = -1;
        return read_number(width) != Number::failed &&
               add_plain(FormatKind::a, repeat, width);
      }
      case 'I':
        take();
        return parse_integer_descriptor(repeat);
      case 'F':
      case 'E':
        take();
        return parse_real_descriptor(c == 'F' ? FormatKind::f : FormatKind::e,
                                     repeat);
      case 'X':
        take();
        return add_plain(FormatKind::x, 1, 1);
      case '/':
        take();
        return add_plain(FormatKind::slash, repeat);
      case '$':
      case '\\':
        if (counted) return fail_here(kUnexpectedElement);
        take();
        return add_plain(FormatKind::dollar, 1);
      default:
        return fail_here(kUnexpectedElement);
    }
  }

  // Inside the quotes every byte counts; a doubled quote stands for one.
  bool parse_literal() {
    const char quote = s_[pos_];
    take();
    const std::size_t start = pos_;
    std::int32_t length = 0;
    for (;;) {
      if (pos_ >= s_.size()) return fail(kUnterminatedText, s_.size());
      if (s_[pos_] == quote) {
        if (pos_ + 1 < s_.size() && s_[pos_ + 1] == quote) {
          pos_ += 2;
          ++length;
          continue;
        }
        take();  // the closing quote
        break;
      }
      ++pos_;
      ++length;
    }
    FormatNode node;
    node.kind = FormatKind::literal;
    node.width = length;
    node.text = start;
    node.source_position = last_;
    add_node(node);
    parsed_.nodes[current_].hands_out_nodes = true;
    return true;
  }

  bool read_width(std::int32_t& width) {
    const Number n = read_number(width);
    if (n == Number::absent) return fail_here(kWidthRequired);
    return n == Number::present;
  }

  bool parse_integer_descriptor(std::int32_t repeat) {
    std::int32_t width = 0;
    std::int32_t minimum = -1;
    if (!read_width(width)) return false;
    if (peek() == '.') {
      take();
      if (!read_width(minimum)) return false;
      if (width != 0 && minimum > width) {
        return fail(kMinimumDigitsTooMany, last_);
      }
    }
    return add_plain(FormatKind::i, repeat, width, minimum);
  }

  bool parse_real_descriptor(FormatKind kind, std::int32_t repeat) {
    std::int32_t width = 0;
    std::int32_t digits = 0;
    std::int32_t exponent_digits = -1;
    if (!read_width(width)) return false;
    if (peek() != '.') return fail_here(kPeriodRequired);
    take();
    if (!read_width(digits)) return false;
    if (kind == FormatKind::e && upper(peek()) == 'E') {
      take();
      const Number n = read_number(exponent_digits);
      if (n == Number::failed) return false;
      if (n == Number::absent) return fail_here(kExponentWidthRequired);
      if (exponent_digits == 0) return fail(kExponentWidthRequired, last_);
    }
    return add_plain(kind, repeat, width, digits, exponent_digits);
  }

  std::string_view s_;
  ParsedFormat& parsed_;
  FormatError& error_;
  std::size_t pos_ = 0;
  std::size_t last_ = 0;  // offset of the last character taken
  std::int32_t current_ = kNoNode;   // the open group
  std::int32_t previous_ = kNoNode;  // its last child so far
};

}  // namespace

bool parse_format(std::string_view format, ParsedFormat& parsed,
                  FormatError& error) {
  return Parser(format, parsed, error).run();
}

}  // namespace recordio
