#!/usr/bin/env bash
# Runs a command beside a private PostgreSQL server that lives in a temporary folder and listens
# only on a Unix socket there; the server is stopped and the folder removed however the command
# ends. The command finds the database in TESSALY_PG_URI (postgresql://postgres@/tessaly?host=DIR).
#
#   tests/platform/data/with_postgres.sh COMMAND [ARG...]
#
# The server refuses to run as root: as root it runs as the postgres user. Missing server programs
# are a failure, not a reason to skip (scripts/install-deps.sh installs them).
set -euo pipefail
[ $# -gt 0 ] || { echo "uso: $0 COMANDO [ARG...]" >&2; exit 2; }

PG_BIN="${PG_BIN:-}"
if [ -z "$PG_BIN" ]; then
  for dir in /usr/lib/postgresql/15/bin /usr/lib/postgresql/*/bin; do
    [ -x "$dir/initdb" ] && { PG_BIN="$dir"; break; }
  done
fi
[ -n "$PG_BIN" ] && [ -x "$PG_BIN/initdb" ] || { echo "FAIL: no PostgreSQL server (initdb) found" >&2; exit 1; }

DIR="$(mktemp -d /tmp/tessaly-pg.XXXXXX)"
AS=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres: "$DIR"
  AS=(runuser -u postgres --)
fi
STARTED=""
cleanup() {
  if [ -n "$STARTED" ]; then "${AS[@]}" "$PG_BIN/pg_ctl" stop -D "$DIR/data" -m fast -s >/dev/null 2>&1 || true; fi
  rm -rf "$DIR"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"${AS[@]}" "$PG_BIN/initdb" -D "$DIR/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$DIR/initdb.log" 2>&1 \
  || { cat "$DIR/initdb.log" >&2; echo "FAIL: initdb" >&2; exit 1; }
STARTED=1
"${AS[@]}" "$PG_BIN/pg_ctl" start -D "$DIR/data" -w -s -l "$DIR/server.log" \
  -o "-c listen_addresses='' -c unix_socket_directories='$DIR' -c fsync=off" \
  || { cat "$DIR/server.log" >&2; echo "FAIL: the server does not start" >&2; exit 1; }
"${AS[@]}" "$PG_BIN/createdb" -h "$DIR" -U postgres tessaly

export TESSALY_PG_URI="postgresql://postgres@/tessaly?host=$DIR"
set +e
"$@"
status=$?
set -e
exit "$status"
