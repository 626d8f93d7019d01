// The GTK pieces of the desktop side, on a real display (run under Xvfb):
// the menu bar's items and check mark, the countdown window's keys, close
// box and timer, and the reading of dropped URI lists.
#include <gtk/gtk.h>
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gtk_services.h"
#include "app/menu_table.h"

namespace cw {
namespace {

class GtkTest : public ::testing::Test {
 protected:
  // English labels whatever the machine's language (gtk_init takes the
  // user's locale); a test that wants another language sets it itself.
  static void SetUpTestSuite() {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display";
    unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, "C");
  }
  // Runs the main loop until `done` or about `ms` milliseconds have passed.
  static bool Spin(const std::function<bool()>& done, int ms = 3000) {
    gint64 end = g_get_monotonic_time() + ms * 1000;
    while (!done() && g_get_monotonic_time() < end) g_main_context_iteration(nullptr, FALSE), g_usleep(2000);
    return done();
  }
};

std::vector<GtkWidget*> Children(GtkWidget* container) {
  std::vector<GtkWidget*> out;
  GList* list = gtk_container_get_children(GTK_CONTAINER(container));
  for (GList* l = list; l; l = l->next) out.push_back(GTK_WIDGET(l->data));
  g_list_free(list);
  return out;
}

TEST_F(GtkTest, MenuBarHasTheTableItemsAndTheCheckMarkFollowsTheHostEachTimeItOpens) {
  std::vector<int> commands;
  int need_shutdown = 0;
  GtkWidget* bar = BuildMenuBarGtk(MainMenuTable(), [&](int id) { commands.push_back(id); },
                                   [&](int id) { return id == kCmdShutdownWhenDone && need_shutdown != 0; });
  g_object_ref_sink(bar);
  std::vector<GtkWidget*> tops = Children(bar);
  ASSERT_EQ(tops.size(), MainMenuTable().size());
  std::vector<std::string> labels;
  for (GtkWidget* top : tops) labels.push_back(gtk_menu_item_get_label(GTK_MENU_ITEM(top)));
  EXPECT_EQ(labels, (std::vector<std::string>{"_File", "_Operation", "_Configuration", "_Help"}));

  GtkWidget* config_menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(tops[2]));
  std::vector<GtkWidget*> items = Children(config_menu);
  ASSERT_EQ(items.size(), 3u);
  ASSERT_TRUE(GTK_IS_CHECK_MENU_ITEM(items[2]));
  EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(items[2])), "_Shutdown computer on completed");
  EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(items[1]));

  for (int value : {1, 0, 2, 0}) {
    need_shutdown = value;
    gtk_widget_show(config_menu);  // the popup opens
    EXPECT_EQ(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(items[2])), value != 0) << value;
    gtk_widget_hide(config_menu);
  }
  EXPECT_TRUE(commands.empty()) << "setting the mark must not run the command";

  gtk_menu_item_activate(GTK_MENU_ITEM(items[2]));
  gtk_menu_item_activate(GTK_MENU_ITEM(items[0]));
  GtkWidget* help_menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(tops[3]));
  gtk_menu_item_activate(GTK_MENU_ITEM(Children(help_menu)[2]));
  EXPECT_EQ(commands, (std::vector<int>{kCmdShutdownWhenDone, kCmdOptions, kCmdAbout}));
  gtk_widget_destroy(bar);
  g_object_unref(bar);
}

// The labels come from the catalogue of the user's language, mnemonics and
// all (the build folder's locale/, beside this test).
TEST_F(GtkTest, MenuBarLabelsInGerman) {
  ASSERT_NE(std::setlocale(LC_MESSAGES, "de_DE.UTF-8"), nullptr) << "scripts/setup-deps.sh installs locales-all";
  GtkWidget* bar = BuildMenuBarGtk(MainMenuTable(), [](int) {}, [](int) { return false; });
  std::setlocale(LC_MESSAGES, "C");
  g_object_ref_sink(bar);
  std::vector<std::string> labels;
  for (GtkWidget* top : Children(bar)) labels.push_back(gtk_menu_item_get_label(GTK_MENU_ITEM(top)));
  EXPECT_EQ(labels, (std::vector<std::string>{"_Datei", "_Aufgaben", "_Einstellungen", "_Hilfe"}));
  std::vector<GtkWidget*> items = Children(gtk_menu_item_get_submenu(GTK_MENU_ITEM(Children(bar)[2])));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(items[2])), "Computer nach Abschluss _herunterfahren");
  gtk_widget_destroy(bar);
  g_object_unref(bar);
}

struct CountdownProbe {
  int ticks = 0;
  int now = 0;
  int cancels = 0;
  std::unique_ptr<CountdownWindow> window;

  void Open() {
    CountdownWindowEvents events;
    events.on_tick = [this] { ++ticks; };
    events.on_shutdown_now = [this] { ++now; };
    events.on_cancel = [this] { ++cancels; };
    window = CreateCountdownWindowGtk({L"Reelmarch - Auto Shutdown", L"Computer is going to shutdown in 60 second",
                                       L"Shutdown Right Now", L"Cancel Shutdown"},
                                      std::move(events));
  }
};

