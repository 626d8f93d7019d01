#!/usr/bin/env bash
# Cross-builds Crypto++ for 64-bit Windows from Debian's own source package,
# with the mingw-w64 toolchain (posix threads), so that the Windows programs
# link the same Crypto++ release as the Linux ones. The result is cached
# outside the repository and reused while the source version is unchanged.
#
# Prints the install prefix (holding include/cryptopp/ and lib/libcryptopp.a)
# on its last line. Environment: CW_CRYPTOPP_CACHE (default
# /var/cache/clipwright when writable, else ~/.cache/clipwright).
set -euo pipefail

if [ -n "${CW_CRYPTOPP_CACHE:-}" ]; then
  cache=$CW_CRYPTOPP_CACHE
elif mkdir -p /var/cache/clipwright 2>/dev/null && [ -w /var/cache/clipwright ]; then
  cache=/var/cache/clipwright
else
  cache=${XDG_CACHE_HOME:-$HOME/.cache}/clipwright
fi
mkdir -p "$cache"

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# The version Linux links: the binary package's source version.
version=$(dpkg-query -W -f='${source:Version}' libcrypto++-dev 2>/dev/null || true)
[ -n "$version" ] || { echo "libcrypto++-dev is not installed" >&2; exit 1; }
prefix="$cache/cryptopp-mingw64-$version"
if [ -f "$prefix/lib/libcryptopp.a" ] && [ -f "$prefix/include/cryptopp/cryptlib.h" ]; then
  echo "$prefix"
  exit 0
fi

# apt-get source needs a deb-src entry; a fresh Debian 12 image has none.
if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
  source_list=/etc/apt/sources.list.d/clipwright-deb-src.sources
  sed -n '/^Types:/s/.*/Types: deb-src/;p' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
    $SUDO tee "$source_list" >/dev/null
  if ! grep -q '^URIs:' "$source_list"; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
      $SUDO tee "$source_list" >/dev/null
  fi
  $SUDO apt-get update -qq
fi

work=$(mktemp -d "$cache/cryptopp-src.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq "libcrypto++=$version" >/dev/null 2>&1 || apt-get source -qq libcrypto++ >/dev/null)
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
[ -f "$src/GNUmakefile" ] || { echo "no Crypto++ source in $work" >&2; exit 1; }

jobs=$(nproc)
make -C "$src" -f GNUmakefile -j "$jobs" static \
  CXX=x86_64-w64-mingw32-g++-posix AR=x86_64-w64-mingw32-gcc-ar-posix RANLIB=x86_64-w64-mingw32-gcc-ranlib-posix \
  CXXFLAGS="-DNDEBUG -O2 -g0 -pipe" >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; exit 1; }
rm -rf "$prefix.tmp"
mkdir -p "$prefix.tmp/include/cryptopp" "$prefix.tmp/lib"
cp "$src"/*.h "$prefix.tmp/include/cryptopp/"
# Debian's patches name the library libcrypto++.a; upstream calls it libcryptopp.a.
built=""
for name in libcrypto++.a libcryptopp.a; do
  [ -f "$src/$name" ] && built="$src/$name"
done
[ -n "$built" ] || { tail -n 40 "$work/build.log" >&2; exit 1; }
cp "$built" "$prefix.tmp/lib/libcryptopp.a"
rm -rf "$prefix"
mv "$prefix.tmp" "$prefix"
echo "$prefix"
