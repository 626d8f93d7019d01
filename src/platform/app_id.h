// The program's desktop id, shared by the window (its application id and
// class), the desktop notifications and the installed desktop entry and
// metainfo file, which the build names after the same CW_APP_ID.
#pragma once

namespace cw {

inline constexpr char kDesktopAppId[] = CW_APP_ID;

}  // namespace cw
