// Test helper: a compact text form of a compiled element tree, so compiler
// tests can state the expected tree shape in one line.
#pragma once

#include <string>

#include "regex/compiler.h"
#include "regex/elements.h"
#include "regex/pattern.h"

namespace cw::testing {

inline std::string DescribeUnit(uint32_t unit) {
  if (unit >= 32 && unit < 127) return std::string(1, static_cast<char>(unit));
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\\x";
  if (unit > 0xFF) {
    out += kHex[(unit >> 12) & 15];
    out += kHex[(unit >> 8) & 15];
  }
  out += kHex[(unit >> 4) & 15];
  out += kHex[unit & 15];
  return out;
}

inline std::string DescribePosix(bool (*classify)(uint32_t)) {
  if (classify == nullptr) return "none";
  for (const char* name : {"alnum:", "alpha:", "ascii:", "cntrl:", "digit:", "graph:", "lower:", "print:",
                           "punct:", "space:", "upper:", "xdigit:", "blank:"}) {
    if (RegexPosixClassifier(name) == classify) return std::string(name, std::char_traits<char>::length(name) - 1);
  }
  return "?";
}

// Forms: empty, G, str'abc' (/i ignore case, /r right to left), [a-z_{nested}]
// ([^...] negated), posix:name, b<kind> / !b<kind>, (n and )n for brackets,
// \n back-reference, seq(...), alt(...|...), rep{n}(...), greedy{n,+e}(...),
// lazy{n,+e}(...), poss{n,+e}(...), atomic(...), assert(...) / !assert(...),
// cond<n>(assertion;yes;no), recurse<n> (recurse<n>! when unbound).
inline std::string Describe(ElxPtr<wchar_t> e) {
  if (e == nullptr) return "null";
  if (dynamic_cast<const CEmptyElxT<wchar_t>*>(e)) return "empty";
  if (dynamic_cast<const CGlobalElxT<wchar_t>*>(e)) return "G";
  if (auto* s = dynamic_cast<const CStringElxT<wchar_t>*>(e)) {
    std::string out = "str'";
    for (int i = 0; i < s->units_.Size(); ++i) out += DescribeUnit(static_cast<uint32_t>(s->units_[i]));
    out += "'";
    if (s->ignore_case_) out += "/i";
    if (s->right_to_left_) out += "/r";
    return out;
  }
  if (auto* r = dynamic_cast<const CRangeElxT<wchar_t>*>(e)) {
    std::string out = r->positive_ ? "[" : "[^";
    for (int i = 0; i + 1 < r->ranges_.Size(); i += 2) {
      out += DescribeUnit(r->ranges_[i]) + "-" + DescribeUnit(r->ranges_[i + 1]);
    }
    for (int i = 0; i < r->singles_.Size(); ++i) out += DescribeUnit(r->singles_[i]);
    for (int i = 0; i < r->nested_.Size(); ++i) out += "{" + Describe(r->nested_[i]) + "}";
    out += "]";
    if (r->right_to_left_) out += "/r";
    return out;
  }
  if (auto* p = dynamic_cast<const CPosixElxT<wchar_t>*>(e)) {
    return std::string("posix:") + (p->positive_ ? "" : "^") + DescribePosix(p->classify_);
  }
  if (auto* b = dynamic_cast<const CBoundaryElxT<wchar_t>*>(e)) {
    return std::string(b->positive_ ? "b" : "!b") + std::to_string(b->kind_);
  }
  if (auto* b = dynamic_cast<const CBracketElxT<wchar_t>*>(e)) {
    return (b->closing_ ? ")" : "(") + std::to_string(b->number_);
  }
  if (auto* b = dynamic_cast<const CBackrefElxT<wchar_t>*>(e)) {
    return "\\" + std::to_string(b->number_) + (b->ignore_case_ ? "/i" : "") + (b->right_to_left_ ? "/r" : "");
  }
  if (auto* l = dynamic_cast<const CListElxT<wchar_t>*>(e)) {
    std::string out = "seq(";
    for (int i = 0; i < l->children_.Size(); ++i) out += (i ? "," : "") + Describe(l->children_[i]);
    return out + ")" + (l->right_to_left_ ? "/r" : "");
  }
  if (auto* a = dynamic_cast<const CAlternativeElxT<wchar_t>*>(e)) {
    std::string out = "alt(";
    for (int i = 0; i < a->branches_.Size(); ++i) out += (i ? "|" : "") + Describe(a->branches_[i]);
    return out + ")";
  }
  auto counts = [](const CRepeatElxT<wchar_t>* r, int extra) {
    return "{" + std::to_string(r->count_) + ",+" + std::to_string(extra) + "}(" + Describe(r->child_) + ")";
  };
  if (auto* p = dynamic_cast<const CPossessiveElxT<wchar_t>*>(e)) return "poss" + counts(p, p->extra_);
  if (auto* g = dynamic_cast<const CGreedyElxT<wchar_t>*>(e)) return "greedy" + counts(g, g->extra_);
  if (auto* l = dynamic_cast<const CReluctantElxT<wchar_t>*>(e)) return "lazy" + counts(l, l->extra_);
  if (auto* r = dynamic_cast<const CRepeatElxT<wchar_t>*>(e)) {
    return "rep{" + std::to_string(r->count_) + "}(" + Describe(r->child_) + ")";
  }
  if (auto* i = dynamic_cast<const CIndependentElxT<wchar_t>*>(e)) return "atomic(" + Describe(i->child_) + ")";
  if (auto* a = dynamic_cast<const CAssertElxT<wchar_t>*>(e)) {
    return std::string(a->positive_ ? "assert(" : "!assert(") + Describe(a->child_) + ")";
  }
  if (auto* c = dynamic_cast<const CConditionElxT<wchar_t>*>(e)) {
    return "cond" + std::to_string(c->number_) + "(" + (c->assertion_ ? Describe(c->assertion_) : "") + ";" +
           Describe(c->yes_) + ";" + (c->no_ ? Describe(c->no_) : "") + ")";
  }
  if (auto* d = dynamic_cast<const CDelegateElxT<wchar_t>*>(e)) {
    return "recurse" + std::to_string(d->number_) + (d->target_ ? "" : "!");
  }
  return "?";
}

inline std::string DescribePattern(const CPattern& pattern) { return Describe(pattern.Compiled()->Top()); }

}  // namespace cw::testing
