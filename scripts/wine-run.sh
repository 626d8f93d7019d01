#!/bin/sh
# Runs a Windows program of the cross build under wine: headless (no display
# is needed by anything the build runs), quiet, in a wine prefix of its own
# (CW_WINEPREFIX, default .wine of the current user's cache) so that the
# user's ~/.wine is never touched. The build's CMAKE_CROSSCOMPILING_EMULATOR.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPREFIX="${CW_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/clipwright/wineprefix}"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
# One wine server for a whole run of programs: the one wine starts itself
# ends the moment its last program does, and a program connecting just then
# fails ("recvmsg: Connection reset by peer"). This one stays 10 s after the
# last program; when a server runs already, the call fails quietly.
wineserver -p10 >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
fi
exec wine "$@"
