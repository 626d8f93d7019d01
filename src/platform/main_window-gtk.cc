// The main window on GTK 3 + WebKitGTK: a fixed-size GtkWindow with a menu
// bar and a WebKitWebView showing our page, and the host side of the page
// bridge (prompt requests answered in "script-dialog", host operations sent
// with evaluate_javascript). Only our page may be shown and may reach the host.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/gtk_services.h"
#include "platform/text.h"

namespace cw {
namespace {

std::string FileUri(const std::wstring& path) {
  gchar* uri = g_filename_to_uri(WideToSystem(path).c_str(), nullptr, nullptr);
  std::string result = uri ? uri : "";
  g_free(uri);
  return result;
}

std::string WithoutFragment(const char* uri) {
  std::string s = uri ? uri : "";
  size_t hash = s.find('#');
  if (hash != std::string::npos) s.erase(hash);
  return s;
}

bool IsWebLink(const std::string& uri) {
  return g_str_has_prefix(uri.c_str(), "http://") || g_str_has_prefix(uri.c_str(), "https://");
}

class MainWindowGtk : public Window {
 public:
  explicit MainWindowGtk(const MainWindowOptions& options);
  ~MainWindowGtk() override;

  void SetEvents(WindowEvents* events) override { events_ = events; }
  void SetTitle(const std::wstring& title) override {
    gtk_window_set_title(GTK_WINDOW(window_), WideToDisplayUtf8(title).c_str());
  }
  bool SetIconFromFile(const std::wstring& path) override;
  void Navigate(const std::wstring& file_path) override;
  void StartTimer(int timer_id, int period_ms) override;
  void SetElementText(const std::wstring& element_id, const std::wstring& text) override;
  void SetElementData(const std::wstring& element_id, const std::wstring& key, const std::wstring& value) override;
  std::wstring GetElementText(const std::wstring& element_id) override;
  void CallPageFunction(const std::wstring& name) override;
  void ShowMessageBox(const std::wstring& text) override;
  bool AskYesNo(const std::wstring& text) override;
  DialogResult RunModal() override;
  void EndDialog(DialogResult result) override;

  GtkWindow* gtk_window() const { return GTK_WINDOW(window_); }

 private:
  struct Timer {
    MainWindowGtk* self;
    int id;
    guint source = 0;
  };

  void BuildMenuBar(GtkWidget* box, const std::vector<MenuPopupEntry>& table);
  WebKitWebView* BuildView(const MainWindowOptions& options);
  void AddOp(PageOp op);
  bool IsOurPage(const char* uri) const { return !page_uri_.empty() && WithoutFragment(uri) == page_uri_; }
  std::string Answer(const PageRequest& request);
  int RunMessageDialog(GtkMessageType type, GtkButtonsType buttons, const std::wstring& text);

  static gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
  static void OnViewClose(gpointer self);
  static gboolean OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer self);
  static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                 gpointer self);
  static void OnAutomationStarted(WebKitWebContext*, WebKitAutomationSession* session, gpointer self);
  static WebKitWebView* OnAutomationCreateView(WebKitAutomationSession*, gpointer self);
  static gboolean OnTimer(gpointer timer);

  GtkWidget* window_ = nullptr;
  WebKitWebContext* context_ = nullptr;
  const PageProtocol* protocol_ = nullptr;  // not owned; null: no bridge
  WebKitWebView* view_ = nullptr;
  WindowEvents* events_ = nullptr;
  std::string page_uri_;
  // Operations collected by the bridge calls in progress, innermost last:
  // inside a call they travel back with its answer, in order.
  std::vector<std::vector<PageOp>*> calls_;
  std::map<std::wstring, std::wstring> element_texts_;
  std::vector<Timer*> timers_;
  GMainLoop* loop_ = nullptr;
  DialogResult result_ = DialogResult::kCancel;
  bool ended_ = false;
};

MainWindowGtk::MainWindowGtk(const MainWindowOptions& options) : protocol_(options.page_protocol) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(window_);
  gtk_window_set_title(GTK_WINDOW(window_), WideToDisplayUtf8(options.initial_title).c_str());
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);  // fixed size, no maximise
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDeleteEvent), this);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(window_), box);
  if (!options.menu.empty()) BuildMenuBar(box, options.menu);
  view_ = BuildView(options);
  gtk_widget_set_size_request(GTK_WIDGET(view_), options.client_width, options.client_height);
  gtk_box_pack_start(GTK_BOX(box), GTK_WIDGET(view_), TRUE, TRUE, 0);
  // Files dropped anywhere on the window reach the host, not the page.
  InstallFileDropTarget(box, GTK_WIDGET(view_), [this](const std::vector<std::wstring>& paths) {
    if (events_ && !ended_) events_->OnFilesDropped(paths);
  });
}

