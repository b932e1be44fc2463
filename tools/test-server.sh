#!/usr/bin/env bash
# test-server.sh COMMAND...: runs COMMAND with a private PostgreSQL server for
# the tests and stops the server afterwards, whatever COMMAND's outcome.
#
# The server lives in a temporary folder, listens on a Unix socket there and on
# no TCP port, and trusts local connections but those of the role ps_password,
# which signs in with a password (scram-sha-256); it is gone when COMMAND ends.
# COMMAND finds it in PROJECTSALES_TEST_PG (a URL of the server's postgres
# database). When the server can't start, PROJECTSALES_TEST_PG_SKIP says why
# and the server's test cases report themselves skipped.
set -uo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
fi

pg_dir=""
as_postgres=()

pg_stop() {
  [ -n "$pg_dir" ] || return 0
  if [ -f "$pg_dir/data/postmaster.pid" ]; then
    "${as_postgres[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -m immediate -w stop >/dev/null 2>&1
  fi
  rm -rf "$pg_dir"
}

pg_start() {
  pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ -z "$pg_bin" ] || [ ! -x "$pg_bin/initdb" ]; then
    echo "no PostgreSQL server programs (package postgresql-15) are installed"
    return 1
  fi
  # initdb refuses to run as root: the server runs as the postgres user.
  if [ "$(id -u)" -eq 0 ]; then
    if ! id postgres >/dev/null 2>&1; then
      echo "running as root and there is no postgres user to run the server"
      return 1
    fi
    as_postgres=(runuser -u postgres --)
  fi
  pg_dir=$(mktemp -d /tmp/pstest.XXXXXX) || return 1
  chmod 755 "$pg_dir"
  [ "$(id -u)" -eq 0 ] && chown postgres: "$pg_dir"
  if ! "${as_postgres[@]}" "$pg_bin/initdb" -D "$pg_dir/data" -U postgres --auth=trust \
         --encoding=UTF8 --locale=C.UTF-8 >"$pg_dir/initdb.log" 2>&1; then
    echo "initdb failed: $(tail -n 3 "$pg_dir/initdb.log" | tr '\n' ' ')"
    return 1
  fi
  # One role signs in with a password (scram-sha-256), as on a shared server;
  # the others are trusted.
  if ! "${as_postgres[@]}" sed -i '1i local all ps_password scram-sha-256' "$pg_dir/data/pg_hba.conf"; then
    echo "could not ask ps_password for a password in pg_hba.conf"
    return 1
  fi
  # Durability is of no use to a server that is thrown away afterwards.
  if ! "${as_postgres[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/server.log" -w -t 60 \
         -o "-c listen_addresses='' -k $pg_dir -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
         start >/dev/null 2>&1; then
    echo "the server did not start: $(tail -n 3 "$pg_dir/server.log" 2>/dev/null | tr '\n' ' ')"
    return 1
  fi
}

trap pg_stop EXIT
trap 'exit 130' INT TERM

reason_file=$(mktemp)
if pg_start >"$reason_file"; then
  export PROJECTSALES_TEST_PG="postgresql://postgres@/postgres?host=$pg_dir"
  unset PROJECTSALES_TEST_PG_SKIP
  echo "Test server: PostgreSQL in $pg_dir"
else
  export PROJECTSALES_TEST_PG_SKIP="$(cat "$reason_file")"
  unset PROJECTSALES_TEST_PG
  echo "No test server: $PROJECTSALES_TEST_PG_SKIP" >&2
fi
rm -f "$reason_file"

"$@"
