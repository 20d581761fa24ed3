#include "recordio/edited_output.h"

#include <cstdio>
#include <string>
#include <vector>

#include "recordio/format_parser.h"
#include "recordio/number_fields.h"

namespace recordio {
namespace {

constexpr std::size_t kRecordLimit = 1000000000;  // the unit's record length

constexpr std::string_view kExhausted = "Exhausted data descriptors in format";
constexpr std::string_view kEndOfRecord = "End of record";

// Run-time state of one node. A group's `current` is the child being worked
// on, kRest before its pass has begun, or kPassEnd once its children are
// done; `uses` counts the node's hand-outs (a group's: its finished passes).
constexpr std::int32_t kRest = -1;
constexpr std::int32_t kPassEnd = -2;

struct WalkState {
  std::int32_t uses = 0;
  std::int32_t current = kRest;
};

const FormatNode kColonMarker{FormatKind::colon};

bool is_data_descriptor(FormatKind kind) {
  return kind == FormatKind::a || kind == FormatKind::i ||
         kind == FormatKind::f || kind == FormatKind::e;
}

const char* type_name(OutputItem::Kind kind) {
  switch (kind) {
    case OutputItem::Kind::integer: return "INTEGER";
    case OutputItem::Kind::real: return "REAL";
    case OutputItem::Kind::character: return "CHARACTER";
  }
  return "";
}

OutputItem::Kind needed_kind(FormatKind descriptor) {
  switch (descriptor) {
    case FormatKind::i: return OutputItem::Kind::integer;
    case FormatKind::f:
    case FormatKind::e: return OutputItem::Kind::real;
    default: return OutputItem::Kind::character;
  }
}

// The message, the format (80 characters at most, starting 40 before the
// place when the place lies more than 60 into it) and a caret under the place.
std::string error_report(std::string_view message, std::string_view format,
                         std::size_t place) {
  const std::size_t start = place > 60 ? place - 40 : 0;
  std::string report(message);
  report += '\n';
  report += format.substr(start, 80);
  report += '\n';
  report.append(place - start, ' ');
  report += '^';
  return report;
}

// One output statement: Begin, one Transfer per item, End. The record under
// construction is the tail of `out` from record_start_; its length is what
// has been written, and the position may lie beyond it after an X.
class Statement {
 public:
  Statement(std::string& out, std::string_view format,
            const ParsedFormat& parsed, std::vector<WalkState>& state,
            std::string& error)
      : out_(out), format_(format), parsed_(parsed), nodes_(parsed.nodes),
        state_(state), error_(error), record_start_(out.size()) {}

  bool run(std::span<const OutputItem> items) {
    bool ok = run_engine(nullptr);
    for (std::size_t k = 0; ok && k < items.size(); ++k) {
      item_number_ = static_cast<int>(k + 1);
      ok = run_engine(&items[k]);
    }
    if (!ok) {
      // The pending record, as closing the unit would deliver it.
      if (length() > 0) out_ += '\n';
      return false;
    }
    if (!dollar_seen_) out_ += '\n';
    return true;
  }

  // The same statement when the format's one pass is the plain sequence
  // `plan` and there is one item per data descriptor in it: the walk would
  // hand out exactly these nodes, in this order, and then stop.
  bool run_plan(std::span<const OutputItem> items,
                const std::vector<std::int32_t>& plan) {
    std::size_t k = 0;
    for (const std::int32_t index : plan) {
      const FormatNode& node = nodes_[index];
      bool ok = true;
      switch (node.kind) {
        case FormatKind::literal:
          ok = write_literal(node);
          break;
        case FormatKind::x:
          move_right(static_cast<std::size_t>(node.width));
          break;
        default:
          item_number_ = static_cast<int>(k + 1);
          ok = transfer(node, items[k++]);
          break;
      }
      if (!ok) {
        if (length() > 0) out_ += '\n';
        return false;
      }
    }
    out_ += '\n';
    return true;
  }

 private:
  std::size_t length() const { return out_.size() - record_start_; }

  bool fail(std::string_view message, std::size_t place) {
    error_ = error_report(message, format_, place);
    return false;
  }

