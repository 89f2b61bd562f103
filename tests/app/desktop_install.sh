#!/usr/bin/env bash
# The desktop install as a user meets it: `cmake --install` into a temporary prefix, then, with the
# desktop's search paths pointing there only (and at the system's own types),
#   1. the programs, the icon at every size, the MIME package and the desktop entry are in place,
#      the entry is valid and starts the installed viewer (its path quoted when it must be, as in
#      a packager's install into a staging folder, which leaves the databases to the packages);
#   2. the desktop tells the file types apart by name and, for reports, by content;
#   3. the viewer opens reports and templates by default;
#   4. `xdg-open` on a report starts the installed viewer with it, on a virtual X server; Escape
#      closes it.
#
#   tests/app/desktop_install.sh [BUILD_DIR]     (default: build/debug next to this checkout)
#
# Set KEEP_INSTALL=1 to keep the prefix and the screenshot.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/debug}" && pwd)"

for tool in cmake xdg-mime xdg-open mimetype desktop-file-validate update-mime-database \
            update-desktop-database xvfb-run xdotool identify import; do
  command -v "$tool" >/dev/null || { echo "FAIL: no $tool (scripts/install-deps.sh installs it)"; exit 1; }
done

if [ -z "${TESSALY_INSTALL_ON_XVFB:-}" ]; then
  exec env TESSALY_INSTALL_ON_XVFB=1 xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$BUILD"
fi

DIR="$(mktemp -d /tmp/tessaly-install.XXXXXX)"
PREFIX="$DIR/prefisso"  # no space: xdg-open cannot take one in XDG_DATA_DIRS
VIEWER=""
OPENER=""
cleanup() {
  for pid in $VIEWER $OPENER; do kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null; done
  [ -n "${KEEP_INSTALL:-}" ] && echo "kept: $DIR" || rm -rf "$DIR"
}
trap cleanup EXIT
FAILED=0
fail() { echo "FAIL: $*"; FAILED=1; }

# 1. The install and its files.
cmake --install "$BUILD" --prefix "$PREFIX" > "$DIR/install.log" 2>&1 || { cat "$DIR/install.log"; echo "FAIL: cmake --install"; exit 1; }
SHARE="$PREFIX/share"
for program in tessaly tessaly-cli; do
  [ -x "$PREFIX/bin/$program" ] || fail "no program bin/$program"
done
for size in 16 22 24 32 48 64 128 256; do
  icon="$SHARE/icons/hicolor/${size}x${size}/apps/tessaly.png"
  [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] || fail "no ${size}x${size} icon: $icon"
done
ENTRY="$SHARE/applications/tessaly.desktop"
[ -f "$SHARE/mime/packages/tessaly.xml" ] || fail "no MIME package"
[ -f "$SHARE/mime/mime.cache" ] || fail "the install did not update the MIME database"
desktop-file-validate "$ENTRY" || fail "the desktop entry is not valid"
grep -qx "Exec=$PREFIX/bin/tessaly %f" "$ENTRY" || fail "the entry does not start the installed viewer: $(grep ^Exec= "$ENTRY")"
grep -qx 'GenericName=Visualizzatore di report' "$ENTRY" || fail "the entry's name is not Italian"
"$PREFIX/bin/tessaly-cli" version > /dev/null || fail "the installed tessaly-cli does not run"

STAGED="$DIR/stage/opt/Tessaly \$1"
DESTDIR="$DIR/stage" cmake --install "$BUILD" --prefix '/opt/Tessaly $1' > "$DIR/stage.log" 2>&1 || { cat "$DIR/stage.log"; fail "cmake --install with DESTDIR"; }
grep -qxF 'Exec="/opt/Tessaly \\$1/bin/tessaly" %f' "$STAGED/share/applications/tessaly.desktop" ||
  fail "the path with a space is not quoted: $(grep ^Exec= "$STAGED/share/applications/tessaly.desktop")"
desktop-file-validate "$STAGED/share/applications/tessaly.desktop" || fail "the staged desktop entry is not valid"
[ -e "$STAGED/share/mime/mime.cache" ] && fail "an install into a staging folder updated its MIME database"

