// Builds the bridge scripts; the method list comes from the external method
// table so that page and host always agree.
#include "bridge/page_script.h"

#include "bridge/external_object.h"

namespace cw {
namespace {

// The fixed part of the bridge script. METHODS is filled in before it.
constexpr const char kBridgeBody[] = R"JS(
  var nativePrompt = window.prompt;
  var byId = document.getElementById.bind(document);
  function textOf(id) {
    var e = byId(id);
    return e ? e.textContent : '';
  }
  function apply(ops) {
    for (var i = 0; i < ops.length; i++) {
      var op = ops[i];
      if (typeof op.set === 'string') {
        var e = byId(op.set);
        if (e) e.textContent = op.text;
      } else if (typeof op.data === 'string' && typeof op.key === 'string') {
        var d = byId(op.data);
        if (d) d.dataset[op.key] = op.text;
      } else if (typeof op.call === 'string') {
        var f = window[op.call];
        if (typeof f === 'function') {
          try { f.call(window); } catch (err) { /* the host ignores page errors */ }
        }
      }
    }
  }
  function send(kind, name, arg) {
    var request = JSON.stringify([kind, name, arg, textOf('parmContainer'), textOf('configParmContainer')]);
    var answer = nativePrompt.call(window, 'bridge:' + request);
    if (typeof answer !== 'string') return undefined;
    var reply;
    try { reply = JSON.parse(answer); } catch (err) { return undefined; }
    apply(reply.ops || []);
    return reply.ret === null ? undefined : reply.ret;
  }
  var external = {};
  METHODS.forEach(function (m) {
    external[m[0]] = m[1]
        ? function (arg) { return send('call', m[0], arg === undefined || arg === null ? '' : String(arg)); }
        : function () { send('call', m[0], null); };
  });
  Object.freeze(external);
  Object.defineProperty(window, 'external', {value: external, writable: false, configurable: false, enumerable: true});
  Object.defineProperty(window, '__clipwrightApply', {value: apply, writable: false, configurable: false});
  document.addEventListener('click', function (event) {
    for (var t = event.target; t && t.nodeType === 1; t = t.parentElement) {
      if (t.id === 'ButtonOK' || t.id === 'ButtonCancel') {
        send('click', t.id, null);
        return;
      }
    }
  }, true);
)JS";

}  // namespace

std::string BuildPageBridgeScript() {
  std::string methods = "[";
  bool first = true;
  for (const ExternalMethodInfo& m : ExternalMethodTable()) {
    if (!first) methods += ",";
    first = false;
    methods += "[" + EncodeJsonString(m.name) + (m.takes_text ? ",true]" : ",false]");
  }
  methods += "]";
  return "(function () {\n  'use strict';\n  var METHODS = " + methods + ";" + kBridgeBody + "})();\n";
}

std::string BuildApplyOpsScript(const std::vector<PageOp>& ops) {
  return "(function (ops) { var a = window.__clipwrightApply; if (typeof a === 'function') a(ops); })(" +
         EncodePageOps(ops) + ");";
}

namespace {

class BridgeProtocol : public PageProtocol {
 public:
  std::string DocumentStartScript() const override { return BuildPageBridgeScript(); }
  bool IsRequest(std::string_view prompt_text) const override { return IsBridgeMessage(prompt_text); }
  std::optional<PageRequest> ParseRequest(std::string_view prompt_text) const override {
    return ParseBridgeRequest(prompt_text);
  }
  std::string EncodeReply(const std::optional<std::wstring>& ret, const std::vector<PageOp>& ops) const override {
    return EncodeBridgeReply(ret, ops);
  }
  std::string ApplyOpsScript(const std::vector<PageOp>& ops) const override { return BuildApplyOpsScript(ops); }
};

}  // namespace

const PageProtocol& BridgePageProtocol() {
  static const BridgeProtocol* protocol = new BridgeProtocol();
  return *protocol;
}

}  // namespace cw