// Delivers a key press to a window as if it had the keyboard (under Xvfb
// without a window manager no window gets the focus by itself).
void PressKey(GtkWindow* window, guint keyval) {
  GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
  event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(window))));
  event->key.send_event = TRUE;
  event->key.time = GDK_CURRENT_TIME;
  event->key.keyval = keyval;
  GdkKeymapKey* keys = nullptr;
  gint n = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), keyval, &keys, &n) &&
      n > 0) {
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  }
  g_free(keys);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
  gtk_widget_event(GTK_WIDGET(window), event);
  gdk_event_free(event);
}

GtkWindow* CountdownGtkWindow() {
  GtkWindow* found = nullptr;
  GList* all = gtk_window_list_toplevels();
  for (GList* l = all; l; l = l->next) {
    const char* title = gtk_window_get_title(GTK_WINDOW(l->data));
    if (title && std::string(title) == "Reelmarch - Auto Shutdown" && gtk_widget_get_visible(GTK_WIDGET(l->data))) {
      found = GTK_WINDOW(l->data);
    }
  }
  g_list_free(all);
  return found;
}

TEST_F(GtkTest, CountdownWindowKeysAndCloseBoxReportTheirEvents) {
  CountdownProbe p;
  p.Open();
  GtkWindow* window = CountdownGtkWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(gtk_window_get_resizable(window));
  ASSERT_TRUE(Spin([&] { return gtk_widget_get_mapped(GTK_WIDGET(window)); }));

  PressKey(window, GDK_KEY_Return);
  EXPECT_TRUE(Spin([&] { return p.now == 1; })) << "Enter presses the default button";
  PressKey(window, GDK_KEY_Escape);
  EXPECT_TRUE(Spin([&] { return p.cancels == 1; })) << "Escape cancels";
  gtk_window_close(window);  // the close box
  EXPECT_TRUE(Spin([&] { return p.cancels == 2; }));
  EXPECT_EQ(CountdownGtkWindow(), window) << "only Close() takes the window away";
  EXPECT_EQ(p.now, 1);

  p.window->Close();
  EXPECT_EQ(CountdownGtkWindow(), nullptr);
}

TEST_F(GtkTest, CountdownTimerTicksUntilStopped) {
  CountdownProbe p;
  p.Open();
  p.window->StartTimer(20);
  ASSERT_TRUE(Spin([&] { return p.ticks >= 3; }));
  p.window->StopTimer();
  int stopped_at = p.ticks;
  Spin([] { return false; }, 150);
  EXPECT_EQ(p.ticks, stopped_at);
}

// The last second stops the timer from inside its own tick.
TEST_F(GtkTest, CountdownTimerStoppedFromInsideATickTicksNoMore) {
  int ticks = 0;
  CountdownWindow* window = nullptr;
  CountdownWindowEvents events;
  events.on_tick = [&] {
    if (++ticks == 2) window->StopTimer();
  };
  std::unique_ptr<CountdownWindow> owned =
      CreateCountdownWindowGtk({L"Reelmarch - Auto Shutdown", L"", L"a", L"b"}, std::move(events));
  window = owned.get();
  window->StartTimer(20);
  ASSERT_TRUE(Spin([&] { return ticks >= 2; }));
  Spin([] { return false; }, 150);
  EXPECT_EQ(ticks, 2);
}

TEST(LocalPathsOfUris, LocalFilesOnlyDecoded) {
  const char* uris[] = {"file:///tmp/a%20b/clip%26.avi", "https://example.com/x.avi", "file:///tmp/%E2%82%AC.mp4",
                        nullptr};
  EXPECT_EQ(LocalPathsOfUris(uris), (std::vector<std::wstring>{L"/tmp/a b/clip&.avi", L"/tmp/\u20ac.mp4"}));
  EXPECT_TRUE(LocalPathsOfUris(nullptr).empty());
}

TEST(FileUriOfPath, NamesRoundTripByteForByteThroughFileUris) {
  // The second name's bytes FF FE are not UTF-8: they travel as escaped bytes
  // U+DCFF U+DCFE, and the URI carries the bytes themselves.
  struct Case {
    std::wstring path;
    std::string uri;
  };
  const std::wstring escaped = {L'/', L't', L'/', L'a', static_cast<wchar_t>(0xDCFF), static_cast<wchar_t>(0xDCFE),
                                L'.', L'a', L'v', L'i'};
  const Case cases[] = {
      {L"/t/a b/clip&.avi", "file:///t/a%20b/clip&.avi"},
      {escaped, "file:///t/a%FF%FE.avi"},
      {L"/t/\u20ac%.mp4", "file:///t/%E2%82%AC%25.mp4"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileUriOfPath(c.path), c.uri);
    const char* uris[] = {c.uri.c_str(), nullptr};
    EXPECT_EQ(LocalPathsOfUris(uris), std::vector<std::wstring>{c.path}) << c.uri;
  }
  EXPECT_EQ(FileUriOfPath(L"relative/x.avi"), "");
}

}  // namespace
}  // namespace cw
