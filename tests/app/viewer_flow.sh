#!/usr/bin/env bash
# The viewer driven as a person drives it, on a virtual X server with xdotool: keys and clicks take
# the window system's road to the focused widget. With the 20-page sample report open from a folder
# whose name holds a dot:
#   1. a click into the zoom box, "1a50" typed (the letter is refused), Enter: the page is shown at
#      150 % (measured on the screen: 1191 pixels wide instead of 794);
#   2. F10 and a damaged report chosen: the error is shown and the report stays open;
#   3. F11 and "listing" typed: the report is saved over its own file, which keeps its 20 pages
#      byte for byte, under the name with ".cvp" added;
#   4. F11, "rapporto" typed and the file type "Documento PDF" chosen with the keyboard: the report
#      is written as rapporto.pdf (20 pages, their text read back by pdftotext);
#   5. F3, "Pagina" with "Maiuscole/minuscole": the first of its 20 matches is shown, and the search's
#      status in the bottom bar reads "1 di 20" (the very pixels of the page label's "1 di 20");
#   6. F10 and a template chosen: it is prepared over its database and its page shown;
# then, with the 2,000-page report of the benchmarks (make_listing_report writes it):
#   7. F4 shows the thumbnails panel, its first thumbnail drawn, within a second.
#
#   tests/app/viewer_flow.sh [BIN_DIR]     (default: build/debug/bin next to this checkout)
#
# Set KEEP_FLOW=1 to keep the folder with the screenshots taken at each step.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BIN="$(cd "${1:-$ROOT/build/debug/bin}" && pwd)"  # absolute: the viewer starts in another folder

for tool in xvfb-run xdotool import convert compare md5sum pdfinfo pdftotext; do
  command -v "$tool" >/dev/null || { echo "FAIL: no $tool (scripts/install-deps.sh installs it)"; exit 1; }
done
[ -x "$BIN/tessaly" ] || { echo "FAIL: no $BIN/tessaly"; exit 1; }
[ -x "$BIN/make_listing_report" ] || { echo "FAIL: no $BIN/make_listing_report (built with the tests)"; exit 1; }

# A display of our own: the script runs itself again under xvfb-run.
if [ -z "${TESSALY_FLOW_ON_XVFB:-}" ]; then
  exec env TESSALY_FLOW_ON_XVFB=1 xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$BIN"
fi

DIR="$(mktemp -d /tmp/tessaly-flow.XXXXXX)"
VIEWER=""
cleanup() {
  if [ -n "$VIEWER" ] && kill -0 "$VIEWER" 2>/dev/null; then kill "$VIEWER" 2>/dev/null || true; fi
  [ -n "${KEEP_FLOW:-}" ] && echo "kept: $DIR" || rm -rf "$DIR"
}
trap cleanup EXIT
# A command that fails where nothing checks it ends the script (set -e): say which.
set -E
trap 'echo "FAIL: line $LINENO: \"$BASH_COMMAND\" failed"' ERR
FAILED=0
fail() { echo "FAIL: $*"; FAILED=1; }
shot() { import -window root "$DIR/$1.png"; }

# Waits up to 30 s (a loaded machine, a sanitizer build) for a visible window whose title matches
# and then for it to hold the keyboard focus, so that typing reaches it.
wait_window() {
  local seen=""
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && { seen=1; break; }
    sleep 0.1
  done
  [ -n "$seen" ] && wait_focus "$1" && return 0
  shot "missing-window"
  echo "FAIL: no window \"$1\" ${seen:+with the keyboard focus}"
  exit 1
}
wait_focus() {
  for _ in $(seq 300); do
    xdotool getwindowfocus getwindowname 2>/dev/null | grep -q -E "$1" && return 0
    sleep 0.1
  done
  return 1
}
wait_gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the window \"$1\" stays"
}

# The white pixels of screen row 50, which crosses the page's top margin whatever the zoom: the
# width of the page on the screen. Before the window first paints, the row has none: grep then
# fails, and under pipefail that must not end the script.
page_width() { import -window root png:- | convert - -crop 1280x1+0+50 +repage -depth 8 txt:- | grep -c '#FFFFFF' || true; }
wait_page_width() {
  local width=0
  for _ in $(seq 150); do
    width="$(page_width)"
    [ "$width" -ge $(($1 - 2)) ] && [ "$width" -le $(($1 + 2)) ] && return 0
    sleep 0.1
  done
  fail "$2: the page is $width pixels wide on the screen, not $1"
}

