#!/usr/bin/env bash
# After texts changed in the sources or the page: writes po/clipwright.pot
# anew and merges it into every po/LL.po of po/LINGUAS. New texts arrive
# untranslated, changed ones as fuzzy guesses and removed ones as obsolete
# (#~) entries; translate, review and delete those until the translations
# test (tests/translations_test.sh) passes. A new language: add its code to
# po/LINGUAS and start from the template, e.g.
#   msginit --no-translator -l es_ES.UTF-8 -i po/clipwright.pot -o po/es.po
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/extract-texts.sh" "$root/po/clipwright.pot"
while read -r lang; do
  [ -n "$lang" ] || continue
  msgmerge --quiet --update --backup=none --no-wrap "$root/po/$lang.po" "$root/po/clipwright.pot"
done <"$root/po/LINGUAS"
