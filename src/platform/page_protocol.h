// What the main window needs of the protocol between the page and the host,
// without knowing its text forms: the script to put into every document of
// the page, how to recognise and read a request that the page's script sends
// through a prompt, and how to write the answer and the host's operations.
// The bridge (bridge/) implements it; the desktop program hands it to the
// window through MainWindowOptions. Plain data and pure functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cw {

// A request from the page: a call of an external method, or a click.
struct PageRequest {
  enum class Kind { kCall, kClick };
  Kind kind = Kind::kCall;
  std::wstring name;                // method name or element id
  std::optional<std::wstring> arg;  // the method's argument, if it has one
  std::wstring parm_text;           // current text of parmContainer
  std::wstring config_text;         // current text of configParmContainer
};

// An operation of the host on the page.
struct PageOp {
  enum class Kind { kSetText, kCall, kSetData };
  Kind kind = Kind::kSetText;
  std::wstring target;    // element id or function name
  std::wstring text;      // the text (kSetText) or the data value (kSetData)
  std::wstring key = {};  // kSetData only: the data name ("seconds" is data-seconds)
};

class PageProtocol {
 public:
  virtual ~PageProtocol() = default;
  // The script that runs at the start of every document of our page.
  virtual std::string DocumentStartScript() const = 0;
  // True when a prompt text is a request of this protocol.
  virtual bool IsRequest(std::string_view prompt_text) const = 0;
  // The request in a whole prompt text; nothing when it is malformed.
  virtual std::optional<PageRequest> ParseRequest(std::string_view prompt_text) const = 0;
  // The prompt's answer: the call's result and the operations it made.
  virtual std::string EncodeReply(const std::optional<std::wstring>& ret, const std::vector<PageOp>& ops) const = 0;
  // A script that applies `ops` outside a call.
  virtual std::string ApplyOpsScript(const std::vector<PageOp>& ops) const = 0;
};

}  // namespace cw