# The bottom bar of the maximised window: the page label in the middle part, the search's status
# in the right part, both centred in labels of the same size (at 587 and 764, 106 wide). The middle
# 40 pixels of each (the status's glyph stays left of them), cut out without their background.
PAGE_LABEL=40x22+620+1001
HIT_LABEL=40x22+797+1001
label_text() { import -window root png:- | convert - -crop "$1" +repage -trim +repage "$2" 2>/dev/null; }
# True when the search's status shows the same text as the page label.
status_is_page_label() {
  label_text "$PAGE_LABEL" "$DIR/page-label.png"
  label_text "$HIT_LABEL" "$DIR/hit-label.png"
  [ "$(identify -format %wx%h "$DIR/page-label.png")" = "$(identify -format %wx%h "$DIR/hit-label.png")" ] &&
    [ "$(compare -metric AE "$DIR/page-label.png" "$DIR/hit-label.png" null: 2>&1)" = "0" ]
}
# On a screenshot: the white pixels of screen row 36, which crosses the top of the first
# thumbnail's sheet, and the pixels of that sheet that are not white (its picture).
thumbnail_sheet_width() { convert "$1" -crop 200x1+0+36 +repage -depth 8 txt:- | grep -c '#FFFFFF' || true; }
thumbnail_ink() { convert "$1" -crop 100x150+30+44 +repage -depth 8 txt:- | tail -n +2 | grep -vc '#FFFFFF' || true; }

REPORTS="$DIR/mario.rossi"
mkdir -p "$REPORTS"
cp "$ROOT/examples/listing.cvp" "$REPORTS/listing.cvp"
head -c 300000 "$REPORTS/listing.cvp" > "$REPORTS/rotto.cvp"
ORIGINAL="$(md5sum < "$REPORTS/listing.cvp")"
TEMPLATES="$DIR/modelli"
mkdir -p "$TEMPLATES"
cp "$ROOT/examples/sales.cvf" "$TEMPLATES/vendite.cvf"
cp "$ROOT/examples/sales.sqlite" "$TEMPLATES/vendite.sqlite"
touch -d '2001-01-01' "$REPORTS/listing.cvp"  # a save shows in the file's time

export QT_QPA_PLATFORM=xcb
# Under the sanitizers: libxkbcommon-x11 copies a keymap name out of an X reply with strndup and an
# exact length, the name not being zero-terminated in the reply; strict_string_checks takes that for
# a read past the buffer. The check stays on for every other test.
[ -n "${ASAN_OPTIONS:-}" ] && export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$DIR/runtime"; mkdir -m 700 "$XDG_RUNTIME_DIR"; export XDG_RUNTIME_DIR
fi
(cd "$REPORTS" && exec "$BIN/tessaly" listing.cvp) > "$DIR/viewer.log" 2>&1 &
VIEWER=$!
wait_window '^Anteprima'
wait_page_width 794 "at the start"
shot 1-opened

# 1. A zoom typed into the box.
xdotool mousemove 35 12 click 1
xdotool key ctrl+a
xdotool type --delay 50 1a50
xdotool key Return
wait_page_width 1191 "after 1a50 and Enter in the zoom box"
shot 2-zoom

# 2. Open of a damaged report.
xdotool key F10
wait_window '^Apre un report\.$'
xdotool type --delay 20 rotto.cvp
xdotool key Return
wait_window '^Tessaly$'
shot 3-error
xdotool key Return
wait_gone '^Tessaly$'
wait_page_width 1191 "after the failed open"

# 3. Save over the report's own file, its name typed without the extension.
xdotool key F11
wait_window '^Salva il report\.$'
xdotool type --delay 20 listing
xdotool key Return
wait_gone '^Salva il report\.$'
shot 4-saved

# 4. Save as PDF: the name typed, then Tab to the list of file types and two steps down to
#    "Documento PDF"; the default extension is added to a name without a dot.
xdotool key F11
wait_window '^Salva il report\.$'
xdotool type --delay 20 rapporto
xdotool key Tab Down Down Return
wait_gone '^Salva il report\.$'
for _ in $(seq 300); do [ -s "$REPORTS/rapporto.pdf" ] && break; sleep 0.1; done
wait_focus '^Anteprima' || fail "the preview did not come back after saving as PDF"
shot 5-pdf
if [ -s "$REPORTS/rapporto.pdf" ]; then
  [ "$(pdfinfo "$REPORTS/rapporto.pdf" | awk '/^Pages:/ {print $2}')" = 20 ] || fail "rapporto.pdf has not 20 pages"
  pdftotext "$REPORTS/rapporto.pdf" "$DIR/rapporto.txt"
  for text in "Listino articoli" "Pagina 1 di 20" "Pagina 20 di 20"; do
    grep -q "$text" "$DIR/rapporto.txt" || fail "rapporto.pdf lacks the text \"$text\""
  done
