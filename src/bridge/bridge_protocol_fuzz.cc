// Fuzz target: bridge requests from the page. Whatever arrives must parse or
// be refused without a fault, and every text that parses must survive a
// round trip through the host's own string encoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "bridge/bridge_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<cw::BridgeRequest> request = cw::ParseBridgeRequest(text);
  if (!request) return 0;
  for (const std::wstring* s : {&request->name, &request->parm_text, &request->config_text}) {
    std::vector<std::optional<std::wstring>> back;
    if (!cw::ParseJsonStringArray("[" + cw::EncodeJsonString(*s) + "]", &back) || back.size() != 1 ||
        back[0] != *s) {
      std::abort();
    }
  }
  return 0;
}