  // The next node of the walk, or nullptr once the root is used up.
  const FormatNode* next_in_walk() {
    while (active_ != kNoNode) {
      const FormatNode& group = nodes_[active_];
      WalkState& gs = state_[active_];
      if (gs.current == kRest) gs.current = first_or_end(group.first_child);
      if (gs.current == kPassEnd) {
        if (++gs.uses < group.repeat) {
          gs.current = group.first_child;
          continue;
        }
        gs = WalkState{};
        const std::int32_t parent = group.parent;
        if (parent != kNoNode) {
          state_[parent].current = first_or_end(group.next_sibling);
        }
        active_ = parent;
        continue;
      }
      const std::int32_t c = gs.current;
      const FormatNode& child = nodes_[c];
      if (child.kind == FormatKind::group) {
        // A group with nothing to hand out is passed over whatever its repeat.
        if (child.hands_out_nodes) {
          active_ = c;
        } else {
          gs.current = first_or_end(child.next_sibling);
        }
        continue;
      }
      WalkState& cs = state_[c];
      if (cs.uses < child.repeat) {
        ++cs.uses;
        return &child;
      }
      cs.uses = 0;
      gs.current = first_or_end(child.next_sibling);
    }
    return nullptr;
  }

  static std::int32_t first_or_end(std::int32_t index) {
    return index == kNoNode ? kPassEnd : index;
  }

  // The next node to act on; nullptr when the format is used up and may not
  // restart because no data descriptor was handed out since the last restart.
  const FormatNode* fetch() {
    const FormatNode* node = pushed_back_;
    pushed_back_ = nullptr;
    if (node == nullptr) node = next_in_walk();
    if (node == nullptr) {
      if (!data_seen_) return nullptr;
      // Restart: at the last group standing directly in the root, with its
      // full repeat, or at the root's first node.
      data_seen_ = false;
      restart_pending_ = true;
      active_ = 0;
      state_[0].current =
          parsed_.restart_group == kNoNode ? kRest : parsed_.restart_group;
      return &kColonMarker;
    }
    if (is_data_descriptor(node->kind)) data_seen_ = true;
    return node;
  }

  // Runs the format until a data descriptor finds no item waiting, or the
  // statement stops. `item` is null for Begin.
  bool run_engine(const OutputItem* item) {
    for (;;) {
      const FormatNode* node = fetch();
      if (node == nullptr) {
        return item == nullptr || fail(kExhausted, nodes_[0].source_position);
      }
      if (restart_pending_ && item != nullptr) {
        restart_pending_ = false;
        end_record();
      }
      switch (node->kind) {
        case FormatKind::colon:
          if (item == nullptr) return true;
          break;
        case FormatKind::literal:
          if (!write_literal(*node)) return false;
          break;
        case FormatKind::x:
          move_right(static_cast<std::size_t>(node->width));
          break;
        case FormatKind::slash:
          end_record();
          break;
        case FormatKind::dollar:
          dollar_seen_ = true;
          break;
        case FormatKind::group:
          break;  // the walk never hands out a group
        case FormatKind::a:
        case FormatKind::i:
        case FormatKind::f:
        case FormatKind::e:
          if (item == nullptr) {
            pushed_back_ = node;
            return true;
          }
          if (!transfer(*node, *item)) return false;
          item = nullptr;
          break;
      }
    }
  }

  void end_record() {
    out_ += '\n';
    record_start_ = out_.size();
    position_ = 0;
  }

  // X: the blanks passed over reach the record only if something is
  // written further right.
  void move_right(std::size_t n) {
    position_ = n > kRecordLimit - position_ ? kRecordLimit : position_ + n;
  }

  // Makes room for n characters at the position: fills the gap an X left.
  bool start_write(std::size_t n, std::size_t source) {
    if (n > kRecordLimit - position_) return fail(kEndOfRecord, source);
    if (position_ > length()) out_.append(position_ - length(), ' ');
    return true;
  }
  void finish_write() { position_ = length(); }

  bool write_literal(const FormatNode& node) {
    if (!start_write(static_cast<std::size_t>(node.width),
                     node.source_position)) {
      return false;
    }
    const char quote = format_[node.text - 1];
    std::size_t at = node.text;
    for (std::int32_t k = 0; k < node.width; ++k) {
      out_ += format_[at];
      at += format_[at] == quote ? 2 : 1;  // a doubled quote is written once
    }
    finish_write();
    return true;
  }

