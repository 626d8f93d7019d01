// Tests of the pattern trees of the differential tests: the rules of the
// shared syntax and the rendering.
#include <gtest/gtest.h>

#include "regex/pattern_tree.h"

namespace cw::testing {

namespace {

TEST(PatternTree, ValidateRejectsConstructsTheEnginesReadDifferently) {
  auto group = [](PatternNode::GroupKind kind, std::vector<PatternNode> seqs, int id = -1) {
    PatternNode g;
    g.kind = PatternNode::kGroup;
    g.group = kind;
    g.id = id;
    g.children.push_back(AltOf(std::move(seqs)));
    return g;
  };
  auto repeat = [](PatternNode atom, int min, int max, char mode = 'g') {
    PatternNode r;
    r.kind = PatternNode::kRepeat;
    r.min = min;
    r.max = max;
    r.mode = mode;
    r.children.push_back(std::move(atom));
    return r;
  };
  PatternNode ref;
  ref.kind = PatternNode::kBackref;
  ref.id = 0;
  PatternNode empty_capture = group(PatternNode::kCapture, {SeqOf({})}, 0);
  PatternNode a_capture = group(PatternNode::kCapture, {SeqOf({MakeChar(L'a')})}, 0);

  struct Case {
    const char* what;
    PatternNode root;
    bool valid;
  };
  const Case cases[] = {
      {"a*", AltOf({SeqOf({repeat(MakeChar(L'a'), 0, -1)})}), true},
      {"()*", AltOf({SeqOf({repeat(empty_capture, 0, -1)})}), false},
      {"(){2}", AltOf({SeqOf({repeat(empty_capture, 2, 2)})}), true},
      {"a{2}+", AltOf({SeqOf({repeat(MakeChar(L'a'), 2, 2, 'p')})}), false},
      {"(a)\\1", AltOf({SeqOf({a_capture, ref})}), true},
      {"\\1(a)", AltOf({SeqOf({ref, a_capture})}), false},
      {"()\\1+", AltOf({SeqOf({empty_capture, repeat(ref, 1, -1)})}), false},
      {"(?<=a|bc)", AltOf({SeqOf({group(PatternNode::kBehind, {SeqOf({MakeChar(L'a')}),
                                                                SeqOf({MakeChar(L'b'), MakeChar(L'c')})})})}),
       true},
      {"(?<=a*)", AltOf({SeqOf({group(PatternNode::kBehind, {SeqOf({repeat(MakeChar(L'a'), 0, -1)})})})}), false},
      {"(?<=(?:a|bc))",
       AltOf({SeqOf({group(PatternNode::kBehind,
                           {SeqOf({group(PatternNode::kNonCapture,
                                         {SeqOf({MakeChar(L'a')}), SeqOf({MakeChar(L'b'), MakeChar(L'c')})})})})})}),
       false},
  };
  for (const auto& c : cases) {
    GeneratedPattern p{c.root, false};
    EXPECT_EQ(Validate(p).empty(), c.valid) << c.what << " -> " << Printable(Render(p)) << " " << Validate(p);
  }
}

TEST(PatternTree, RendersEscapesAndNumbersGroupsInOrder) {
  PatternNode ref;
  ref.kind = PatternNode::kBackref;
  ref.id = 5;
  PatternNode g5;
  g5.kind = PatternNode::kGroup;
  g5.group = PatternNode::kCapture;
  g5.id = 5;
  g5.children.push_back(AltOf({SeqOf({MakeChar(L'.'), MakeChar(L'\n'), MakeChar(L'\u00e9')})}));
  PatternNode cls;
  cls.kind = PatternNode::kClass;
  cls.members = {{ClassMember::kSingle, L']', 0, L"", false}, {ClassMember::kRange, L'a', L'^', L"", false},
                 {ClassMember::kPosix, 0, 0, L"digit", true}};
  GeneratedPattern p{AltOf({SeqOf({g5, ref, MakeChar(L'1'), cls})}), false};
  EXPECT_EQ(Render(p), L"(\\.\\n\\x{e9})(?:\\1)1[\\]a-\\^[:^digit:]]");
  p.named = true;
  p.root.children[0].children[1].style = 1;
  EXPECT_EQ(Render(p), L"(?<n5>\\.\\n\\x{e9})\\k<n5>1[\\]a-\\^[:^digit:]]");
}

}  // namespace
}  // namespace cw::testing
