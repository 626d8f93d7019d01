#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Clipwright needs.
# Idempotent: when everything is present it only checks and returns.
# `setup-deps.sh windows` installs what the Windows cross build and its tests
# under wine need instead (scripts/test.sh's windows stage).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcrypto++-dev
  libgtk-3-dev libwebkit2gtk-4.1-dev
  libpcre2-dev nlohmann-json3-dev
  ffmpeg parallel
  xvfb xauth xdotool webkit2gtk-driver
  xdg-user-dirs dbus-x11 locales-all desktop-file-utils
  dpkg-dev lintian appstream file x11-utils dbus-daemon
  nodejs
  # The translations: msgfmt builds the catalogues, xgettext and msgcmp check
  # them; locales-all (above) holds de_DE.UTF-8 and fr_FR.UTF-8, which the
  # tests run the programs under (glibc ignores LANGUAGE under "C").
  gettext
)

if [ "${1:-}" = windows ]; then
  # mingw-w64 with posix threads, wine for the tests (64-bit only), the
  # sources of GoogleTest and dpkg-dev for `apt-get source` (Crypto++).
  PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 googletest libcrypto++-dev dpkg-dev cmake ninja-build)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# nodejs may come from outside Debian on some machines; a working `node` is enough.
if command -v node >/dev/null 2>&1; then
  missing=("${missing[@]/nodejs}")
fi
read -ra missing <<<"${missing[*]:-}"

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
