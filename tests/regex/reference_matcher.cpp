// The reference matcher and the generator of its patterns and texts.

#include "reference_matcher.h"

#include <algorithm>
#include <cstdio>

namespace zorbe::test {
namespace {

// The alphabet of generated texts and patterns: ア is 0x83 0x41 (its trail byte is the letter
// A), ぁ is 0x82 0x9F (both bytes lead-valued), ～ and 〜 (the same code without and with the
// alternate mark), the backslash and ¥ (the backslash byte with the mark), and escapes of
// characters CP932 lacks: two-, three- and four-byte ones in UTF-8, one whose trail bytes are
// ｱｲｱ, and wide ones (0xFE and four trail bytes).
const TRECode kAlphabet[] = {'a',  'b',  'A',    '^',    '$',    '\r',  '\n',
                             0xB1, 0xB2, 0x82A0, 0x82A2, 0x8341, 0x829F};
const TRECode kMarked = 0x10000;
const TRECode kEscaped = 0x200000;
const TRECode kExtendedAlphabet[] = {'\\',
                                     0x8160,
                                     kMarked | 0x8160,
                                     kMarked | '\\',
                                     kEscaped + 0xE9,
                                     kEscaped + 0xAC00,
                                     kEscaped + 0xB098,
                                     kEscaped + 0xD7A3,
                                     kEscaped + 0x11491,
                                     kEscaped + 0x20B9F,
                                     kEscaped + 0xF0000,
                                     kEscaped + 0x10FFFD};

std::size_t EndOf(const std::string& text) {
  return std::min(text.find('\0'), text.size());
}

// The code of a character of the internal form as the engine defines it, from its bytes.
TRECode CodeOf(const unsigned char* p, std::size_t length) {
  const bool marked = length > 1 && p[length - 1] == kAlternateMark;
  const std::size_t base = marked ? length - 1 : length;
  TRECode code = p[0];
  if (IsEscapeLead(p[0]) && base == EscapeLength(p[0])) {
    code = 0x200000 + EscapeCodePoint(p);
  } else if (base == 2) {
    code = static_cast<TRECode>(p[0] << 8 | p[1]);
  }
  if (marked) {
    code += code >= 0x200000 ? 0x200000 : 0x10000;
  }
  return code;
}

} // namespace

std::pair<TRECode, std::size_t> ReadReference(const std::string& text, std::size_t pos) {
  const std::size_t end = EndOf(text);
  if (pos >= end) {
    return {0, pos};
  }
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  const std::size_t length = InternalCharLength(p, p + (end - pos));
  return {CodeOf(p, length), pos + length};
}

std::string ReferenceBytes(TRECode code) {
  if (code >= 0x400000) {
    return ReferenceBytes(code - 0x200000) + '\xFF';
  }
  if (code >= 0x200000) {
    unsigned char escape[kMaxEscapeLength];
    return std::string(reinterpret_cast<char*>(escape), PutEscape(code - 0x200000, escape));
  }
  if (code >= 0x10000) {
    return ReferenceBytes(code - 0x10000) + '\xFF';
  }
  if (code < 0x100) {
    return std::string(1, static_cast<char>(code));
  }
  return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

namespace {

std::pair<TRECode, std::size_t> Read(const std::string& text, std::size_t pos) {
  return ReadReference(text, pos);
}

bool InRanges(const TCodeRanges& ranges, TRECode code) {
  return std::any_of(ranges.begin(), ranges.end(),
                     [code](const auto& r) { return r.first <= code && code <= r.second; });
}

std::string PatternChar(TRECode code, bool inClass) {
  if (code == '\r') {
    return "\\r";
  }
  if (code == '\n') {
    return "\\n";
  }
  const std::string special = inClass ? "]\\-^" : "^$\\";
  if (code < 0x80 && special.find(static_cast<char>(code)) != std::string::npos) {
    std::string escaped(1, '\\');
    escaped += ReferenceBytes(code);
    return escaped;
  }
  return ReferenceBytes(code);
}

bool NeedsGroup(const TRefNode& node) {
  return node.kind == TRefNode::Cat || node.kind == TRefNode::Alt || node.kind == TRefNode::Star ||
         node.kind == TRefNode::Plus || node.kind == TRefNode::Opt;
}

std::string Print(const TRefPattern& pattern, int index) {
  const TRefNode& node = pattern.nodes[static_cast<std::size_t>(index)];
  const auto operand = [&](int child, bool group) {
    const std::string text = Print(pattern, child);
    return group ? "(" + text + ")" : text;
  };
  const auto& left = [&]() -> const TRefNode& {
    return pattern.nodes[static_cast<std::size_t>(node.left)];
  };
  switch (node.kind) {
  case TRefNode::Char:
    return PatternChar(node.code, false);
  case TRefNode::Set:
    return node.setText;
  case TRefNode::Cat:
    return operand(node.left, left().kind == TRefNode::Alt) +
           operand(node.right,
                   pattern.nodes[static_cast<std::size_t>(node.right)].kind == TRefNode::Alt);
  case TRefNode::Alt:
    return Print(pattern, node.left) + "|" + Print(pattern, node.right);
  case TRefNode::Star:
    return operand(node.left, NeedsGroup(left())) + "*";
  case TRefNode::Plus:
    return operand(node.left, NeedsGroup(left())) + "+";
  case TRefNode::Opt:
    return operand(node.left, NeedsGroup(left())) + "?";
  case TRefNode::Caret:
    return "^";
  case TRefNode::Dollar:
    return "$";
  case TRefNode::Empty:
    return "()";
  }
  return "";
}

// Whether an anchor of the kind sits where it anchors: reached from the root through
// alternatives and the first (for `^`) or last (for `$`) part of concatenations only.
bool HasAnchor(const TRefPattern& pattern, int index, TRefNode::TKind anchor) {
  const TRefNode& node = pattern.nodes[static_cast<std::size_t>(index)];
  switch (node.kind) {
  case TRefNode::Caret:
  case TRefNode::Dollar:
    return node.kind == anchor;
  case TRefNode::Cat:
    return HasAnchor(pattern, anchor == TRefNode::Caret ? node.left : node.right, anchor);
  case TRefNode::Alt:
    return HasAnchor(pattern, node.left, anchor) || HasAnchor(pattern, node.right, anchor);
  case TRefNode::Opt:
    return HasAnchor(pattern, node.left, anchor);
  case TRefNode::Plus:
    return anchor == TRefNode::Caret && HasAnchor(pattern, node.left, anchor);
  default:
    return false;
  }
}

} // namespace

std::string TRefPattern::Text() const {
  return Print(*this, root);
}
bool TRefPattern::HasLineStartAnchor() const {
  return HasAnchor(*this, root, TRefNode::Caret);
}
bool TRefPattern::HasLineEndAnchor() const {
  return HasAnchor(*this, root, TRefNode::Dollar);
}

TRefPattern TRefGenerator::Pattern() {
  TRefPattern pattern;
  pattern.root = Node(pattern, 4);
  return pattern;
}

TRefPattern TRefGenerator::WordList(int count) {
  TRefPattern pattern;
  auto add = [&pattern](TRefNode node) {
    pattern.nodes.push_back(std::move(node));
    return static_cast<int>(pattern.nodes.size() - 1);
  };
  for (int i = 0; i < count; ++i) {
    int word = -1;
    for (int length = 1 + Below(4); length > 0; --length) {
      TRefNode character;
      character.kind = TRefNode::Char;
      do {
        character.code = Character();
      } while (character.code == '^' || character.code == '$');
      const int next = add(character);
      word = word < 0 ? next : add(TRefNode{TRefNode::Cat, 0, {}, false, {}, word, next});
    }
    pattern.root = pattern.root < 0
                       ? word
                       : add(TRefNode{TRefNode::Alt, 0, {}, false, {}, pattern.root, word});
  }
  return pattern;
}

TRECode TRefGenerator::Character() {
  if (extended_ && Below(3) == 0) {
    return kExtendedAlphabet[Below(static_cast<int>(std::size(kExtendedAlphabet)))];
  }
  return kAlphabet[Below(static_cast<int>(std::size(kAlphabet)))];
}

int TRefGenerator::Node(TRefPattern& pattern, int depth) {
  TRefNode node;
  const int choice = Below(100);
  if (depth <= 0 || choice < 35) {
    const int leaf = Below(100);
    if (leaf < 75 && leaf >= 55) {
      return SetNode(pattern);
    }
    node.kind = leaf < 55   ? TRefNode::Char
                : leaf < 83 ? TRefNode::Caret
                : leaf < 91 ? TRefNode::Dollar
                            : TRefNode::Empty;
    node.code = Character();
  } else {
    node.kind = choice < 55   ? TRefNode::Cat
                : choice < 70 ? TRefNode::Alt
                : choice < 80 ? TRefNode::Star
                : choice < 88 ? TRefNode::Plus
                              : TRefNode::Opt;
    node.left = Node(pattern, depth - 1);
    if (node.kind == TRefNode::Cat || node.kind == TRefNode::Alt) {
      node.right = Node(pattern, depth - 1);
    }
  }
  pattern.nodes.push_back(node);
  return static_cast<int>(pattern.nodes.size() - 1);
}

int TRefGenerator::SetNode(TRefPattern& pattern) {
  TRefNode node;
  node.kind = TRefNode::Set;
  if (Below(5) == 0) {
    node.negated = true; // every character but NUL, LF and CR
    node.setText.assign(1, '.');
  } else {
    node.negated = Below(10) < 3;
    TCodeRanges items;
    std::string text = node.negated ? "[^" : "[";
    for (int n = 1 + Below(3); n > 0; --n) {
      TRECode low = Character();
      TRECode high = low;
      if (Below(3) == 0) {
        high = Character();
        if (high < low) {
          std::swap(low, high);
        }
      }
      items.emplace_back(low, high);
      text += PatternChar(low, true);
      if (high != low) {
        text += '-';
        text += PatternChar(high, true);
      }
    }
    node.ranges = items;
    node.setText = text + "]";
  }
  pattern.nodes.push_back(node);
  return static_cast<int>(pattern.nodes.size() - 1);
}

std::string TRefGenerator::Text() {
  std::string text;
  for (int n = Below(11); n > 0; --n) {
    text += ReferenceBytes(Character());
  }
  if (Below(10) == 0) {
    text += "\x82"; // a lead byte cut off by the end
  }
  if (Below(20) == 0) {
    text += std::string("\0ab", 3);
  }
  return text;
}

TReferenceMatcher::TEnds TReferenceMatcher::CharEnds(bool matches, std::size_t next) const {
  return matches ? TEnds{{next, false}} : TEnds{};
}

TReferenceMatcher::TEnds TReferenceMatcher::Ends(int index, std::size_t pos, bool atStart,
                                                 bool atEnd, const TContext& context) const {
  const TRefNode& node = pattern_.nodes[static_cast<std::size_t>(index)];
  const auto [code, next] = Read(*context.text, pos);
  TEnds ends;
  switch (node.kind) {
  case TRefNode::Char:
    return CharEnds(code != 0 && code == node.code, next);
  case TRefNode::Set:
    return CharEnds(code != 0 &&
                        (node.negated ? code != '\n' && code != '\r' && !InRanges(node.ranges, code)
                                      : InRanges(node.ranges, code)),
                    next);
  case TRefNode::Empty:
    return {{pos, false}};
  case TRefNode::Caret:
    if (!atStart) {
      return CharEnds(code == '^', next);
    }
    return context.anchors && context.lineStart ? TEnds{{pos, false}} : TEnds{};
  case TRefNode::Dollar: {
    if (!atEnd) {
      return CharEnds(code == '$', next);
    }
    const bool lineEnd = code == 0 || code == (separator_ == mcls_CRLF ? '\r' : '\n');
    return context.anchors && lineEnd ? TEnds{{pos, true}} : TEnds{};
  }
  case TRefNode::Alt:
    ends = Ends(node.left, pos, atStart, atEnd, context);
    for (const auto& end : Ends(node.right, pos, atStart, atEnd, context)) {
      ends.insert(end);
    }
    return ends;
  case TRefNode::Opt:
    ends = Ends(node.left, pos, atStart, atEnd, context);
    ends.insert({pos, false});
    return ends;
  case TRefNode::Cat:
  case TRefNode::Plus:
  case TRefNode::Star:
    break;
  }
  // Star: every number of rounds of the body, none first. Plus: one round, then a Star.
  // Cat: the left part, then the right part from each of its ends.
  const auto repeat = [&](const TEnds& starts) {
    TEnds all = starts;
    std::vector<std::pair<std::size_t, bool>> pending(starts.begin(), starts.end());
    while (!pending.empty()) {
      const auto [from, dollar] = pending.back();
      pending.pop_back();
      for (const auto& [end, passed] : Ends(node.left, from, false, false, context)) {
        if (all.insert({end, dollar || passed}).second) {
          pending.push_back({end, dollar || passed});
        }
      }
    }
    return all;
  };
  if (node.kind == TRefNode::Star) {
    return repeat({{pos, false}});
  }
  const TEnds first = Ends(node.left, pos, atStart, false, context);
  if (node.kind == TRefNode::Plus) {
    return repeat(first);
  }
  for (const auto& [middle, dollar] : first) {
    for (const auto& [end, passed] : Ends(node.right, middle, false, atEnd, context)) {
      ends.insert({end, dollar || passed});
    }
  }
  return ends;
}

std::optional<std::size_t> TReferenceMatcher::Longest(const std::string& text, std::size_t pos,
                                                      bool lineStart, bool anchors) const {
  if (text != cachedText_) {
    cachedText_ = text;
    cache_.clear();
  }
  const auto key = std::make_tuple(pos, lineStart, anchors);
  if (const auto found = cache_.find(key); found != cache_.end()) {
    return found->second;
  }
  const TEnds ends = Ends(pattern_.root, pos, true, true, TContext{&text, lineStart, anchors});
  const auto longest = ends.empty() ? std::nullopt : std::optional(ends.rbegin()->first);
  cache_.emplace(key, longest);
  return longest;
}

std::optional<TREMatch> TReferenceMatcher::SearchFrom(const std::string& text,
                                                      std::size_t pos) const {
  for (; pos < EndOf(text); pos = Read(text, pos).second) {
    if (const auto end = Longest(text, pos, false, true)) {
      return TREMatch{pos, *end};
    }
    if (text[pos] == '\n' && pattern_.HasLineStartAnchor()) {
      if (const auto end = Longest(text, pos + 1, true, true)) {
        return TREMatch{pos + 1, *end};
      }
    }
  }
  // At the end only a match that is nothing but `$` counts.
  const TEnds ends = Ends(pattern_.root, pos, true, true, TContext{&text, false, true});
  if (ends.count({pos, true}) != 0) {
    return TREMatch{pos, pos};
  }
  return std::nullopt;
}

std::optional<TREMatch> TReferenceMatcher::AnchoredSearch(const std::string& text,
                                                          std::size_t pos) const {
  if (const auto end = Longest(text, pos, true, true)) {
    return TREMatch{pos, *end};
  }
  return SearchFrom(text, pos);
}

std::optional<TREMatch> TReferenceMatcher::UnanchoredSearch(const std::string& text,
                                                            std::size_t pos) const {
  if (pos >= EndOf(text)) {
    const auto end = Longest(text, pos, false, false);
    return end ? std::optional<TREMatch>(TREMatch{pos, pos}) : std::nullopt;
  }
  for (; pos < EndOf(text); pos = Read(text, pos).second) {
    if (const auto end = Longest(text, pos, false, false)) {
      return TREMatch{pos, *end};
    }
  }
  return std::nullopt;
}

std::optional<TREMatch> TReferenceMatcher::SearchAtLineStart(const std::string& text,
                                                             std::size_t pos) const {
  if (pattern_.HasLineStartAnchor() || pattern_.HasLineEndAnchor()) {
    return AnchoredSearch(text, pos);
  }
  return UnanchoredSearch(text, pos);
}

std::vector<TREMatch> TReferenceMatcher::AllMatches(const std::string& text) const {
  std::vector<TREMatch> matches;
  auto match = SearchAtLineStart(text, 0);
  while (match) {
    matches.push_back(*match);
    std::size_t next = match->end;
    if (match->start == match->end && match->start < EndOf(text)) {
      next = Read(text, match->start).second;
      if (separator_ == mcls_CRLF && text[match->start] == '\r' && next < EndOf(text) &&
          text[next] == '\n') {
        ++next;
      }
    }
    if (next >= EndOf(text)) {
      break;
    }
    match = text[next - 1] == '\n' ? SearchAtLineStart(text, next) : SearchFrom(text, next);
  }
  return matches;
}

} // namespace zorbe::test
