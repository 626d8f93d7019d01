// CPatternT: compiles at construction, searches on request; see pattern.h.
#include "regex/pattern.h"

#include "regex/compiler.h"
#include "regex/matcher.h"

namespace cw {
namespace {

template <class CharT>
int TextLength(const CharT* text) {
  int length = 0;
  if (text != nullptr) {
    while (text[length] != 0) ++length;
  }
  return length;
}

}  // namespace

template <class CharT>
CPatternT<CharT>::CPatternT(const CharT* pattern, int flags) : compiler_(std::make_unique<CPatternCompilerT<CharT>>()) {
  compiler_->Compile(pattern, TextLength(pattern), flags);
}

template <class CharT>
CPatternT<CharT>::~CPatternT() = default;

template <class CharT>
CMatchSpansT CPatternT<CharT>::Search(const CharT* text, int start) const {
  return SearchCompiled(*compiler_, text, TextLength(text), start, step_limit_);
}

template <class CharT>
CMatchSpansT CPatternT<CharT>::Search(const CharT* text, int length, int start) const {
  return SearchCompiled(*compiler_, text, length, start, step_limit_);
}

template <class CharT>
int CPatternT<CharT>::HighestGroup() const {
  return compiler_->HighestGroup();
}

template class CPatternT<wchar_t>;
template class CPatternT<char16_t>;

}  // namespace cw
