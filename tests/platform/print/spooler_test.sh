#!/usr/bin/env bash
# Prints through a real spooler: starts a private cupsd with cups-pdf queues, prints prepared
# reports with `tessaly-cli print`, checks the job names with ipptool and the page sizes and page
# counts of the spooled files, and stops the cupsd it started.
#
#   tests/platform/print/spooler_test.sh [BIN_DIR]     (default: build/debug/bin next to this checkout)
#
# The queues accept jobs but are not started, so nothing runs a backend: the spooled copy of each
# job (the PDF that Tessaly made, with its page sizes) stays in the private spool for the checks.
# Exit status: 0 passed, 1 failed, 77 skipped (no cupsd, cups-pdf, ipptool or pdfinfo, or the
# spooler cannot be started here).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
BIN="${1:-$ROOT/build/debug/bin}"
CLI="$BIN/tessaly-cli"
EXAMPLES="$ROOT/examples"

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; FAILED=1; }

CUPSD=/usr/sbin/cupsd
PPD_MODEL=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
PPD_FILE=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -x "$CUPSD" ] || skip "no cupsd"
[ -f "$PPD_FILE" ] || skip "no cups-pdf"
for tool in lpadmin cupsaccept ipptool pdfinfo pdftotext; do
  command -v "$tool" >/dev/null || skip "no $tool"
done
[ -x "$CLI" ] || { echo "FAIL: no $CLI"; exit 1; }

# --- A private spooler: its own configuration, spool and socket -------------------------------
DIR="$(mktemp -d /tmp/tessaly-spooler.XXXXXX)"
CUPSD_PID=""
cleanup() {
  if [ -n "$CUPSD_PID" ] && kill -0 "$CUPSD_PID" 2>/dev/null; then
    kill "$CUPSD_PID" 2>/dev/null || true
    wait "$CUPSD_PID" 2>/dev/null || true
  fi
  [ -n "${KEEP_SPOOLER:-}" ] || rm -rf "$DIR"
}
trap cleanup EXIT

mkdir -p "$DIR/spool/tmp" "$DIR/cache" "$DIR/state" "$DIR/log" "$DIR/ppd"
SOCKET="$DIR/cups.sock"
cat > "$DIR/cupsd.conf" <<CONF
LogLevel warn
Listen $SOCKET
Browsing No
WebInterface No
PreserveJobFiles Yes
PreserveJobHistory Yes
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
chmod 0755 "$DIR"
GROUP="$(id -gn)"  # the administrators' group: ours (root's when run as root)
cat > "$DIR/cups-files.conf" <<CONF
ServerRoot $DIR
RequestRoot $DIR/spool
TempDir $DIR/spool/tmp
CacheDir $DIR/cache
StateDir $DIR/state
ErrorLog $DIR/log/error_log
AccessLog $DIR/log/access_log
PageLog $DIR/log/page_log
SystemGroup $GROUP
FileDevice Yes
CONF
# As root, cupsd runs its helpers as lp, which must reach the spool.
if [ "$(id -u)" -eq 0 ] && getent group lp >/dev/null; then
  chgrp -R lp "$DIR/spool" "$DIR/cache" "$DIR/state"
  chmod 0710 "$DIR/spool"; chmod 1770 "$DIR/spool/tmp"; chmod 0770 "$DIR/cache" "$DIR/state"
fi

"$CUPSD" -f -c "$DIR/cupsd.conf" -s "$DIR/cups-files.conf" &
CUPSD_PID=$!
export CUPS_SERVER="$SOCKET"
running() { lpstat -r 2>/dev/null | grep -q "is running"; }
for _ in $(seq 50); do
  [ -S "$SOCKET" ] && running && break
  kill -0 "$CUPSD_PID" 2>/dev/null || break
  sleep 0.1
done
if ! running; then
  cat "$DIR/log/error_log" 2>/dev/null || true
  skip "the spooler does not start here"
fi

# NAME: a cups-pdf queue that accepts jobs and keeps them. Without root the cups-pdf backend is
# not offered; the queue keeps its driver and gets a file device, which it never uses.
add_queue() {
  local uri=cups-pdf:/
  lpinfo -v 2>/dev/null | grep -q ' cups-pdf:/' || uri=file:///dev/null
  lpadmin -p "$1" -v "$uri" -m "$PPD_MODEL" 2>/dev/null || lpadmin -p "$1" -v "$uri" -P "$PPD_FILE" 2>/dev/null
  cupsaccept "$1"
}
add_queue PDF
add_queue Ufficio
lpadmin -d PDF

