// The About box: the program's icon, its name and version, the credit lines
// and an OK button that closes it.
#include "platform/gtk_services.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw {
namespace {

GtkWidget* Label(const std::wstring& text, const char* markup_format = nullptr) {
  std::string utf8 = WideToDisplayUtf8(text);
  GtkWidget* label = gtk_label_new(nullptr);
  if (markup_format) {
    gchar* markup = g_markup_printf_escaped(markup_format, utf8.c_str());
    gtk_label_set_markup(GTK_LABEL(label), markup);
    g_free(markup);
  } else {
    gtk_label_set_text(GTK_LABEL(label), utf8.c_str());
  }
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_selectable(GTK_LABEL(label), FALSE);
  return label;
}

// The icon at 48 pixels of the screen's scale: loaded at 48 x scale device
// pixels and drawn at that density, so that a screen of scale 2 shows a
// 96-pixel image and not an enlarged 48-pixel one.
GtkWidget* Icon(const std::wstring& path, int scale) {
  if (path.empty()) return nullptr;
  scale = scale < 1 ? 1 : scale;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file_at_size(WideToSystem(path).c_str(), 48 * scale, 48 * scale, nullptr);
  if (!pixbuf) return nullptr;
  cairo_surface_t* surface = gdk_cairo_surface_create_from_pixbuf(pixbuf, scale, nullptr);
  GtkWidget* image = gtk_image_new_from_surface(surface);
  cairo_surface_destroy(surface);
  g_object_unref(pixbuf);
  gtk_widget_set_valign(image, GTK_ALIGN_START);
  return image;
}

}  // namespace

void RunAboutBox(GtkWindow* owner, const AboutBoxTexts& texts) {
  GtkWidget* dialog = gtk_dialog_new_with_buttons(WideToDisplayUtf8(texts.title).c_str(), owner,
                                                  static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL |
                                                                              GTK_DIALOG_DESTROY_WITH_PARENT),
                                                  TrUtf8(L"_OK").c_str(), GTK_RESPONSE_OK, nullptr);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  gtk_widget_set_name(dialog, "about-box");

  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 16);
  gtk_container_set_border_width(GTK_CONTAINER(row), 12);
  if (GtkWidget* icon = Icon(texts.icon_path, gtk_widget_get_scale_factor(dialog))) {
    gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
  }
  GtkWidget* lines = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  gtk_box_pack_start(GTK_BOX(lines), Label(texts.product, "<b><big>%s</big></b>"), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(lines), Label(texts.version), FALSE, FALSE, 0);
  for (const std::wstring& credit : texts.credits) {
    gtk_box_pack_start(GTK_BOX(lines), Label(credit, "<small>%s</small>"), FALSE, FALSE, 0);
  }
  gtk_box_pack_start(GTK_BOX(row), lines, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), row, TRUE, TRUE, 0);
  gtk_widget_show_all(dialog);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

}  // namespace cw
