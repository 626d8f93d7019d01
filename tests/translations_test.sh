#!/usr/bin/env bash
# The shipped catalogues against the texts the programs and the page show:
# the texts are extracted afresh (scripts/extract-texts.sh: the C++ sources,
# the page's script and its document); po/clipwright.pot must list exactly
# them, and every po/LL.po of po/LINGUAS must pass msgfmt --check, translate
# every one of them (none missing, empty or fuzzy) and hold no entry without
# a source text (obsolete); the metainfo lists each as complete. Every text
# the page's script translates (T) must also be in the list it hands the host
# at start-up (N_).
# Usage: translations_test.sh SOURCE_DIR
set -uo pipefail
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! bash "$source/scripts/extract-texts.sh" "$work/texts.pot" 2>"$work/extract.log"; then
  cat "$work/extract.log" >&2
  echo "FAIL: the texts cannot be extracted" >&2
  exit 1
fi
# The entries of a template without the header, places and (empty) translations.
msgids() {
  msgattrib --no-location --no-wrap --sort-output "$1" | awk 'BEGIN { RS = ""; ORS = "\n\n" } NR > 1' |
    grep -v '^msgstr\|^#'
}
msgids "$work/texts.pot" >"$work/extracted"
msgids "$source/po/clipwright.pot" >"$work/shipped"
if ! diff -u "$work/shipped" "$work/extracted" >"$work/template.diff"; then
  fail "po/clipwright.pot is not the texts of the sources (run scripts/update-po.sh):"
  cat "$work/template.diff" >&2
fi

languages=0
while read -r lang; do
  [ -n "$lang" ] || continue
  languages=$((languages + 1))
  po=$source/po/$lang.po
  if [ ! -f "$po" ]; then fail "po/LINGUAS lists $lang, but po/$lang.po is missing"; continue; fi
  msgfmt --check -o /dev/null "$po" 2>"$work/msgfmt.log" || { fail "msgfmt --check po/$lang.po"; cat "$work/msgfmt.log" >&2; }
  grep -q "^\"Language: $lang\\\\n\"$" "$po" || fail "po/$lang.po does not say Language: $lang"
  # Every text translated: msgcmp counts a missing, empty or fuzzy entry as an error.
  msgcmp -N "$po" "$work/texts.pot" 2>"$work/msgcmp.log" || { fail "po/$lang.po lacks translations:"; grep -v 'is not used' "$work/msgcmp.log" >&2; }
  # No entry without a source text, whether marked obsolete already or not.
  msgmerge --quiet --no-fuzzy-matching --no-wrap "$po" "$work/texts.pot" -o "$work/merged.po"
  if msgattrib --only-obsolete --no-wrap "$work/merged.po" | grep '^#~ msgid' >"$work/obsolete"; then
    fail "po/$lang.po has entries no source shows:"
    cat "$work/obsolete" >&2
  fi
  # Fuzzy entries, and those a merge makes fuzzy (a translation whose format
  # flags or directives disagree with its source text's).
  msgattrib --only-fuzzy --no-wrap "$work/merged.po" | awk 'BEGIN { RS = ""; ORS = "\n\n" } NR > 1' >"$work/fuzzy"
  if [ -s "$work/fuzzy" ]; then
    fail "po/$lang.po has fuzzy entries:"
    cat "$work/fuzzy" >&2
  fi
  # The software centre learns the shipped languages from the metainfo; each is complete.
  grep -q "<lang percentage=\"100\">$lang</lang>" "$source"/desktop/*.metainfo.xml ||
    fail "the metainfo's <languages> does not list $lang as complete"
done <"$source/po/LINGUAS"
[ "$languages" -ge 2 ] || fail "po/LINGUAS lists $languages languages, German and French are shipped"

# The page asks the host for its script's texts by its N_ list; a text that
# T() translates but the list lacks would stay English.
xgettext --from-code=UTF-8 --language=JavaScript --keyword= --keyword=N_ -o "$work/listed.pot" "$source/htm/app.js"
xgettext --from-code=UTF-8 --language=JavaScript --keyword= --keyword=T -o "$work/used.pot" "$source/htm/app.js"
if [ -f "$work/used.pot" ]; then
  msgcmp --use-untranslated "$work/listed.pot" "$work/used.pot" 2>"$work/page.log" ||
    { fail "htm/app.js translates texts missing from SCRIPT_TEXTS:"; grep -v 'is not used' "$work/page.log" >&2; }
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "catalogues checked: $(grep -c "^msgid " "$work/extracted") texts, $languages languages"
