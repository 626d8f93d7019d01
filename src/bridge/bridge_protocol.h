// The messages that travel between the page and the host.
//
// Page -> host: the bridge script turns every call of an external method and
// every click on ButtonOK / ButtonCancel into one synchronous prompt whose
// text is "bridge:" followed by a JSON array of five values:
//   ["call",  method,    argument or null, parmContainer text, configParmContainer text]
//   ["click", elementId, null,             parmContainer text, configParmContainer text]
// Host -> page: the host answers that prompt with
//   {"ret": result or null, "ops": [operations]}
// and, outside a call, sends the same operations as a script. Operations are
// applied in order: {"set": id, "text": t} sets an element's text,
// {"data": id, "key": k, "text": t} sets its data-k attribute to t (a figure
// for readers that want more than the text), {"call": name} calls a page
// function if the page defines it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/page_protocol.h"

namespace cw {

inline constexpr std::string_view kBridgePrefix = "bridge:";

// The page's requests and the host's operations (platform/page_protocol.h).
using BridgeRequest = PageRequest;

// True when a prompt text is a bridge message (starts with kBridgePrefix).
bool IsBridgeMessage(std::string_view prompt_text);

// Parses a whole prompt text (UTF-8, prefix included). Returns nothing for
// anything that is not exactly the form above.
std::optional<BridgeRequest> ParseBridgeRequest(std::string_view prompt_text);

// A JSON string literal, quotes included, as UTF-8. Besides the characters
// JSON requires, '<', '>', '&', U+2028 and U+2029 are escaped, so the result
// is safe inside a script text as well. Characters above U+FFFF become
// surrogate pairs; values that are not characters become U+FFFD.
std::string EncodeJsonString(std::wstring_view text);

// [{"set": ..., "text": ...}, {"data": ..., "key": ..., "text": ...}, {"call": ...}, ...]
std::string EncodePageOps(const std::vector<PageOp>& ops);

// {"ret": ..., "ops": [...]}
std::string EncodeBridgeReply(const std::optional<std::wstring>& ret, const std::vector<PageOp>& ops);

// Parses a JSON array whose elements are strings or null. Used for bridge
// requests; exposed for tests and fuzzing. Returns false on any other input.
bool ParseJsonStringArray(std::string_view json, std::vector<std::optional<std::wstring>>* out);

}  // namespace cw