MainWindowGtk::~MainWindowGtk() {
  for (Timer* t : timers_) {
    g_source_remove(t->source);
    delete t;
  }
  if (context_) g_signal_handlers_disconnect_by_data(context_, this);
  g_signal_handlers_disconnect_by_data(view_, this);
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_destroy(window_);
  g_object_unref(window_);
  if (context_) g_object_unref(context_);
  if (loop_) g_main_loop_unref(loop_);
}

// The menu bar of the menu table; its commands and check marks are the host's.
void MainWindowGtk::BuildMenuBar(GtkWidget* box, const std::vector<MenuPopupEntry>& table) {
  GtkWidget* bar = BuildMenuBarGtk(
      table,
      [this](int command) {
        if (events_ && !ended_) events_->OnMenuCommand(command);
      },
      [this](int command) { return events_ && events_->IsMenuItemChecked(command); });
  gtk_box_pack_start(GTK_BOX(box), bar, FALSE, FALSE, 0);
}

WebKitWebView* MainWindowGtk::BuildView(const MainWindowOptions& options) {
  context_ = webkit_web_context_new_ephemeral();  // nothing of the page is kept on disk
  if (options.allow_automation) {
    webkit_web_context_set_automation_allowed(context_, TRUE);
    g_signal_connect(context_, "automation-started", G_CALLBACK(OnAutomationStarted), this);
  }
  WebKitSettings* settings = webkit_settings_new();
  webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
  webkit_settings_set_enable_developer_extras(settings, FALSE);

  WebKitUserContentManager* content = webkit_user_content_manager_new();
  if (protocol_) {
    std::string script = protocol_->DocumentStartScript();
    WebKitUserScript* user_script = webkit_user_script_new(script.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                                           WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr,
                                                           nullptr);
    webkit_user_content_manager_add_script(content, user_script);
    webkit_user_script_unref(user_script);
  }

  auto* view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context_, "settings", settings,
                                            "user-content-manager", content, "is-controlled-by-automation",
                                            options.allow_automation ? TRUE : FALSE, nullptr));
  g_object_unref(settings);
  g_object_unref(content);
  g_signal_connect(view, "script-dialog", G_CALLBACK(OnScriptDialog), this);
  g_signal_connect(view, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
  // A request to close the page's window (from automation) closes like the frame.
  g_signal_connect_swapped(view, "close", G_CALLBACK(OnViewClose), this);
  return view;
}

bool MainWindowGtk::SetIconFromFile(const std::wstring& path) {
  GError* error = nullptr;
  GdkPixbuf* icon = gdk_pixbuf_new_from_file(WideToSystem(path).c_str(), &error);
  if (!icon) {
    g_clear_error(&error);
    return false;
  }
  gtk_window_set_icon(GTK_WINDOW(window_), icon);
  g_object_unref(icon);
  return true;
}

void MainWindowGtk::Navigate(const std::wstring& file_path) {
  page_uri_ = FileUri(file_path);
  webkit_web_view_load_uri(view_, page_uri_.c_str());
}

void MainWindowGtk::StartTimer(int timer_id, int period_ms) {
  auto* timer = new Timer{this, timer_id};
  timer->source = g_timeout_add(static_cast<guint>(period_ms), OnTimer, timer);
  timers_.push_back(timer);
}

gboolean MainWindowGtk::OnTimer(gpointer data) {
  auto* timer = static_cast<Timer*>(data);
  if (timer->self->events_ && !timer->self->ended_) timer->self->events_->OnTimer(timer->id);
  return G_SOURCE_CONTINUE;
}

void MainWindowGtk::AddOp(PageOp op) {
  if (!calls_.empty()) {
    calls_.back()->push_back(std::move(op));
    return;
  }
  if (!protocol_) return;
  std::string script = protocol_->ApplyOpsScript({op});
  webkit_web_view_evaluate_javascript(view_, script.data(), static_cast<gssize>(script.size()), nullptr, nullptr,
                                      nullptr, nullptr, nullptr);
}

void MainWindowGtk::SetElementText(const std::wstring& element_id, const std::wstring& text) {
  element_texts_[element_id] = text;
  AddOp({PageOp::Kind::kSetText, element_id, text});
}

std::wstring MainWindowGtk::GetElementText(const std::wstring& element_id) {
  auto it = element_texts_.find(element_id);
  return it == element_texts_.end() ? std::wstring() : it->second;
}

void MainWindowGtk::SetElementData(const std::wstring& element_id, const std::wstring& key,
                                   const std::wstring& value) {
  AddOp({PageOp::Kind::kSetData, element_id, value, key});
}

void MainWindowGtk::CallPageFunction(const std::wstring& name) { AddOp({PageOp::Kind::kCall, name, L""}); }