else
  fail "the report was not saved as rapporto.pdf"
fi

# 5. Every hit at once: "Pagina" with capitals only, once per page; the status counts them.
status_is_page_label && fail "the search's status shows something before any search"
xdotool key F3
wait_window '^Trova testo\.$'
xdotool type --delay 20 Pagina
xdotool key Tab space Return
wait_gone '^Trova testo\.$'
seen=""
for _ in $(seq 100); do status_is_page_label && { seen=1; break; }; sleep 0.1; done
shot 6-hits
[ -n "$seen" ] || fail "the search's status does not read \"1 di 20\" as the page label does"

# 6. F10 and a template chosen: it is prepared over the database beside it; its landscape page
#    is shown at 100 %.
xdotool key F10
wait_window '^Apre un report\.$'
xdotool type --delay 20 "$TEMPLATES/vendite.cvf"
xdotool key Return
wait_page_width 1123 "after opening the template"
shot 7-template
xdotool key Escape
for _ in $(seq 300); do kill -0 "$VIEWER" 2>/dev/null || break; sleep 0.1; done
kill -0 "$VIEWER" 2>/dev/null && fail "Escape did not end the viewer"

[ "$(stat -c %Y "$REPORTS/listing.cvp")" -gt 978307200 ] || fail "listing.cvp was not saved"
[ "$(md5sum < "$REPORTS/listing.cvp")" = "$ORIGINAL" ] || fail "listing.cvp changed: $("$BIN/tessaly-cli" info "$REPORTS/listing.cvp" 2>&1 | head -1)"
[ -e "$REPORTS/listing" ] && fail "saved as \"listing\" without the extension"
[ "$(ls -A "$REPORTS")" = "$(printf 'listing.cvp\nrapporto.pdf\nrotto.cvp')" ] || fail "the folder holds: $(ls -A "$REPORTS" | tr '\n' ' ')"

# 7. The thumbnails of the 2,000-page report (about 100 MB): the panel with its first picture within
#    a second of F4.
"$BIN/make_listing_report" "$DIR/grande.cvp" 2000
# A second in a plain build; the sanitizers slow every step about threefold.
THUMBNAIL_MS=1000
[ -n "${ASAN_OPTIONS:-}" ] && THUMBNAIL_MS=4000
(cd "$DIR" && exec "$BIN/tessaly" grande.cvp) >> "$DIR/viewer.log" 2>&1 &
VIEWER=$!
wait_window '^Anteprima'
wait_page_width 794 "with the 2,000-page report"
import -window root "$DIR/before-f4.png"
[ "$(thumbnail_sheet_width "$DIR/before-f4.png")" -lt 100 ] || fail "a thumbnail shows before F4"
START=$(date +%s%N)
xdotool key F4
ELAPSED=""
for _ in $(seq 100); do
  import -window root "$DIR/after-f4.png"
  NOW=$((($(date +%s%N) - START) / 1000000))  # the screenshot is taken by now (its analysis not counted)
  if [ "$(thumbnail_sheet_width "$DIR/after-f4.png")" -ge 100 ] && [ "$(thumbnail_ink "$DIR/after-f4.png")" -ge 200 ]; then
    ELAPSED=$NOW; break
  fi
  [ "$NOW" -gt 5000 ] && break
done
shot 8-thumbnails
if [ -z "$ELAPSED" ]; then fail "no thumbnails after F4"
elif [ "$ELAPSED" -gt "$THUMBNAIL_MS" ]; then fail "the thumbnails took $ELAPSED ms to show (at most $THUMBNAIL_MS)"
else echo "thumbnails of 2,000 pages shown $ELAPSED ms after F4"; fi
xdotool key Escape
for _ in $(seq 300); do kill -0 "$VIEWER" 2>/dev/null || break; sleep 0.1; done

[ "$FAILED" -eq 0 ] && echo "viewer flow: passed"
exit "$FAILED"
