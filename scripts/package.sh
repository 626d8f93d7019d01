#!/usr/bin/env bash
# Makes the Debian package clipwright_VERSION_ARCH.deb with CPack.
# Usage: scripts/package.sh [--no-build] [BUILD_DIR [OUT_DIR]]
#   BUILD_DIR  the build folder (default: build-deb), configured when missing
#              as Debian builds packages: Release, with the hardening flags
#              of dpkg-buildflags
#   OUT_DIR    where the package lands (default: BUILD_DIR/deb); CPack's
#              working files go there too
#   --no-build package what the build folder holds, without building it
#              (the tests use this: they must not change the build folder)
# Prints the package's path on the last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build_first=1
if [ "${1:-}" = "--no-build" ]; then
  build_first=0
  shift
fi
build=${1:-$root/build-deb}
out=${2:-$build/deb}

if [ "$build_first" = 1 ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    CFLAGS=$(dpkg-buildflags --get CFLAGS) CXXFLAGS=$(dpkg-buildflags --get CXXFLAGS) \
    LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
      cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCW_BENCH=OFF \
        -DCMAKE_C_FLAGS_INIT="$(dpkg-buildflags --get CPPFLAGS)" -DCMAKE_CXX_FLAGS_INIT="$(dpkg-buildflags --get CPPFLAGS)" \
        >/dev/null
  fi
  cmake --build "$build" -j "$(nproc)"
fi
for needed in CPackConfig.cmake clipwright clipwright-cli data.dat app.ico docs/changelog.gz; do
  if [ ! -e "$build/$needed" ]; then
    echo "package.sh: $build/$needed is missing; build the desktop program first" >&2
    exit 1
  fi
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
cpack --config "$build/CPackConfig.cmake" -B "$out" >&2
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$out/clipwright_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
  echo "package.sh: CPack did not make $deb" >&2
  exit 1
fi
echo "$deb"
