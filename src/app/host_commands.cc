// The menu commands, drops, About box and the page's adding and
// output-location methods.
#include "app/host_commands.h"

#include "app/cvela_dlg.h"
#include "app/menu_table.h"
#include "platform/translate.h"

namespace cw {

AboutBoxTexts MakeAboutBoxTexts(const std::wstring& product_name, const std::wstring& version) {
  AboutBoxTexts texts;
  texts.title = Fill(Tr(L"About %1"), {product_name});
  texts.product = product_name;
  texts.version = Fill(Tr(L"Version %1"), {version});
  // What the program really ships with: the encoder, the toolkit and web
  // view that show the page, and the catalog's cipher.
  texts.credits = {
      Tr(L"Converts with FFmpeg - https://ffmpeg.org"),
      Tr(L"Shows its page with WebKitGTK - https://webkitgtk.org"),
      Tr(L"Window made with GTK - https://www.gtk.org"),
      Tr(L"Device catalog decrypted with Crypto++ - https://cryptopp.com"),
  };
  texts.icon_path = IconPath();
  return texts;
}

int32_t FlippedNeedShutdown(int32_t value) { return value == 1 ? 0 : 1; }

HostCommands::HostCommands(CvelaDlg& dialog, Window& window, Shell& shell, Engine& engine)
    : dialog_(dialog),
      window_(window),
      shell_(shell),
      engine_(engine),
      settings_(engine.settings),
      sources_(window, shell, engine.tasks, engine.settings),
      output_(window, shell, engine.tasks, engine.settings) {
  PlugExternalMethods();
  dialog_.SetHostCommands(this);
}

HostCommands::~HostCommands() { dialog_.SetHostCommands(nullptr); }

void HostCommands::PlugExternalMethods() {
  ExternalObject& external = dialog_.external();
  auto none = [](auto&& action) {
    return [action](const std::wstring& arg) {
      action(arg);
      return std::optional<std::wstring>();
    };
  };
  external.SetHandler(L"addFiles", none([this](const std::wstring&) { sources_.AddFilesFromDialog(); }));
  external.SetHandler(L"addDir", none([this](const std::wstring&) { sources_.AddFilesFromFolder(); }));
  external.SetHandler(L"selectOutputDir", none([this](const std::wstring&) { output_.SelectOutputDir(); }));
  external.SetHandler(L"openOutputDir", none([this](const std::wstring&) { output_.OpenOutputDir(); }));
  external.SetHandler(L"locateInputFile", none([this](const std::wstring& guid) { output_.LocateInputFile(guid); }));
  external.SetHandler(L"locateOutputFile",
                      none([this](const std::wstring& guid) { output_.LocateOutputFile(guid); }));
}

void HostCommands::OnMenuCommand(int command_id) {
  switch (command_id) {
    case kCmdAddFiles: sources_.AddFilesFromDialog(); break;
    case kCmdAddDirectory: sources_.AddFilesFromFolder(); break;
    case kCmdStartTask: dialog_.CallPageFunction(L"startTask"); break;
    case kCmdPauseTask: dialog_.CallPageFunction(L"pauseTask"); break;
    case kCmdDeleteTask: dialog_.CallPageFunction(L"deleteTask"); break;
    case kCmdOpenOutputDir: output_.OpenOutputDir(); break;
    case kCmdOptions: dialog_.CallPageFunction(L"configPanel"); break;
    case kCmdShutdownWhenDone: ToggleNeedShutdown(); break;
    case kCmdOnlineHelp: dialog_.CallPageFunction(L"onlineHelp"); break;
    case kCmdAbout: ShowAboutBox(); break;
    default: break;
  }
}

bool HostCommands::IsMenuItemChecked(int command_id) {
  return command_id == kCmdShutdownWhenDone && settings_.needShutdown != 0;
}

void HostCommands::ToggleNeedShutdown() {
  settings_.needShutdown = FlippedNeedShutdown(settings_.needShutdown);
  dialog_.CallPageFunction(L"updateConfig");  // the page asks for the settings itself
}

void HostCommands::OnFilesDropped(const std::vector<std::wstring>& paths) {
  if (paths.empty()) return;
  sources_.AddDroppedFiles(paths);
}

void HostCommands::ShowAboutBox() {
  shell_.ShowAboutBox(MakeAboutBoxTexts(engine_.catalog.product_name, engine_.catalog.version));
}

}  // namespace cw
