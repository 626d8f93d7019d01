// Scanner stage of the pattern compiler; see scanner.h.
#include "regex/scanner.h"

#include <type_traits>

namespace cw {

int RegexHexValue(uint32_t unit) {
  if (unit >= '0' && unit <= '9') return static_cast<int>(unit - '0');
  if (unit >= 'a' && unit <= 'f') return static_cast<int>(unit - 'a' + 10);
  if (unit >= 'A' && unit <= 'F') return static_cast<int>(unit - 'A' + 10);
  return -1;
}

template <class CharT>
uint32_t CScannerT<CharT>::UnitAt(int i) const {
  if (i < 0 || i >= length_) return 0;
  return static_cast<std::make_unsigned_t<CharT>>(pattern_[i]);
}

template <class CharT>
RegexToken CScannerT<CharT>::Make(uint32_t unit, bool special, int length) const {
  RegexToken token;
  token.unit = unit;
  token.special = special;
  token.position = position_;
  token.length = length;
  return token;
}

template <class CharT>
uint32_t CScannerT<CharT>::Transform(uint32_t unit) const {
  if (transform_ == 1 && unit >= 'A' && unit <= 'Z') return unit + 32;
  if (transform_ == 2 && unit >= 'a' && unit <= 'z') return unit - 32;
  return unit;
}

template <class CharT>
RegexToken CScannerT<CharT>::Remember(const RegexToken& token) {
  before_last_ = last_;
  last_ = token;
  position_ += token.length;
  return token;
}

// Reads a backslash sequence at position_. Returns false when it yields no
// token (quoting switches, '\G' inside a class); position_ then moves past it.
template <class CharT>
bool CScannerT<CharT>::ScanEscape(RegexToken& token) {
  const uint32_t c = UnitAt(position_ + 1);
  const bool in_class = class_depth_ > 0;
  if (position_ + 1 >= length_) {
    token = Make('\\', false, 1);
    return true;
  }
  if (c >= '0' && c <= '9') {
    token = Make('\\', true, 1);
    return true;
  }
  switch (c) {
    case 'A': case 'B': case 'D': case 'S': case 'W': case 'Z':
    case 'd': case 'g': case 'k': case 's': case 'w': case 'z':
      token = Make(c, true, 2);
      return true;
    case 'b':
      token = in_class ? Make(8, false, 2) : Make('b', true, 2);
      return true;
    case 'G':
      if (in_class) {
        position_ += 2;
        return false;
      }
      token = Make('G', true, 2);
      return true;
    case 'a': token = Make(7, false, 2); return true;
    case 'f': token = Make(12, false, 2); return true;
    case 'n': token = Make(10, false, 2); return true;
    case 'r': token = Make(13, false, 2); return true;
    case 't': token = Make(9, false, 2); return true;
    case 'v': token = Make(11, false, 2); return true;
    case 'e': token = Make(27, false, 2); return true;
    case 'Q':
      quoting_ = true;
      position_ += 2;
      return false;
    case 'L':
    case 'U':
      quoting_ = true;
      if (transform_ == 0) transform_ = c == 'L' ? 1 : 2;
      position_ += 2;
      return false;
    case 'E':
      quoting_ = false;
      transform_ = 0;
      position_ += 2;
      return false;
    case 'x':
    case 'u': {
      if (UnitAt(position_ + 2) == '{' && position_ + 2 < length_) {
        uint32_t value = 0;
        int i = position_ + 3;
        for (int digits = 0; digits < 8 && i < length_ && RegexHexValue(UnitAt(i)) >= 0; ++digits, ++i) {
          value = value * 16 + static_cast<uint32_t>(RegexHexValue(UnitAt(i)));
        }
        while (i < length_ && UnitAt(i) != '}') ++i;
        if (i < length_) ++i;  // the closing brace
        token = Make(value & 0xFFFF, false, i - position_);
        return true;
      }
      const int max_digits = c == 'x' ? 2 : 4;
      uint32_t value = 0;
      int digits = 0;
      while (digits < max_digits && position_ + 2 + digits < length_ &&
             RegexHexValue(UnitAt(position_ + 2 + digits)) >= 0) {
        value = value * 16 + static_cast<uint32_t>(RegexHexValue(UnitAt(position_ + 2 + digits)));
        ++digits;
      }
      token = digits == 0 ? Make(c, false, 2) : Make(value, false, 2 + digits);
      return true;
    }
    default:
      token = Make(c, false, 2);
      return true;
  }
}

template <class CharT>
RegexToken CScannerT<CharT>::Next() {
  for (;;) {
    if (position_ >= length_) {
      RegexToken end = Make(0, true, 0);
      end.position = length_;
      return end;
    }
    const uint32_t c = UnitAt(position_);
    const bool in_class = class_depth_ > 0;
    if (quoting_) {
      if (c == '\\' && UnitAt(position_ + 1) == 'E' && position_ + 1 < length_) {
        quoting_ = false;
        transform_ = 0;
        position_ += 2;
        continue;
      }
      return Remember(Make(Transform(c), false, 1));
    }
    switch (c) {
      case '$': case ')': case '*': case '+': case '.': case '?': case '{': case '|': case '}':
        return Remember(Make(c, !in_class, 1));
      case '(':
        if (UnitAt(position_ + 1) == '?' && UnitAt(position_ + 2) == '#' && position_ + 2 < length_) {
          int i = position_ + 3;
          while (i < length_ && UnitAt(i) != ')') ++i;
          position_ = i < length_ ? i + 1 : length_;
          continue;
        }
        return Remember(Make(c, !in_class, 1));
      case '-':
        return Remember(Make(c, in_class, 1));
      case '[':
        if (!in_class || (UnitAt(position_ + 1) == ':' && position_ + 1 < length_)) {
          ++class_depth_;
          return Remember(Make(c, true, 1));
        }
        return Remember(Make(c, false, 1));
      case ']':
        if (in_class) {
          --class_depth_;
          return Remember(Make(c, true, 1));
        }
        return Remember(Make(c, false, 1));
      case ':':
        return Remember(Make(c, last_.IsSpecial('[') && last_.length > 0, 1));
      case '^': {
        const bool special = !in_class || last_.IsSpecial('[') ||
                             (before_last_.IsSpecial('[') && last_.IsSpecial(':'));
        return Remember(Make(c, special, 1));
      }
      case '\\': {
        RegexToken token;
        if (ScanEscape(token)) return Remember(token);
        continue;
      }
      default:
        return Remember(Make(c, false, 1));
    }
  }
}

template class CScannerT<wchar_t>;
template class CScannerT<char16_t>;

}  // namespace cw
