#!/usr/bin/env bash
# The engine as a host program's developer meets it, from `cmake --install` into a temporary prefix:
#   1. the shared libraries (with the SONAME of the version), the headers, the CMake package and the
#      pkg-config files are in place, the Runtime and Development components split them, and the
#      installed programs run on the installed libraries;
#   2. every installed header compiles on its own, with only the prefix and Qt on the include path
#      (the flags pkg-config gives); a program links with pkg-config alone;
#   3. examples/host, copied out of the source tree, builds with find_package(Tessaly) and, run
#      offscreen from the project's folder, writes the invoices' PDF, whose text pdftotext checks:
#      the same from rows in memory and from a table model.
#
#   tests/host/host_install.sh [BUILD_DIR] [--no-header-check]   (default: build/debug next to this checkout)
#
# A sanitizer build passes --no-header-check: its headers are the same files as the plain build's,
# whose run compiles them (about a second each).
# The folder is the same for a build folder from run to run, so that ccache serves the compilations
# again; KEEP_INSTALL=1 keeps it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/debug}" && pwd)"
HEADER_CHECK=1
[ "${2:-}" = "--no-header-check" ] && HEADER_CHECK=0
for tool in cmake c++ pkg-config readelf ldd pdftotext pdfinfo md5sum; do
  command -v "$tool" >/dev/null || { echo "FAIL: no $tool (scripts/install-deps.sh installs it)"; exit 1; }
done

cache() { sed -n "s/^$1:[A-Z]*=//p" "$BUILD/CMakeCache.txt"; }
VERSION="$(cache CMAKE_PROJECT_VERSION)"
SOVERSION="${VERSION%.*}"
LIBDIR="$(cache CMAKE_INSTALL_LIBDIR)"
DIR="${TMPDIR:-/tmp}/tessaly-host-$(printf %s "$BUILD" | md5sum | cut -c1-8)"
rm -rf "$DIR"
mkdir -p "$DIR"
cleanup() { [ -n "${KEEP_INSTALL:-}" ] && echo "kept: $DIR" || rm -rf "$DIR"; }
trap cleanup EXIT
FAILED=0
fail() { echo "FAIL: $*"; FAILED=1; }
# The file a program's NEEDED library LIB resolves to, without "..".
resolved() { realpath "$(ldd "$1" | awk -v lib="$2" '$1 == lib { print $3 }')" 2>/dev/null; }
install_into() {  # PREFIX [COMPONENT]
  cmake --install "$BUILD" --prefix "$1" ${2:+--component "$2"} > "$1.log" 2>&1 || { cat "$1.log"; echo "FAIL: cmake --install $2"; exit 1; }
}

# 1. The install.
PREFIX="$DIR/prefisso"
install_into "$PREFIX"
for lib in tessaly-engine tessaly-engine-ui; do
  so="$PREFIX/$LIBDIR/lib$lib.so"
  [ -f "$so.$VERSION" ] || fail "no $so.$VERSION"
  soname="$(readelf -d "$so.$VERSION" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')"
  [ "$soname" = "lib$lib.so.$SOVERSION" ] || fail "lib$lib has the SONAME \"$soname\", not lib$lib.so.$SOVERSION"
  [ "$(readlink "$so.$SOVERSION")" = "lib$lib.so.$VERSION" ] || fail "no link lib$lib.so.$SOVERSION"
  [ "$(readlink "$so")" = "lib$lib.so.$SOVERSION" ] || fail "no link name lib$lib.so"
done
for file in include/tessaly/engine/report/CV_Report.h include/tessaly/platform/data/ItemModelDataset.h \
            include/tessaly/engine/ui/UiStartup.h "$LIBDIR/cmake/Tessaly/TessalyConfig.cmake" \
            "$LIBDIR/cmake/Tessaly/TessalyConfigVersion.cmake" "$LIBDIR/cmake/Tessaly/TessalyTargets.cmake" \
            "$LIBDIR/pkgconfig/tessaly-engine.pc" "$LIBDIR/pkgconfig/tessaly-engine-ui.pc"; do
  [ -f "$PREFIX/$file" ] || fail "not installed: $file"
done
for internal in engine/prepare engine/ui/CV_Prev.h engine/model/CV_Memo.h platform/data/QtSqlCursor.h; do
  [ -e "$PREFIX/include/tessaly/$internal" ] && fail "an internal header is installed: $internal"
done
for program in tessaly tessaly-cli; do
  [ "$(resolved "$PREFIX/bin/$program" "libtessaly-engine-ui.so.$SOVERSION")" = "$PREFIX/$LIBDIR/libtessaly-engine-ui.so.$VERSION" ] ||
    fail "bin/$program does not run on the installed engine: $(ldd "$PREFIX/bin/$program" | grep tessaly)"
done
"$PREFIX/bin/tessaly-cli" version | grep -qx "tessaly-cli $VERSION" || fail "the installed tessaly-cli does not run"

# What a package of the programs takes, and what a package for developers takes.
install_into "$DIR/runtime" Runtime
install_into "$DIR/development" Development
for file in "bin/tessaly" "bin/tessaly-cli" "$LIBDIR/libtessaly-engine.so.$SOVERSION" "share/applications/tessaly.desktop"; do
  [ -e "$DIR/runtime/$file" ] || fail "the Runtime component lacks $file"
done
for file in include "$LIBDIR/cmake" "$LIBDIR/pkgconfig" "$LIBDIR/libtessaly-engine.so"; do
  [ -e "$DIR/runtime/$file" ] && fail "the Runtime component holds $file"
  [ -e "$DIR/development/$file" ] || [ -L "$DIR/development/$file" ] || fail "the Development component lacks $file"