URI="ipp://$(printf '%s' "$SOCKET" | sed 's|/|%2F|g')/printers"
cat > "$DIR/jobs.test" <<'TEST'
{
  NAME "Jobs of the queue"
  OPERATION Get-Jobs
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name $user
  ATTR keyword which-jobs all
  ATTR keyword requested-attributes job-id,job-name
  STATUS successful-ok
  DISPLAY job-id
  DISPLAY job-name
}
TEST

# The names of the jobs of a queue, one a line, in job order.
job_names() {
  ipptool -t -d "user=$(id -un)" "$URI/$1" "$DIR/jobs.test" | sed -n 's/^ *job-name ([^)]*) = //p'
}
job_ids() {
  ipptool -t -d "user=$(id -un)" "$URI/$1" "$DIR/jobs.test" | sed -n 's/^ *job-id ([^)]*) = //p'
}
# Page sizes of a spooled job file, one "W x H" a line.
sizes_of_job() {
  local file; file="$(printf '%s/spool/d%05d-001' "$DIR" "$1")"
  [ -f "$file" ] || { echo "missing $file"; return; }
  local pages; pages="$(pdfinfo "$file" | sed -n 's/^Pages: *//p')"
  pdfinfo -f 1 -l "$pages" "$file" | sed -n 's/^Page *[0-9]* size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1 x \2/p'
}
sizes_of_queue() {
  local id
  for id in $(job_ids "$1"); do sizes_of_job "$id"; done
}
expect_equal() {  # WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok: $1"; else fail "$1"; echo "  expected: $(echo "$2" | paste -sd '|')"; echo "  actual:   $(echo "$3" | paste -sd '|')"; fi
}

FAILED=0
run_cli() {
  if ! "$CLI" "$@" 2>"$DIR/cli.err"; then
    fail "tessaly-cli $*"
    cat "$DIR/cli.err"
  fi
}

# 1. Seven pages on seven papers: one job per page, each with the title of the report and the
# sheet of its page (A4, A5, Letter, A3 landscape, DL landscape, two custom sizes).
run_cli print "$EXAMPLES/mixed.cvp"
expect_equal "a job per paper, all titled" "$(printf 'Corvane- Nessun nome\n%.0s' 1 2 3 4 5 6 7)" "$(job_names PDF)"
expect_equal "each job on its page's paper" \
  "$(printf '%s\n' '595 x 842' '420 x 595' '612 x 792' '1191 x 842' '624 x 312' '340 x 510' '297 x 420')" \
  "$(sizes_of_queue PDF)"
# The spooled pages are vectors: their text is there to be read.
first_job="$(job_ids PDF | head -1)"
expect_equal "the text of the first sheet" "Pagina 1 di 7" \
  "$(pdftotext "$(printf '%s/spool/d%05d-001' "$DIR" "$first_job")" - | grep -o 'Pagina 1 di 7')"

# 2. Pages 2 to 3 of a report on one paper, twice, on the printer chosen by name: one job of
# four A4 sheets (the program makes the copies).
run_cli print "$EXAMPLES/listing.cvp" --printer Ufficio --from 2 --to 3 --copies 2 --collate
expect_equal "one job on the chosen printer" "Corvane- Nessun nome" "$(job_names Ufficio)"
expect_equal "copies as sheets of one job" "$(printf '595 x 842\n%.0s' 1 2 3 4)" "$(sizes_of_queue Ufficio)"
expect_equal "collated: pages 2, 3, 2, 3" "$(printf 'Pagina %s di 20\n' 2 3 2 3)" \
  "$(pdftotext "$(printf '%s/spool/d%05d-001' "$DIR" "$(job_ids Ufficio)")" - | grep -o 'Pagina [0-9]* di 20')"

# 3. Bad requests are refused with a message, and nothing reaches the spooler.
if "$CLI" print "$EXAMPLES/mixed.cvp" --printer Nessuna >/dev/null 2>"$DIR/cli.err"; then
  fail "an unknown printer is refused"
else
  expect_equal "an unknown printer is named" "Stampante sconosciuta: Nessuna" "$(grep -v XDG_RUNTIME "$DIR/cli.err")"
fi
expect_equal "nothing more spooled" "8" "$( (job_ids PDF; job_ids Ufficio) | wc -l | tr -d ' ')"

if [ "$FAILED" -ne 0 ]; then
  echo "--- spooler log"; cat "$DIR/log/error_log" 2>/dev/null || true
  exit 1
fi
echo "spooler test passed"
