// GTK start-up, the queued message sink and posting work to the UI thread.
#include <gtk/gtk.h>

#include <cstdlib>
#include <deque>
#include <mutex>

#include "platform/desktop.h"
#include "platform/message.h"

namespace cw {
namespace {

struct MessageQueue {
  std::mutex mutex;
  std::deque<std::wstring> texts;
  Window* owner = nullptr;
  bool draining = false;
  bool drain_scheduled = false;
};

MessageQueue& Messages() {
  static MessageQueue* queue = new MessageQueue;  // lives until the process ends
  return *queue;
}

// Shows the queued messages one after another. A message that arrives while
// a box is open waits for it (the outer loop below picks it up).
gboolean DrainMessages(gpointer) {
  MessageQueue& q = Messages();
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    q.drain_scheduled = false;
    if (q.draining) return G_SOURCE_REMOVE;
    q.draining = true;
  }
  for (;;) {
    std::wstring text;
    Window* owner = nullptr;
    {
      std::lock_guard<std::mutex> lock(q.mutex);
      if (q.texts.empty()) {
        q.draining = false;
        return G_SOURCE_REMOVE;
      }
      text = std::move(q.texts.front());
      q.texts.pop_front();
      owner = q.owner;
    }
    if (owner) owner->ShowMessageBox(text);
  }
}

void QueueMessage(const std::wstring& text) {
  MessageQueue& q = Messages();
  std::lock_guard<std::mutex> lock(q.mutex);
  q.texts.push_back(text);
  if (!q.drain_scheduled) {
    q.drain_scheduled = true;
    g_idle_add(DrainMessages, nullptr);  // never at once, even on the UI thread
  }
}

gboolean RunPosted(gpointer data) {
  auto* work = static_cast<std::function<void()>*>(data);
  (*work)();
  delete work;
  return G_SOURCE_REMOVE;
}

}  // namespace

bool InitDesktop(int* argc, char*** argv) { return gtk_init_check(argc, argv); }

bool AutomationRequested() {
  const char* server = std::getenv("WEBKIT_INSPECTOR_SERVER");
  return server != nullptr && server[0] != '\0';
}

void InstallDesktopMessageSink(Window* owner) {
  {
    std::lock_guard<std::mutex> lock(Messages().mutex);
    Messages().owner = owner;
  }
  SetMessageSink(QueueMessage);
}

void PostToUiThread(std::function<void()> work) {
  // g_idle_add, not g_main_context_invoke: from the UI thread itself the work
  // must still wait until the caller has returned.
  g_idle_add_full(G_PRIORITY_DEFAULT, RunPosted, new std::function<void()>(std::move(work)), nullptr);
}

}  // namespace cw