int MainWindowGtk::RunMessageDialog(GtkMessageType type, GtkButtonsType buttons, const std::wstring& text) {
  GtkWidget* dialog = gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_MODAL, type, buttons, "%s",
                                             WideToDisplayUtf8(text).c_str());
  const char* caption = g_get_application_name();  // the executable's name (set at start-up)
  gtk_window_set_title(GTK_WINDOW(dialog), caption ? caption : "clipwright");
  int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  return response;
}

void MainWindowGtk::ShowMessageBox(const std::wstring& text) {
  RunMessageDialog(GTK_MESSAGE_WARNING, GTK_BUTTONS_OK, text);
}

bool MainWindowGtk::AskYesNo(const std::wstring& text) {
  return RunMessageDialog(GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, text) == GTK_RESPONSE_YES;
}

DialogResult MainWindowGtk::RunModal() {
  if (ended_) return result_;
  gtk_widget_show_all(window_);
  loop_ = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(loop_);
  return result_;
}

void MainWindowGtk::EndDialog(DialogResult result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
  gtk_widget_hide(window_);
  if (loop_) g_main_loop_quit(loop_);
}

gboolean MainWindowGtk::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
  auto* w = static_cast<MainWindowGtk*>(self);
  if (w->events_ && !w->ended_) w->events_->OnClose();
  return TRUE;  // the window goes only through EndDialog
}

void MainWindowGtk::OnViewClose(gpointer self) {
  auto* w = static_cast<MainWindowGtk*>(self);
  if (w->events_ && !w->ended_) w->events_->OnClose();
}

std::string MainWindowGtk::Answer(const PageRequest& request) {
  element_texts_[L"parmContainer"] = request.parm_text;
  element_texts_[L"configParmContainer"] = request.config_text;
  std::vector<PageOp> ops;
  calls_.push_back(&ops);
  std::optional<std::wstring> result;
  if (events_ && !ended_) {
    if (request.kind == PageRequest::Kind::kCall) {
      result = events_->OnExternalCall(request.name, request.arg);
    } else {
      events_->OnElementClick(request.name);
    }
  }
  calls_.pop_back();
  return protocol_->EncodeReply(result, ops);
}

gboolean MainWindowGtk::OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer self) {
  auto* w = static_cast<MainWindowGtk*>(self);
  if (webkit_script_dialog_get_dialog_type(dialog) != WEBKIT_SCRIPT_DIALOG_PROMPT) return FALSE;
  const char* message = webkit_script_dialog_get_message(dialog);
  if (!w->protocol_ || !message || !w->protocol_->IsRequest(message)) return FALSE;  // an ordinary prompt
  if (!w->IsOurPage(webkit_web_view_get_uri(view))) return TRUE;  // no answer for other pages
  std::optional<PageRequest> request = w->protocol_->ParseRequest(message);
  if (!request) return TRUE;
  std::string reply = w->Answer(*request);
  webkit_script_dialog_prompt_set_text(dialog, reply.c_str());
  return TRUE;
}

gboolean MainWindowGtk::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                       WebKitPolicyDecisionType type, gpointer self) {
  if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
    return FALSE;
  }
  auto* w = static_cast<MainWindowGtk*>(self);
  WebKitNavigationAction* action =
      webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  std::string target = uri ? uri : "";
  if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && w->IsOurPage(target.c_str())) {
    webkit_policy_decision_use(decision);
    return TRUE;
  }
  // Everything else stays out of the window; web links go to the user's browser.
  if (IsWebLink(target) && webkit_navigation_action_is_user_gesture(action)) {
    GError* error = nullptr;
    gtk_show_uri_on_window(GTK_WINDOW(w->window_), target.c_str(), GDK_CURRENT_TIME, &error);
    g_clear_error(&error);
  }
  webkit_policy_decision_ignore(decision);
  return TRUE;
}

// A WebDriver session drives our own view, not a browser window of its own.
void MainWindowGtk::OnAutomationStarted(WebKitWebContext*, WebKitAutomationSession* session, gpointer self) {
  auto* w = static_cast<MainWindowGtk*>(self);
  WebKitApplicationInfo* info = webkit_application_info_new();
  webkit_application_info_set_name(info, "clipwright");
  webkit_application_info_set_version(info, 1, 0, 0);
  webkit_automation_session_set_application_info(session, info);
  webkit_application_info_unref(info);
  g_signal_connect(session, "create-web-view", G_CALLBACK(OnAutomationCreateView), w);
}

WebKitWebView* MainWindowGtk::OnAutomationCreateView(WebKitAutomationSession*, gpointer self) {
  return static_cast<MainWindowGtk*>(self)->view_;
}

}  // namespace

GtkWindow* MainGtkWindow(Window& window) {
  auto* main = dynamic_cast<MainWindowGtk*>(&window);
  return main ? main->gtk_window() : nullptr;
}

std::unique_ptr<Window> CreateMainWindow(const MainWindowOptions& options) {
  return std::make_unique<MainWindowGtk>(options);
}

}  // namespace cw
