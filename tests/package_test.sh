#!/usr/bin/env bash
# The Debian package end to end: scripts/package.sh makes it (from the build
# folder, without building) into a temporary folder; its control fields and
# file list are inspected, it is unpacked there (never installed), its
# desktop entry and metainfo validate, the unpacked clipwright-cli converts
# a generated clip, and lintian finds no error in it.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR APP_ID
set -uo pipefail
build=$1
source=$2
app_id=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() {  # DESCRIPTION COMMAND...
  local what=$1; shift
  if ! "$@" >"$work/check.out" 2>&1; then
    fail "$what"
    cat "$work/check.out" >&2
  fi
}

deb=$(bash "$source/scripts/package.sh" --no-build "$build" "$work/out" 2>"$work/package.log" | tail -n 1)
if [ ! -f "$deb" ]; then
  cat "$work/package.log" >&2
  echo "FAIL: scripts/package.sh made no package" >&2
  exit 1
fi

# The name says what it holds.
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "clipwright_${version}_${arch}.deb" ] || fail "package named $(basename "$deb")"
[ "$version" = "$(sed -n 's/^project(Clipwright VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")" ] ||
  fail "package version $version is not the project's"

# Control fields: dependencies computed from the binaries, plus the encoder.
dpkg-deb -I "$deb" >"$work/info" || fail "dpkg-deb -I"
[ "$(dpkg-deb -f "$deb" Package)" = clipwright ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in ffmpeg libc6 libstdc++6 libgtk-3-0 libwebkit2gtk-4.1-0 libcrypto++8 libglib2.0-0; do
  # "name" or "name (>= version)", as one item of the comma-separated list
  pattern="^$(printf '%s' "$dep" | sed 's/[+.]/\\&/g')( |\$)"
  echo "$depends" | tr ',' '\n' | sed 's/^ *//' | grep -Eq "$pattern" || fail "Depends lacks $dep: $depends"
done
grep -q '^ Description: ' "$work/info" || fail "no description"

# The file list: both programs, the share folder, the desktop files, all root's.
dpkg-deb -c "$deb" >"$work/list" || fail "dpkg-deb -c"
for f in usr/bin/clipwright usr/bin/clipwright-cli usr/share/clipwright/data.dat usr/share/clipwright/app.ico \
         usr/share/clipwright/htm/index.htm usr/share/clipwright/htm/app.js usr/share/clipwright/htm/app.css \
         "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml" \
         usr/share/icons/hicolor/scalable/apps/clipwright.svg usr/share/doc/clipwright/copyright \
         usr/share/doc/clipwright/changelog.gz usr/share/man/man1/clipwright.1.gz usr/share/man/man1/clipwright-cli.1.gz \
         $(sed 's|.*|usr/share/locale/&/LC_MESSAGES/clipwright.mo|' "$source/po/LINGUAS"); do
  grep -Eq " \./$f\$" "$work/list" || fail "the package lacks $f"
done
grep -Eq '^l.* \./usr/libexec/clipwright/xenc -> \.\./\.\./bin/ffmpeg$' "$work/list" ||
  fail "xenc is not a link to /usr/bin/ffmpeg: $(grep xenc "$work/list")"
awk '$2 != "root/root" { bad = 1; print } END { exit bad }' "$work/list" >&2 || fail "files not owned by root"
if grep -E '\./(usr/local|home|tmp|work)/' "$work/list" >&2; then fail "files outside /usr"; fi

# Unpacked into the temporary folder, never installed.
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
[ "$(readlink -m "$root/usr/libexec/clipwright/$(readlink "$root/usr/libexec/clipwright/xenc")" | sed "s|^$root||")" = \
  /usr/bin/ffmpeg ] || fail "xenc does not resolve to /usr/bin/ffmpeg"
entry=$root/usr/share/applications/$app_id.desktop
check "desktop-file-validate" desktop-file-validate "$entry"
grep -qx 'Exec="/usr/bin/clipwright" %F' "$entry" || fail "Exec line: $(grep '^Exec=' "$entry")"
grep -qx "StartupWMClass=$app_id" "$entry" || fail "StartupWMClass is not the desktop id"
if grep -q "$build\|$work" "$entry"; then fail "the desktop entry names a build or staging folder"; fi
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
check "appstreamcli validate --no-net" appstreamcli validate --no-net "$metainfo"
grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" || fail "metainfo launchable"
# The window and the notifications use the same id (compiled into the program).
grep -qa "$app_id" "$root/usr/bin/clipwright" || fail "the program does not carry the desktop id"
file -b "$root/usr/bin/clipwright" | grep -q ', stripped' || fail "clipwright is not stripped"

# The unpacked command line converts a clip. ffmpeg, the package's dependency,
# stands where the system has it: /usr/bin of the unpacked tree links to it.
ln -s "$(command -v ffmpeg)" "$root/usr/bin/ffmpeg"
mkdir -p "$work/home/.config" "$work/clips"
ffmpeg -v error -f lavfi -i testsrc=size=640x360:rate=10:duration=1 -f lavfi -i sine=frequency=440:duration=1 \
  -c:v mpeg4 -c:a mp2 -shortest "$work/clips/tiny clip.avi" || fail "making the clip"
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config \
  "$root/usr/bin/clipwright-cli" --device 1 --quality Low --output "$work/converted" "$work/clips/tiny clip.avi" \
  >"$work/cli.log" 2>&1 || { fail "the unpacked clipwright-cli failed"; cat "$work/cli.log" >&2; }
probe=$(ffprobe -v error -show_entries stream=codec_type,width -of csv=p=0 "$work/converted/tiny clip.mp4" 2>&1)
echo "$probe" | grep -q '^video,320$' || fail "no 320-pixel-wide video in the converted file: $probe"
[ -z "$(find "$root" -newer "$deb" -name config.ini)" ] || fail "the program wrote config.ini into its own folders"

# The unpacked programs find their translations in share/locale.
help=$(LC_ALL=de_DE.UTF-8 LANGUAGE=de HOME=$work/home XDG_CONFIG_HOME=$work/home/.config \
  "$root/usr/bin/clipwright-cli" --help 2>&1)
echo "$help" | grep -q '^Aufruf: clipwright-cli' || fail "the unpacked clipwright-cli --help is not German: $(echo "$help" | head -n 1)"

# lintian: no errors (warnings are listed).
lintian --fail-on error --display-level '>=warning' "$deb" >"$work/lintian" 2>&1 || {
  fail "lintian found errors"
}
grep -v 'running with root privileges' "$work/lintian" >&2 || true

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb") checked"
