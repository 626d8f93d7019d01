// The desktop program: a GTK window showing our page, driven by the engine.
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/cvela_app.h"
#include "app/cvela_dlg.h"
#include "app/host_commands.h"
#include "app/menu_table.h"
#include "app/shutdown_countdown.h"
#include "bridge/host_engine.h"
#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "bridge/page_script.h"
#include "app/queue_finish_watch.h"
#include "app/queue_keeper.h"
#include "platform/desktop.h"
#include "platform/desktop_notification.h"
#include "platform/message.h"
#include "platform/shell.h"
#include "platform/stop_signals.h"
#include "platform/system_shutdown.h"
#include "platform/text.h"
#include "settings/config_location.h"
#include "settings/config_object.h"
#include "tasks/host_hooks.h"
#include "tasks/output_naming.h"
#include "media/probe_pool.h"
#include "tasks/engine.h"
#include "tasks/task_manager.h"

namespace {

// Files handed over on the command line by the desktop ("Open with
// Clipwright"), the one argument form the program accepts, as absolute paths.
std::vector<std::wstring> OpenedFiles(int argc, char** argv) {
  std::vector<std::wstring> files;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(argv[i], ec);
    files.push_back(cw::SystemToWide(ec ? std::string(argv[i]) : path.lexically_normal().string()));
  }
  return files;
}

// Tells the desktop when the queue has finished: how many files converted
// and how many failed. UI thread, after a refresh.
void NotifyIfQueueFinished(const std::vector<cw::TaskView>& tasks) {
  static cw::QueueFinishWatch watch;
  if (auto report = watch.Observe(tasks)) {
    cw::ShowDesktopNotification(cw::FinishTitle(*report), cw::FinishText(*report));
  }
}

// The keeper of the queue's journal, wired to the program's engine.
std::unique_ptr<cw::QueueKeeper> MakeQueueKeeper(cw::Window& window, cw::Engine& engine) {
  cw::QueueKeeper::Services services;
  services.journal_path = cw::QueueJournalPath();
  services.restore = [&engine](const std::vector<cw::JournalTask>& tasks) {
    for (const cw::JournalTask& task : tasks) engine.tasks.AddTask(cw::TaskFromJournal(task));
  };
  services.current_views = [&engine] { return engine.Refresh(cw::TaskManager::Scheduling::kHold); };
  services.settings_output_dir = [&engine] { return engine.settings.outputDir; };
  services.post_to_ui = [](std::function<void()> work) { cw::PostToUiThread(std::move(work)); };
  return std::make_unique<cw::QueueKeeper>(window, std::move(services));
}

}  // namespace

int main(int argc, char** argv) {
  if (!cw::InitDesktop(&argc, &argv)) {
    std::fprintf(stderr, "clipwright: cannot open the display\n");
    return 1;
  }
  std::vector<std::wstring> opened_files = OpenedFiles(argc, argv);
  cw::MainWindowOptions options;
  options.allow_automation = cw::AutomationRequested();
  options.menu = cw::MainMenuTable();
  options.page_protocol = &cw::BridgePageProtocol();
  std::unique_ptr<cw::Window> window = cw::CreateMainWindow(options);
  cw::InstallDesktopMessageSink(window.get());
  // The engine: the catalog read once (its messages shown when the window
  // opens), the settings loaded from config.ini, and the window's messages,
  // which the desktop sink carries to the UI thread from any thread.
  cw::DeviceCatalog catalog;
  std::vector<std::wstring> catalog_messages;
  cw::ReadCatalog(cw::CatalogFilePath(), &catalog, &catalog_messages);
  const cw::MessageSink tell = [](const std::wstring& text) { cw::ShowMessage(text); };
  cw::ConfigObject settings(cw::ConfigFilePath(), cw::DefaultOutputDir(), catalog, tell);
  settings.Load();
  cw::Engine core(settings, catalog, tell);
  std::unique_ptr<cw::HostEngine> engine = cw::MakeRealHostEngine(core, std::move(catalog_messages));
  // Partial files that a crash of an earlier run left in the output folder.
  cw::RemoveAbandonedPartials(settings.outputDir);
  // Added sources are probed and thumbnailed in the background, two at a time.
  static cw::ProbePool prober{cw::ProbeTools{}, 2};
  core.tasks.prober = &prober;

  // When an encoder run ends, refresh at once instead of at the next tick.
  // Many ends in a row make one extra tick.
  static std::atomic<bool> tick_pending{false};
  static std::atomic<cw::CvelaDlg*> dialog{nullptr};
  cw::SetRunEndedHook([] {
    if (tick_pending.exchange(true)) return;
    cw::PostToUiThread([] {
      tick_pending = false;
      if (cw::CvelaDlg* d = dialog.load()) d->OnTimer(cw::CvelaDlg::kRefreshTimerId);
    });
  });
  // The file choosers, file manager, About box and countdown windows. The
  // system's shutdown command is handed in here and nowhere else, and never
  // to a program that a WebDriver controls (the end-to-end tests): that one
  // only says on stderr that it would shut down.
  std::unique_ptr<cw::Shell> shell = cw::CreateDesktopShell(*window);
  cw::ShutdownCommand shutdown = cw::RunSystemShutdown;
  if (options.allow_automation) {
    shutdown = [] { std::fputs("clipwright: shutdown requested, not run under remote control\n", stderr); };
  }
  cw::ShutdownCountdowns countdowns(*shell, shutdown);
  cw::SetShutdownCountdownHook([&countdowns] { countdowns.Open(); });
  std::unique_ptr<cw::HostCommands> commands;
  std::unique_ptr<cw::QueueKeeper> keeper = MakeQueueKeeper(*window, core);
  // SIGTERM, SIGHUP and SIGINT end the window in order, on the UI thread:
  // settings saved, the queue kept in the journal, the encoders stopped.
  cw::WatchStopSignals([](int) {
    cw::PostToUiThread([] {
      if (cw::CvelaDlg* d = dialog.load()) d->OnStopRequest();
    });
  });
  int status = cw::CvelaApp::Run(*window, *engine, [&](cw::CvelaDlg* d) {
    dialog = d;
    if (d) {
      d->SetRefreshListener([&keeper](const std::vector<cw::TaskView>& tasks) {
        NotifyIfQueueFinished(tasks);
        keeper->OnRefresh(tasks);
      });
      d->SetCommandListener([&keeper] { keeper->JournalNow(); });
      d->SetEndListener([&keeper](cw::CvelaDlg::EndReason reason) { keeper->OnEnd(reason); });
      commands = std::make_unique<cw::HostCommands>(*d, *window, *shell, core);
      // Once the window runs: the restore question, then the opened files,
      // queued like dropped ones after the restored tasks.
      cw::PostToUiThread([&] {
        if (!dialog.load()) return;  // the window ended first
        size_t restored = keeper->Start();
        if (commands && !opened_files.empty()) commands->OnFilesDropped(opened_files);
        opened_files.clear();
        keeper->JournalNow();
        // Restored tasks are shown and started at once, not at the next tick.
        if (cw::CvelaDlg* current = dialog.load(); current && restored > 0) {
          current->OnTimer(cw::CvelaDlg::kRefreshTimerId);
        }
      });
    } else {
      commands.reset();
    }
  });
  cw::SetShutdownCountdownHook(nullptr);
  cw::SetRunEndedHook(nullptr);
  keeper.reset();  // writes what is still pending
  cw::SetMessageSink(nullptr);
  window.reset();
  return status;  // encoder workers still running are not waited for
}
