// GTK start-up (with the desktop id and the desktop's light or dark style),
// the queued message sink and posting work to the UI thread.
#include <gtk/gtk.h>

#include <cstdlib>

#include "platform/app_id.h"
#include "platform/color_scheme.h"
#include "platform/deferred_messages.h"
#include "platform/desktop.h"
#include "platform/message.h"

namespace cw {
namespace {

// The owner window of the message boxes; set on the UI thread.
Window* message_owner = nullptr;

gboolean DrainMessages(gpointer queue);

DeferredMessages& Messages() {
  static auto* queue = new DeferredMessages(  // lives until the process ends
      [] { g_idle_add(DrainMessages, nullptr); },  // never at once, even on the UI thread
      [](const std::wstring& text) {
        if (message_owner) message_owner->ShowMessageBox(text);
      });
  return *queue;
}

gboolean DrainMessages(gpointer) {
  Messages().Drain();
  return G_SOURCE_REMOVE;
}

gboolean RunPosted(gpointer data) {
  auto* work = static_cast<std::function<void()>*>(data);
  (*work)();
  delete work;
  return G_SOURCE_REMOVE;
}

}  // namespace

bool InitDesktop(int* argc, char*** argv) {
  // Message boxes are captioned with the executable's name; the program's
  // name towards the desktop (the Wayland application id, the X11 window
  // class) is its desktop id, so that the desktop matches the window to its
  // installed entry and icon.
  gchar* executable = g_path_get_basename(*argc > 0 ? (*argv)[0] : "clipwright");
  g_set_application_name(executable);
  g_free(executable);
  g_set_prgname(kDesktopAppId);
  if (!gtk_init_check(argc, argv)) return false;
  gdk_set_program_class(kDesktopAppId);
  FollowDesktopColorScheme();
  return true;
}

bool AutomationRequested() {
  const char* server = std::getenv("WEBKIT_INSPECTOR_SERVER");
  return server != nullptr && server[0] != '\0';
}

void InstallDesktopMessageSink(Window* owner) {
  message_owner = owner;
  SetMessageSink([](const std::wstring& text) { Messages().Post(text); });
}

void PostToUiThread(std::function<void()> work) {
  // g_idle_add, not g_main_context_invoke: from the UI thread itself the work
  // must still wait until the caller has returned.
  g_idle_add_full(G_PRIORITY_DEFAULT, RunPosted, new std::function<void()>(std::move(work)), nullptr);
}

}  // namespace cw
