// Tests of the external method table against a fake window and engine.
#include "bridge/external_object.h"

#include <gtest/gtest.h>

#include "bridge/fakes_for_tests.h"
#include "bridge/page_script.h"

namespace cw {
namespace {

class ExternalObjectTest : public ::testing::Test {
 protected:
  std::vector<std::wstring> log;
  testing::FakeWindow window{log};
  testing::FakeEngine engine{log};
  ExternalObject external{window, engine};
};

TEST_F(ExternalObjectTest, TableHasTheFifteenMethodsInOrder) {
  const std::vector<std::wstring> expected = {
      L"addFiles",      L"addDir",        L"deleteFile",   L"deleteFinishedTask", L"selectOutputDir",
      L"getConfigJson", L"setConfigJson", L"resumeTask",   L"pauseTask",          L"openOutputDir",
      L"getModelJson",  L"getOutputFilePath", L"locateInputFile", L"locateOutputFile", L"getPageTexts"};
  std::vector<std::wstring> names;
  for (const ExternalMethodInfo& m : ExternalMethodTable()) {
    names.push_back(m.name);
    bool with_guid = names.back() == L"getOutputFilePath" || names.back() == L"locateInputFile" ||
                     names.back() == L"locateOutputFile" || names.back() == L"getPageTexts";
    EXPECT_EQ(m.takes_text, with_guid) << names.back();
    EXPECT_EQ(m.returns_text, names.back() == L"getOutputFilePath" || names.back() == L"getPageTexts") << names.back();
  }
  EXPECT_EQ(names, expected);
}

// The task commands take the whole element text as the id, untrimmed and in
// whatever letter case the page wrote it.
TEST_F(ExternalObjectTest, TaskCommandsReadTheIdFromParmContainer) {
  struct Case {
    const wchar_t* method;
    const wchar_t* element_text;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"deleteFile", L"{AB-cd}", L"delete {AB-cd}"},
      {L"deleteFinishedTask", L"{AB}", L"deletefinished {AB}"},
      {L"pauseTask", L"{6a1f0c3e-58b2-4c7d-a1e4-0f9b2d3c4e5f}", L"pause {6a1f0c3e-58b2-4c7d-a1e4-0f9b2d3c4e5f}"},
      {L"resumeTask", L" {AB} ", L"resume  {AB} "},
      {L"pauseTask", L"", L"pause "},
  };
  for (const Case& c : cases) {
    log.clear();
    window.elements[kParmContainer] = c.element_text;
    EXPECT_EQ(external.Invoke(c.method, std::nullopt), std::nullopt);
    EXPECT_EQ(log, std::vector<std::wstring>{c.expected}) << c.method;
  }
}

TEST_F(ExternalObjectTest, GetConfigJsonWritesTheSettingsTextExactly) {
  engine.config_json = L"{\"targetDevice\": \"4\",\"outputDir\": \"/v/a & b <c>\",\"conTasks\": 2}";
  external.Invoke(L"getConfigJson", std::nullopt);
  EXPECT_EQ(window.elements[kConfigParmContainer], engine.config_json);
  EXPECT_EQ(window.elements.count(kParmContainer), 0u);
}

TEST_F(ExternalObjectTest, SetConfigJsonParsesThenSavesEvenWhenEmpty) {
  for (const std::wstring& text : {std::wstring(L""), std::wstring(L"{\"conTasks\": 3}"), std::wstring(L"bad")}) {
    log.clear();
    window.elements[kConfigParmContainer] = text;
    external.Invoke(L"setConfigJson", std::nullopt);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"fromjson " + text, L"save"}));
  }
}

TEST_F(ExternalObjectTest, GetModelJsonWritesTheCatalogText) {
  engine.catalog_text = L"{\"Devices\": [{\"id\": \"4\", \"name\": \"A & B\"}]}";
  external.Invoke(L"getModelJson", std::nullopt);
  EXPECT_EQ(window.elements[kConfigParmContainer], engine.catalog_text);
}

TEST_F(ExternalObjectTest, GetOutputFilePathAnswersPathEmptyOrNone) {
  engine.output_paths[L"{A}"] = L"/out/clip.mp4";
  engine.output_paths[L"{B}"] = L"";
  EXPECT_EQ(external.Invoke(L"getOutputFilePath", std::wstring(L"{A}")), L"/out/clip.mp4");
  EXPECT_EQ(external.Invoke(L"getOutputFilePath", std::wstring(L"{B}")), L"");
  EXPECT_EQ(external.Invoke(L"getOutputFilePath", std::wstring(L"{a}")), L"None");
  EXPECT_EQ(external.Invoke(L"getOutputFilePath", std::nullopt), L"None");
}

TEST_F(ExternalObjectTest, UnknownMethodsDoNothing) {
  window.elements[kParmContainer] = L"{A}";
  EXPECT_EQ(external.Invoke(L"PauseTask", std::nullopt), std::nullopt);
  EXPECT_EQ(external.Invoke(L"toString", std::nullopt), std::nullopt);
  EXPECT_TRUE(log.empty());
}

TEST_F(ExternalObjectTest, PluggedHandlersReplaceTheDefaults) {
  for (const wchar_t* name : {L"addFiles", L"addDir", L"selectOutputDir", L"openOutputDir"}) {
    EXPECT_EQ(external.Invoke(name, std::nullopt), std::nullopt);
  }
  EXPECT_TRUE(log.empty());
  std::wstring seen;
  external.SetHandler(L"locateInputFile", [&](const std::wstring& arg) {
    seen = arg;
    return std::optional<std::wstring>(L"ignored");
  });
  external.SetHandler(L"noSuchMethod", [](const std::wstring&) { return std::optional<std::wstring>(); });
  // A method without a result gives none, whatever its handler returns.
  EXPECT_EQ(external.Invoke(L"locateInputFile", std::wstring(L"{X}")), std::nullopt);
  EXPECT_EQ(seen, L"{X}");
  EXPECT_EQ(external.Invoke(L"noSuchMethod", std::nullopt), std::nullopt);
}

TEST(PageBridgeScript, DefinesEveryMethodOfTheTable) {
  std::string script = BuildPageBridgeScript();
  for (const ExternalMethodInfo& m : ExternalMethodTable()) {
    std::string quoted = EncodeJsonString(m.name) + (m.takes_text ? ",true]" : ",false]");
    EXPECT_NE(script.find("[" + quoted), std::string::npos) << script;
  }
  EXPECT_NE(script.find("'bridge:'"), std::string::npos);
  EXPECT_NE(script.find("'ButtonOK'"), std::string::npos);
  EXPECT_NE(script.find("'ButtonCancel'"), std::string::npos);
}

TEST(PageBridgeScript, ApplyScriptCarriesTheOperationsAsData) {
  std::string script = BuildApplyOpsScript(
      {{PageOp::Kind::kSetText, L"parmContainer", L"</script><img src=x onerror=alert(1)>"},
       {PageOp::Kind::kCall, L"updateProgress", L""}});
  EXPECT_EQ(script.find("<img"), std::string::npos);
  EXPECT_NE(script.find(R"({"call":"updateProgress"})"), std::string::npos);
}

}  // namespace
}  // namespace cw
