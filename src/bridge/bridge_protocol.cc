// Encoding and decoding of the page <-> host bridge messages.
#include "bridge/bridge_protocol.h"

#include <cstdint>

#include "platform/text.h"

namespace cw {
namespace {

class ArrayReader {
 public:
  explicit ArrayReader(std::string_view text) : text_(text) {}

  bool Read(std::vector<std::optional<std::wstring>>* out) {
    SkipSpace();
    if (!Eat('[')) return false;
    SkipSpace();
    if (Eat(']')) return AtEnd();
    for (;;) {
      SkipSpace();
      std::optional<std::wstring> value;
      if (!ReadValue(&value)) return false;
      out->push_back(std::move(value));
      SkipSpace();
      if (Eat(']')) return AtEnd();
      if (!Eat(',')) return false;
    }
  }

 private:
  bool AtEnd() {
    SkipSpace();
    return pos_ == text_.size();
  }
  void SkipSpace() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
  }
  bool Eat(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool ReadValue(std::optional<std::wstring>* value) {
    if (text_.substr(pos_, 4) == "null") {
      pos_ += 4;
      value->reset();
      return true;
    }
    std::wstring s;
    if (!ReadString(&s)) return false;
    *value = std::move(s);
    return true;
  }
  bool ReadHex4(uint32_t* unit) {
    if (pos_ + 4 > text_.size()) return false;
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      char c = text_[pos_++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f') v |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') v |= static_cast<uint32_t>(c - 'A' + 10);
      else return false;
    }
    *unit = v;
    return true;
  }
  // After "\u": one code unit, or a surrogate pair written as two escapes.
  bool ReadUnicodeEscape(std::wstring* out) {
    uint32_t unit = 0;
    if (!ReadHex4(&unit)) return false;
    if (unit >= 0xD800 && unit <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
      size_t save = pos_;
      pos_ += 2;
      uint32_t low = 0;
      if (!ReadHex4(&low)) return false;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendCodePoint(out, static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
        return true;
      }
      pos_ = save;  // the second escape stands on its own
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;  // unpaired half
    out->push_back(static_cast<wchar_t>(unit));
    return true;
  }
  bool ReadString(std::wstring* out) {
    if (!Eat('"')) return false;
    size_t run_start = pos_;
    // The page's text is UTF-8 and never names bytes: nothing it sends can
    // become an escaped byte.
    auto flush = [&] {
      out->append(SystemToWideReplacing(text_.substr(run_start, pos_ - run_start)));
    };
    while (pos_ < text_.size()) {
      unsigned char c = static_cast<unsigned char>(text_[pos_]);
      if (c == '"') {
        flush();
        ++pos_;
        return true;
      }
      if (c < 0x20) return false;
      if (c != '\\') {
        ++pos_;
        continue;
      }
      flush();
      ++pos_;
      if (pos_ >= text_.size()) return false;
      char e = text_[pos_++];
      switch (e) {
        case '"': out->push_back(L'"'); break;
        case '\\': out->push_back(L'\\'); break;
        case '/': out->push_back(L'/'); break;
        case 'b': out->push_back(L'\b'); break;
        case 'f': out->push_back(L'\f'); break;
        case 'n': out->push_back(L'\n'); break;
        case 'r': out->push_back(L'\r'); break;
        case 't': out->push_back(L'\t'); break;
        case 'u':
          if (!ReadUnicodeEscape(out)) return false;
          break;
        default: return false;
      }
      run_start = pos_;
    }
    return false;  // no closing quote
  }

  std::string_view text_;
  size_t pos_ = 0;
};

void AppendHexEscape(std::string* out, uint32_t unit) {
  static const char kHex[] = "0123456789abcdef";
  out->append("\\u");
  for (int shift = 12; shift >= 0; shift -= 4) out->push_back(kHex[(unit >> shift) & 0xF]);
}

}  // namespace

bool IsBridgeMessage(std::string_view prompt_text) {
  return prompt_text.substr(0, kBridgePrefix.size()) == kBridgePrefix;
}

bool ParseJsonStringArray(std::string_view json, std::vector<std::optional<std::wstring>>* out) {
  out->clear();
  ArrayReader reader(json);
  if (reader.Read(out)) return true;
  out->clear();
  return false;
}

std::optional<BridgeRequest> ParseBridgeRequest(std::string_view prompt_text) {
  if (!IsBridgeMessage(prompt_text)) return std::nullopt;
  std::vector<std::optional<std::wstring>> values;
  if (!ParseJsonStringArray(prompt_text.substr(kBridgePrefix.size()), &values)) return std::nullopt;
  if (values.size() != 5 || !values[0] || !values[1] || !values[3] || !values[4]) return std::nullopt;
  BridgeRequest request;
  if (*values[0] == L"call") {
    request.kind = BridgeRequest::Kind::kCall;
  } else if (*values[0] == L"click") {
    request.kind = BridgeRequest::Kind::kClick;
  } else {
    return std::nullopt;
  }
  request.name = std::move(*values[1]);
  request.arg = std::move(values[2]);
  request.parm_text = std::move(*values[3]);
  request.config_text = std::move(*values[4]);
  return request;
}

std::string EncodeJsonString(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  size_t run_start = 0;
  auto flush = [&](size_t end) {
    if (end > run_start) out.append(WideToDisplayUtf8(text.substr(run_start, end - run_start)));
  };
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = static_cast<uint32_t>(text[i]);
    if (SurrogatePairAt(text, i)) {  // one character in UTF-16: the same escapes as its code point
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[i + 1]) - 0xDC00);
    }
    bool plain = c >= 0x20 && c != '"' && c != '\\' && c != '<' && c != '>' && c != '&' &&
                 c != 0x2028 && c != 0x2029 && c <= 0xFFFF && !(c >= 0xD800 && c <= 0xDFFF);
    if (plain) continue;
    flush(i);
    if (c > 0xFFFF && SurrogatePairAt(text, i)) ++i;
    run_start = i + 1;
    switch (c) {
      case '"': out.append("\\\""); break;
      case '\\': out.append("\\\\"); break;
      case '\n': out.append("\\n"); break;
      case '\r': out.append("\\r"); break;
      case '\t': out.append("\\t"); break;
      default:
        if (c > 0xFFFF && c <= 0x10FFFF) {
          uint32_t v = c - 0x10000;
          AppendHexEscape(&out, 0xD800 + (v >> 10));
          AppendHexEscape(&out, 0xDC00 + (v & 0x3FF));
        } else if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
          AppendHexEscape(&out, 0xFFFD);
        } else {
          AppendHexEscape(&out, c);
        }
    }
  }
  flush(text.size());
  out.push_back('"');
  return out;
}

std::string EncodePageOps(const std::vector<PageOp>& ops) {
  std::string out = "[";
  for (size_t i = 0; i < ops.size(); ++i) {
    if (i > 0) out.push_back(',');
    const PageOp& op = ops[i];
    if (op.kind == PageOp::Kind::kSetText) {
      out.append("{\"set\":").append(EncodeJsonString(op.target));
      out.append(",\"text\":").append(EncodeJsonString(op.text)).push_back('}');
    } else if (op.kind == PageOp::Kind::kSetData) {
      out.append("{\"data\":").append(EncodeJsonString(op.target));
      out.append(",\"key\":").append(EncodeJsonString(op.key));
      out.append(",\"text\":").append(EncodeJsonString(op.text)).push_back('}');
    } else {
      out.append("{\"call\":").append(EncodeJsonString(op.target)).push_back('}');
    }
  }
  out.push_back(']');
  return out;
}

std::string EncodeBridgeReply(const std::optional<std::wstring>& ret, const std::vector<PageOp>& ops) {
  std::string out = "{\"ret\":";
  out.append(ret ? EncodeJsonString(*ret) : std::string("null"));
  out.append(",\"ops\":").append(EncodePageOps(ops)).push_back('}');
  return out;
}

}  // namespace cw
