// The light or dark decision from the desktop's settings (see color_scheme.h).
#include "platform/color_scheme.h"

namespace cw {

std::optional<ColorScheme> ColorSchemeForcedByTheme(std::string_view gtk_theme) {
  if (gtk_theme.empty()) return std::nullopt;
  // "Name:dark" asks for the theme's dark variant; "Name-dark" names a
  // dark theme of its own (WebKit reads that suffix as dark too).
  auto ends_with = [&](std::string_view tail) {
    return gtk_theme.size() >= tail.size() && gtk_theme.substr(gtk_theme.size() - tail.size()) == tail;
  };
  return ends_with(":dark") || ends_with("-dark") ? ColorScheme::kDark : ColorScheme::kLight;
}

std::optional<ColorScheme> ColorSchemeFromAppearance(uint32_t color_scheme) {
  switch (color_scheme) {
    case 1: return ColorScheme::kDark;
    case 2: return ColorScheme::kLight;
    default: return std::nullopt;
  }
}

}  // namespace cw
