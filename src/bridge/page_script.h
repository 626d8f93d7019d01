// The scripts that carry the bridge inside the page: the one the window
// injects at the start of every document of our page, and the one it runs to
// apply host operations outside a page call.
#pragma once

#include <string>
#include <vector>

#include "bridge/bridge_protocol.h"

namespace cw {

// Defines a non-writable window.external with one function per method of
// ExternalMethodTable(), each sending a synchronous bridge request; binds the
// clicks of ButtonOK and ButtonCancel; and defines the applier of host
// operations. Runs before any script of the page.
std::string BuildPageBridgeScript();

// A script that applies `ops` in the page (does nothing on a page without
// the bridge script).
std::string BuildApplyOpsScript(const std::vector<PageOp>& ops);

// The bridge as the protocol the main window speaks: the functions above
// and those of bridge_protocol.h. The object lives for the whole process.
const PageProtocol& BridgePageProtocol();

}  // namespace cw
