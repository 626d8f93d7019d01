// Which style, light or dark, the window should take from the desktop's
// settings. The decision is portable (color_scheme.cc, tested); following
// the desktop's settings live is GTK's part (color_scheme-gtk.cc).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace cw {

enum class ColorScheme { kLight, kDark };

// The style that a GTK_THEME value forces: "Name:dark" (the dark variant)
// and "Name-dark" (a dark theme) force dark, any other non-empty value
// forces the theme's own light variant, and an
// unset or empty value forces nothing (nullopt). Any thread.
std::optional<ColorScheme> ColorSchemeForcedByTheme(std::string_view gtk_theme);

// The style asked for by the desktop's org.freedesktop.appearance
// color-scheme setting: 1 prefer dark, 2 prefer light; 0 (no preference)
// and unknown values ask for nothing (nullopt). Any thread.
std::optional<ColorScheme> ColorSchemeFromAppearance(uint32_t color_scheme);

// Makes the window's toolkit, and with it the page's prefers-color-scheme,
// follow the desktop: a forced theme first, else the desktop's colour-scheme
// setting, read at once and followed when it changes. Without a session bus
// the toolkit's own settings stay. UI thread, once, after the toolkit started.
void FollowDesktopColorScheme();

}  // namespace cw