  bool transfer(const FormatNode& node, const OutputItem& item) {
    const OutputItem::Kind needed = needed_kind(node.kind);
    if (item.kind != needed) {
      char message[128];
      std::snprintf(message, sizeof message,
                    "Expected %s for item %d in formatted transfer, got %s",
                    type_name(needed), item_number_, type_name(item.kind));
      return fail(message, node.source_position);
    }
    const std::size_t width = node.width >= 0
                                  ? static_cast<std::size_t>(node.width)
                                  : item.text.size();
    if (!start_write(width, node.source_position)) return false;
    switch (node.kind) {
      case FormatKind::a:
        append_text_field(item.text, width);
        break;
      case FormatKind::i:
        append_integer_field(out_, item.integer, node.width, node.digits);
        break;
      case FormatKind::f:
        append_fixed_field(out_, item.real, node.width, node.digits);
        break;
      default:
        append_exponent_field(out_, item.real, node.width, node.digits,
                              node.exponent_digits);
        break;
    }
    finish_write();
    return true;
  }

  // Aw: right-justified when the text is shorter, its first w characters
  // when longer; trailing blanks of the text count as characters.
  void append_text_field(std::string_view text, std::size_t width) {
    if (width >= text.size()) {
      out_.append(width - text.size(), ' ');
      out_ += text;
    } else {
      out_ += text.substr(0, width);
    }
  }

  std::string& out_;
  std::string_view format_;
  const ParsedFormat& parsed_;
  const std::vector<FormatNode>& nodes_;
  std::vector<WalkState>& state_;
  std::string& error_;
  std::size_t record_start_;
  std::size_t position_ = 0;
  std::int32_t active_ = 0;  // the innermost group being walked
  const FormatNode* pushed_back_ = nullptr;
  bool data_seen_ = true;  // set by the parse
  bool restart_pending_ = false;
  bool dollar_seen_ = false;
  int item_number_ = 0;
};

// The program writes thousands of lines under one format in a row, so the
// last format parsed is kept: such a run parses once and, its storage
// reused, needs no heap per statement. Every statement starts with its own
// walk state at rest.
struct FormatCache {
  std::string text;
  ParsedFormat parsed;
  bool valid = false;
  std::vector<WalkState> state;
  // One pass of the format as a plain sequence, when it is one (see below).
  bool has_plan = false;
  std::vector<std::int32_t> plan;
  std::size_t plan_items = 0;  // data descriptors in the plan
};

// A pass of a format without slash or dollar is a fixed sequence of texts,
// skips and data descriptors, repeats and groups spelt out; statements that
// bring exactly one item per data descriptor (every pair row of the report)
// can follow it instead of walking the tree. Deep or long formats keep the
// walk.
constexpr std::size_t kMaxPlan = 64;
constexpr int kMaxPlanDepth = 8;

bool flatten(const std::vector<FormatNode>& nodes, std::int32_t group, int depth,
             FormatCache& cache) {
  if (depth > kMaxPlanDepth) return false;
  for (std::int32_t c = nodes[group].first_child; c != kNoNode;
       c = nodes[c].next_sibling) {
    const FormatNode& node = nodes[c];
    for (std::int32_t r = 0; r < node.repeat; ++r) {
      switch (node.kind) {
        case FormatKind::group:
          // A group with nothing to hand out is passed over whatever its repeat.
          if (!node.hands_out_nodes) break;
          if (!flatten(nodes, c, depth + 1, cache)) return false;
          break;
        case FormatKind::literal:
        case FormatKind::x:
          cache.plan.push_back(c);
          break;
        case FormatKind::a:
        case FormatKind::i:
        case FormatKind::f:
        case FormatKind::e:
          cache.plan.push_back(c);
          ++cache.plan_items;
          break;
        default:
          return false;  // slash, dollar
      }
      if (cache.plan.size() > kMaxPlan) return false;
    }
  }
  return true;
}

void make_plan(FormatCache& cache) {
  cache.plan.clear();
  cache.plan_items = 0;
  cache.has_plan = cache.parsed.nodes[0].repeat == 1 &&
                   flatten(cache.parsed.nodes, 0, 0, cache) &&
                   cache.plan_items > 0;
}

}  // namespace

bool write_edited_records(std::string& out, std::string_view format,
                          std::span<const OutputItem> items,
                          std::string& error) {
  static FormatCache cache;
  if (!cache.valid || cache.text != format) {
    cache.valid = false;
    FormatError parse_error;
    if (!parse_format(format, cache.parsed, parse_error)) {
      error = error_report(parse_error.message, format, parse_error.position);
      return false;
    }
    cache.text.assign(format);
    cache.valid = true;
    make_plan(cache);
  }
  Statement statement(out, format, cache.parsed, cache.state, error);
  if (cache.has_plan && items.size() == cache.plan_items)
    return statement.run_plan(items, cache.plan);  // no walk, no walk state
  cache.state.assign(cache.parsed.nodes.size(), WalkState{});
  return statement.run(items);
}

}  // namespace recordio
