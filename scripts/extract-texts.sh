#!/usr/bin/env bash
# Writes the PO template of every text the programs and the page show:
#   - the C++ sources of the programs (not tests, benchmarks, fuzz targets or
#     the developer tool cwdiag): texts in Tr, TrUtf8, TrN (singular and
#     plural) and N_;
#   - the page's script (htm/app.js): texts in N_ and T;
#   - the page's document (htm/index.htm), by scripts/page-texts.mjs.
# Usage: scripts/extract-texts.sh OUT.pot   (po/clipwright.pot is made so;
#        scripts/update-po.sh also merges it into every po/LL.po)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$root"

find src -path src/tools -prune -o -path src/testsupport -prune -o \( -name '*.cc' -o -name '*.h' \) -print |
  grep -Ev '_(test|testing|bench|fuzz)\.cc$|_for_tests\.h$|fakes_for_tests\.h$' | LC_ALL=C sort >"$work/sources"
common=(--from-code=UTF-8 --no-wrap --package-name=clipwright
        --package-version="$(sed -n 's/^project(Clipwright VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
        --msgid-bugs-address=clipwright@users.noreply.github.com --copyright-holder="The Clipwright developers")
xgettext "${common[@]}" --language=C++ --keyword= --keyword=Tr --keyword=TrUtf8 --keyword=TrN:1,2 --keyword=N_ \
  --files-from="$work/sources" -o "$work/host.pot"
xgettext "${common[@]}" --language=JavaScript --keyword= --keyword=N_ --keyword=T htm/app.js -o "$work/script.pot"
node scripts/page-texts.mjs htm/index.htm >"$work/document.po"
msgcat --no-wrap --use-first "$work/host.pot" "$work/script.pot" "$work/document.po" -o "$work/all.pot"
# The template keeps no creation date, so that it changes only with the texts.
sed -e '/^"POT-Creation-Date:/d' "$work/all.pot" >"$out"
