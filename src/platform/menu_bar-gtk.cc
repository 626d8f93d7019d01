// The main window's menu bar, built from a menu table. Every item reports
// its command id; check items get their mark from the host each time their
// popup opens, never from the toolkit's own toggling.
#include "platform/gtk_services.h"
#include "platform/menu.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw {
namespace {

struct MenuCallbacks {
  std::function<void(int)> on_command;
  std::function<bool(int)> is_checked;
};

constexpr const char* kCommandKey = "cw-command";

int CommandOf(GtkWidget* item) { return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), kCommandKey)); }

void OnItemActivated(GtkMenuItem* item, gpointer data) {
  auto* callbacks = static_cast<MenuCallbacks*>(data);
  if (callbacks->on_command) callbacks->on_command(CommandOf(GTK_WIDGET(item)));
}

// The popup is opening: each check item shows what the host says, set with
// the item's own handler blocked (setting the mark would activate it).
void OnPopupShown(GtkWidget* menu, gpointer data) {
  auto* callbacks = static_cast<MenuCallbacks*>(data);
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* c = children; c; c = c->next) {
    GtkWidget* item = GTK_WIDGET(c->data);
    if (!GTK_IS_CHECK_MENU_ITEM(item)) continue;
    bool checked = callbacks->is_checked && callbacks->is_checked(CommandOf(item));
    g_signal_handlers_block_by_func(item, reinterpret_cast<gpointer>(OnItemActivated), data);
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), checked ? TRUE : FALSE);
    g_signal_handlers_unblock_by_func(item, reinterpret_cast<gpointer>(OnItemActivated), data);
  }
  g_list_free(children);
}

GtkWidget* MakeItem(const MenuItemEntry& entry, MenuCallbacks* callbacks) {
  if (!entry.text) return gtk_separator_menu_item_new();
  std::string label = WideToDisplayUtf8(MnemonicLabel(Tr(entry.text)));
  GtkWidget* item = entry.check_item ? gtk_check_menu_item_new_with_mnemonic(label.c_str())
                                     : gtk_menu_item_new_with_mnemonic(label.c_str());
  g_object_set_data(G_OBJECT(item), kCommandKey, GINT_TO_POINTER(entry.command));
  g_signal_connect(item, "activate", G_CALLBACK(OnItemActivated), callbacks);
  return item;
}

void FreeCallbacks(gpointer data, GClosure*) { delete static_cast<MenuCallbacks*>(data); }

}  // namespace

GtkWidget* BuildMenuBarGtk(const std::vector<MenuPopupEntry>& table, std::function<void(int)> on_command,
                           std::function<bool(int)> is_checked) {
  GtkWidget* bar = gtk_menu_bar_new();
  // The callbacks live as long as the bar (freed with its "destroy" handler).
  auto* callbacks = new MenuCallbacks{std::move(on_command), std::move(is_checked)};
  g_signal_connect_data(bar, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer) {}), callbacks, FreeCallbacks,
                        static_cast<GConnectFlags>(0));
  for (const MenuPopupEntry& popup : table) {
    GtkWidget* top = gtk_menu_item_new_with_mnemonic(WideToDisplayUtf8(MnemonicLabel(Tr(popup.text))).c_str());
    GtkWidget* menu = gtk_menu_new();
    for (const MenuItemEntry& entry : popup.items) gtk_menu_shell_append(GTK_MENU_SHELL(menu), MakeItem(entry, callbacks));
    g_signal_connect(menu, "show", G_CALLBACK(OnPopupShown), callbacks);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
    gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
  }
  return bar;
}

}  // namespace cw