# The desktop looks only into the prefix and the system; the user's own settings stay out.
export XDG_DATA_HOME="$DIR/home" XDG_DATA_DIRS="$SHARE:/usr/share"
export XDG_CONFIG_HOME="$DIR/config" XDG_CONFIG_DIRS="$DIR/config"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID MATE_DESKTOP_SESSION_ID

# 2. The types: by name, and by content where a report has no extension. A one-page report starts
# as an icon file does; a metafile holds the signature the report's magic looks for, elsewhere.
FILES="$DIR/file"
mkdir -p "$FILES"
cp "$ROOT/examples/listing.cvp" "$FILES/Fattura di prova è.cvp"
cp "$ROOT/examples/listing.cvp" "$FILES/listino"
cp "$ROOT/resources/EMPTYREPORT.cvp" "$FILES/vuoto"
printf '\035\0\0\0\0' > "$FILES/modello.cvf"
cp "$ROOT/tests/data/emf/freehep-TestClip.emf" "$FILES/disegno"
printf '\0\0\1\0\1\0\20\20\0\0\1\0\40\0\150\4\0\0\26\0\0\0(\0\0\0' > "$FILES/icona"
while IFS='|' read -r name type; do
  got="$(xdg-mime query filetype "$FILES/$name")"
  [ "$got" = "$type" ] || fail "$name is $got, not $type"
done <<'EOF'
Fattura di prova è.cvp|application/x-tessaly-report
listino|application/x-tessaly-report
vuoto|application/x-tessaly-report
modello.cvf|application/x-tessaly-template
disegno|image/emf
icona|image/vnd.microsoft.icon
EOF

# 3. Who opens them.
for type in application/x-tessaly-report application/x-tessaly-template; do
  got="$(xdg-mime query default "$type")"
  [ "$got" = "tessaly.desktop" ] || fail "$type is opened by \"$got\", not tessaly.desktop"
done

# 4. xdg-open starts the installed viewer on the report.
export QT_QPA_PLATFORM=xcb
[ -n "${ASAN_OPTIONS:-}" ] && export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"  # see viewer_flow.sh
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$DIR/runtime"; mkdir -m 700 "$XDG_RUNTIME_DIR"; export XDG_RUNTIME_DIR
fi
REPORT="$FILES/Fattura di prova è.cvp"
(cd "$DIR" && exec xdg-open "$REPORT") > "$DIR/xdg-open.log" 2>&1 &
OPENER=$!
WINDOW=""
for _ in $(seq 300); do
  WINDOW="$(xdotool search --onlyvisible --name '^Anteprima' 2>/dev/null | head -1)" && [ -n "$WINDOW" ] && break
  sleep 0.1
done
if [ -z "$WINDOW" ]; then
  import -window root "$DIR/no-window.png"
  cat "$DIR/xdg-open.log"
  echo "FAIL: xdg-open showed no window \"Anteprima\""
  exit 1
fi
VIEWER="$(xdotool getwindowpid "$WINDOW")"
[ "$(readlink "/proc/$VIEWER/exe")" = "$PREFIX/bin/tessaly" ] || fail "the window is not the installed viewer's: $(readlink "/proc/$VIEWER/exe")"
[ "$(tr '\0' '\n' < "/proc/$VIEWER/cmdline" | sed -n 2p)" = "$REPORT" ] || fail "the viewer was not given the report: $(tr '\0' ' ' < "/proc/$VIEWER/cmdline")"
xdotool search --onlyvisible --name '^Tessaly$' >/dev/null 2>&1 && fail "the viewer shows a message: the report did not open"
import -window root "$DIR/opened.png"
for _ in $(seq 300); do
  xdotool getwindowfocus getwindowname 2>/dev/null | grep -q '^Anteprima' && break
  sleep 0.1
done
xdotool key Escape
for _ in $(seq 300); do kill -0 "$VIEWER" 2>/dev/null || break; sleep 0.1; done
kill -0 "$VIEWER" 2>/dev/null && fail "Escape did not close the viewer"
wait "$OPENER" || fail "xdg-open failed: $(cat "$DIR/xdg-open.log")"

[ "$FAILED" -eq 0 ] && echo "desktop install: passed"
exit "$FAILED"