done
[ -e "$DIR/development/bin" ] && fail "the Development component holds programs"

# 2. Every header on its own, with the flags of pkg-config; then a program linked by them alone.
export PKG_CONFIG_PATH="$PREFIX/$LIBDIR/pkgconfig"
read -r -a CFLAGS <<< "$(pkg-config --cflags tessaly-engine-ui)"
export CHECK_FLAGS="-std=c++20 -fPIC ${CFLAGS[*]}"
(cd "$PREFIX/include/tessaly" && find . -name '*.h' | sed 's|^\./||' | sort) > "$DIR/headers.txt"
[ "$(wc -l < "$DIR/headers.txt")" -ge 40 ] || fail "only $(wc -l < "$DIR/headers.txt") headers installed"
[ "$HEADER_CHECK" -eq 1 ] && xargs -P "$(nproc)" -I{} sh -c 'printf "#include <%s>\n#include <%s>\n" {} {} | c++ $CHECK_FLAGS -fsyntax-only -x c++ - 2>&1 | sed "s|^|{}: |"' \
  < "$DIR/headers.txt" > "$DIR/headers.log"
[ -s "$DIR/headers.log" ] && { head -40 "$DIR/headers.log"; fail "installed headers do not compile on their own"; }
printf '#include <engine/report/EngineInfo.h>\n#include <cstdio>\nint main() { std::puts(tessaly::EngineVersion()); }\n' > "$DIR/version.cpp"
read -r -a LIBS <<< "$(pkg-config --libs tessaly-engine)"
c++ -std=c++20 -fPIC "${CFLAGS[@]}" "$DIR/version.cpp" -o "$DIR/version" "${LIBS[@]}" -Wl,-rpath,"$PREFIX/$LIBDIR" ||
  fail "a program does not link with pkg-config's flags"
[ "$("$DIR/version" 2>/dev/null)" = "$VERSION" ] || fail "the program linked by pkg-config does not run"

# 3. The example host, out of the source tree, over the installed package only.
cp -r "$ROOT/examples/host" "$DIR/host-src"
GEN=(); command -v ninja >/dev/null && GEN=(-G Ninja)
LAUNCHER=(); command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$DIR/host-src" -B "$DIR/host-build" "${GEN[@]}" "${LAUNCHER[@]}" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_PREFIX_PATH="$PREFIX" > "$DIR/host-configure.log" 2>&1 || { cat "$DIR/host-configure.log"; fail "examples/host does not configure"; exit 1; }
cmake --build "$DIR/host-build" > "$DIR/host-build.log" 2>&1 || { cat "$DIR/host-build.log"; fail "examples/host does not build"; exit 1; }
HOST="$DIR/host-build/tessaly-host"
[ "$(resolved "$HOST" "libtessaly-engine-ui.so.$SOVERSION")" = "$PREFIX/$LIBDIR/libtessaly-engine-ui.so.$VERSION" ] ||
  fail "the host does not run on the installed engine"

export QT_QPA_PLATFORM=offscreen
cd "$ROOT"
for source in memory model; do
  flag=(); [ "$source" = model ] && flag=(--model)
  out="$("$HOST" "${flag[@]}" -o "$DIR/fatture-$source.pdf" 2> "$DIR/host-$source.err")" || { cat "$DIR/host-$source.err"; fail "the host failed ($source)"; continue; }
  [ "$out" = "pagine: 2" ] || fail "the host wrote \"$out\" ($source)"
  pdfinfo "$DIR/fatture-$source.pdf" | grep -qx 'Pages: *2' || fail "the PDF has not two pages ($source)"
  pdftotext -layout "$DIR/fatture-$source.pdf" - | sed 's/  */ /g; s/^ //' > "$DIR/fatture-$source.txt"
done
while IFS= read -r line; do
  grep -qxF "$line" "$DIR/fatture-memory.txt" || fail "the PDF lacks the line \"$line\""
done <<'EOF2'
Cartoleria Bianchi s.n.c.
Fattura n. 2025/001 del 15/01/2025
Pagamento: Bonifico 30 gg - scadenza 14/02/2025
PEN-12 Penna a sfera blu 40 pz 0,45 10 22 16,20
LIB-03 Agenda 2025 3 pz 12,00 4 36,00
Totale fattura € 116,98
Totale in lettere: euro centosedici/98
Forniture Rossi s.r.l. – Bologna Pagina 1
Pagamento: Rimessa diretta - scadenza 05/03/2025
Forniture Rossi s.r.l. – Bologna Pagina 2
EOF2
cmp -s "$DIR/fatture-memory.txt" "$DIR/fatture-model.txt" ||
  { diff "$DIR/fatture-memory.txt" "$DIR/fatture-model.txt" | head; fail "the table model's invoices differ from those in memory"; }

# Mistakes of the host's user: told in Italian, no PDF.
status=0; "$HOST" --nulla > /dev/null 2> "$DIR/usage.err" || status=$?
[ "$status" -eq 2 ] && grep -q '^Uso: tessaly-host' "$DIR/usage.err" || fail "wrong usage is not told ($status)"
if "$HOST" "$DIR/assente.cvf" -o "$DIR/assente.pdf" > /dev/null 2> "$DIR/missing.err"; then fail "a missing template did not fail"; fi
[ -s "$DIR/missing.err" ] && [ ! -e "$DIR/assente.pdf" ] || fail "a missing template: \"$(cat "$DIR/missing.err")\""

[ "$FAILED" -eq 0 ] && echo "host install: passed"
exit "$FAILED"
