// The light or dark decision from GTK_THEME and the desktop's colour scheme.
#include "platform/color_scheme.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

using Scheme = std::optional<ColorScheme>;

TEST(ColorScheme, ForcedByTheTheme) {
  const struct {
    const char* gtk_theme;
    Scheme expected;
  } cases[] = {
      {"", std::nullopt},
      {"Adwaita:dark", ColorScheme::kDark},
      {"HighContrast:dark", ColorScheme::kDark},
      {"Adwaita", ColorScheme::kLight},
      {"Adwaita:light", ColorScheme::kLight},
      {"Adwaita-dark", ColorScheme::kDark},  // a dark theme of its own
      {"Adwaita-darker", ColorScheme::kLight},
      {"dark", ColorScheme::kLight},
      {"Darkness", ColorScheme::kLight},
      {"Adwaita:dark:x", ColorScheme::kLight},
      {"Adwaita:DARK", ColorScheme::kLight},
  };
  for (const auto& c : cases) EXPECT_EQ(ColorSchemeForcedByTheme(c.gtk_theme), c.expected) << c.gtk_theme;
}

TEST(ColorScheme, FromTheDesktopsAppearanceSetting) {
  const struct {
    uint32_t value;
    Scheme expected;
  } cases[] = {
      {0, std::nullopt},
      {1, ColorScheme::kDark},
      {2, ColorScheme::kLight},
      {3, std::nullopt},
      {0xFFFFFFFFu, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ColorSchemeFromAppearance(c.value), c.expected) << c.value;
}

}  // namespace
}  // namespace cw
