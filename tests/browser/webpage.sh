#!/bin/bash
# Runs the page example under cscript, opens the page it writes in headless Chromium and checks
# the rendered document: the counter, the long date, the text with its line breaks and the list
# of documents. Keeps a screenshot in the build folder.
#   webpage.sh <source dir> <build dir>
set -euo pipefail
src="$1"
build="$2"
work="$build/webpage"
rm -rf "$work"
mkdir -p "$work/site/docs" "$work/artifacts"
printf 'First line & more\r\n\r\nSecond <i>line</i>\r\n' > "$work/site/news.txt"
touch -d '1998-12-09 12:00:00' "$work/site/news.txt"
printf 'a' > "$work/site/docs/report.txt"
printf 'b' > "$work/site/docs/notes.doc"
printf '41\r\n' > "$work/site/hits.cnt"

win() { echo "Z:$1" | tr / '\\'; }
"$build/wine-run.sh" cscript //nologo "$(win "$src/examples/webpage.vbs")" "$(win "$work/site")" "$(win "$work/page.html")"

chrome=(chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking
        --disable-component-update --disable-sync --user-data-dir="$work/profile")
"${chrome[@]}" --dump-dom "file://$work/page.html" > "$work/dom.html" 2>/dev/null
"${chrome[@]}" --window-size=800,600 --screenshot="$work/artifacts/webpage.png" "file://$work/page.html" >/dev/null 2>&1

failed=0
expect() {
    if grep -qF -- "$1" "$work/dom.html"; then echo "ok: $2"; else echo "FAIL: $2 (no '$1' in the rendered document)"; failed=1; fi
}
expect "You are visitor number <b>42</b>." "the counter counted the visit"
expect "Last changed: Wednesday, December 9, 1998" "the long date of the news file"
expect "First line &amp; more<br><p></p>Second <i>line</i><br>" "the text with its line breaks and markup"
expect "<option>report.txt</option>" "the first document"
expect "<option>notes.doc</option>" "the second document"
expect '<select name="docs">' "the list's name"
[ -s "$work/artifacts/webpage.png" ] || { echo "FAIL: no screenshot"; failed=1; }
[ "$(cat "$work/site/hits.cnt")" = $'42\r' ] || { echo "FAIL: counter file"; failed=1; }
if [ $failed = 0 ]; then echo "7 passed, 0 failed"; else echo "checks failed"; exit 1; fi
