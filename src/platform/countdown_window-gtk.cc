// The shutdown countdown's window: a small always-on-top window centred on
// the screen with the message line, "shut down now" as the default button
// (Enter) and a cancel button (also Escape and the close box), and a
// repeating timer.
#include <gdk/gdkkeysyms.h>

#include "platform/gtk_services.h"
#include "platform/text.h"

namespace cw {
namespace {

class CountdownWindowGtk : public CountdownWindow {
 public:
  CountdownWindowGtk(const CountdownWindowTexts& texts, CountdownWindowEvents events);
  ~CountdownWindowGtk() override { Close(); }

  void SetMessageText(const std::wstring& text) override {
    if (label_) gtk_label_set_text(GTK_LABEL(label_), WideToDisplayUtf8(text).c_str());
  }
  void StartTimer(int period_ms) override;
  void StopTimer() override;
  void Close() override;

 private:
  static gboolean OnTick(gpointer self);
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer self);
  static void OnShutdownClicked(GtkButton*, gpointer self);
  static void OnCancelClicked(GtkButton*, gpointer self);
  void Fire(const std::function<void()>& event) {
    if (!closed_ && event) event();
  }

  CountdownWindowEvents events_;
  GtkWidget* window_ = nullptr;
  GtkWidget* label_ = nullptr;
  guint timer_ = 0;
  bool in_tick_ = false;
  bool closed_ = false;
};

CountdownWindowGtk::CountdownWindowGtk(const CountdownWindowTexts& texts, CountdownWindowEvents events)
    : events_(std::move(events)) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), WideToDisplayUtf8(texts.caption).c_str());
  gtk_window_set_keep_above(GTK_WINDOW(window_), TRUE);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER_ALWAYS);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_widget_set_size_request(window_, 314, 141);  // 209 x 87 dialog units

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 18);
  gtk_container_set_border_width(GTK_CONTAINER(box), 18);
  label_ = gtk_label_new(WideToDisplayUtf8(texts.message).c_str());
  gtk_label_set_justify(GTK_LABEL(label_), GTK_JUSTIFY_CENTER);
  gtk_box_pack_start(GTK_BOX(box), label_, TRUE, TRUE, 0);

  GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
  gtk_box_set_homogeneous(GTK_BOX(buttons), TRUE);
  GtkWidget* now = gtk_button_new_with_label(WideToDisplayUtf8(texts.shutdown_now).c_str());
  GtkWidget* cancel = gtk_button_new_with_label(WideToDisplayUtf8(texts.cancel).c_str());
  gtk_widget_set_name(now, "shutdown-now");
  gtk_widget_set_name(cancel, "cancel-shutdown");
  gtk_box_pack_start(GTK_BOX(buttons), now, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(buttons), cancel, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box), buttons, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window_), box);

  g_signal_connect(now, "clicked", G_CALLBACK(OnShutdownClicked), this);
  g_signal_connect(cancel, "clicked", G_CALLBACK(OnCancelClicked), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);

  // The default button: Enter anywhere in the window presses it.
  gtk_widget_set_can_default(now, TRUE);
  gtk_window_set_default(GTK_WINDOW(window_), now);
  gtk_widget_show_all(window_);
  gtk_widget_grab_focus(now);
  gtk_window_present(GTK_WINDOW(window_));
}

void CountdownWindowGtk::StartTimer(int period_ms) {
  if (closed_) return;
  StopTimer();
  timer_ = g_timeout_add(static_cast<guint>(period_ms), OnTick, this);
}

// Inside a tick the source ends by the tick's return value instead.
void CountdownWindowGtk::StopTimer() {
  if (timer_ && !in_tick_) g_source_remove(timer_);
  timer_ = 0;
}

void CountdownWindowGtk::Close() {
  if (closed_) return;
  closed_ = true;
  StopTimer();
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_destroy(window_);  // its buttons go with it, and their handlers
  window_ = nullptr;
  label_ = nullptr;
}

gboolean CountdownWindowGtk::OnTick(gpointer self) {
  auto* w = static_cast<CountdownWindowGtk*>(self);
  guint source = w->timer_;
  w->in_tick_ = true;
  w->Fire(w->events_.on_tick);
  w->in_tick_ = false;
  // Stopped, closed or restarted during the tick: this source ends.
  return (w->timer_ == source && source != 0) ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

gboolean CountdownWindowGtk::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* w = static_cast<CountdownWindowGtk*>(self);
  w->Fire(w->events_.on_cancel);
  return TRUE;  // the window goes only through Close
}

gboolean CountdownWindowGtk::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* w = static_cast<CountdownWindowGtk*>(self);
  if (event->keyval == GDK_KEY_Escape) {
    w->Fire(w->events_.on_cancel);
    return TRUE;
  }
  return FALSE;
}

void CountdownWindowGtk::OnShutdownClicked(GtkButton*, gpointer self) {
  auto* w = static_cast<CountdownWindowGtk*>(self);
  w->Fire(w->events_.on_shutdown_now);
}

void CountdownWindowGtk::OnCancelClicked(GtkButton*, gpointer self) {
  auto* w = static_cast<CountdownWindowGtk*>(self);
  w->Fire(w->events_.on_cancel);
}

}  // namespace

std::unique_ptr<CountdownWindow> CreateCountdownWindowGtk(const CountdownWindowTexts& texts,
                                                         CountdownWindowEvents events) {
  return std::make_unique<CountdownWindowGtk>(texts, std::move(events));
}

}  // namespace cw
