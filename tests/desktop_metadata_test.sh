#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo as shipped in desktop/: both
# validate, both are named after the desktop id, the metainfo's launchable
# and release match, and each screenshot it names is in desktop/screenshots/
# with the size it states.
# Usage: desktop_metadata_test.sh SOURCE_DIR APP_ID
set -uo pipefail
source=$1
app_id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

metainfo=$source/desktop/$app_id.metainfo.xml
template=$source/desktop/$app_id.desktop.in
[ -f "$metainfo" ] || { echo "FAIL: no $metainfo" >&2; exit 1; }
[ -f "$template" ] || { echo "FAIL: no $template" >&2; exit 1; }

appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli validate --no-net"
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" || fail "launchable"
version=$(sed -n 's/^project(Clipwright VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in the metainfo"

# Screenshots: https addresses of files kept in desktop/screenshots/.
count=0
while read -r width height url; do
  count=$((count + 1))
  file=$source/desktop/screenshots/$(basename "$url")
  case $url in https://*/desktop/screenshots/*.png) ;; *) fail "screenshot address $url" ;; esac
  if [ ! -f "$file" ]; then fail "no $file"; continue; fi
  size=$(od -An -tu1 -j16 -N8 "$file" | awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
  [ "$size" = "$width $height" ] || fail "$(basename "$file") is $size, the metainfo says $width $height"
done < <(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">\([^<]*\)</image>.*|\1 \2 \3|p' "$metainfo")
[ "$count" -ge 2 ] || fail "only $count screenshots"

# The entry as installed under /usr validates.
sed -e "s|@BINDIR@|/usr/bin|g" -e "s|@APP_ID@|$app_id|g" "$template" >"$work/$app_id.desktop"
desktop-file-validate "$work/$app_id.desktop" >&2 || fail "desktop-file-validate"
if grep -q '@' "$work/$app_id.desktop"; then fail "a placeholder is left in the entry"; fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "desktop entry and metainfo checked"
