#!/usr/bin/env bash
# with-keyring.sh COMMAND...: runs COMMAND in a private D-Bus session with a
# gnome-keyring of its own, unlocked, whose files live in a temporary folder
# that goes with it; the user's own keyring is never touched. When either
# can't start, COMMAND runs all the same and PROJECTSALES_TEST_KEYRING_SKIP
# says why.
set -uo pipefail

run_without() {
  PROJECTSALES_TEST_KEYRING_SKIP="$1" "${@:2}"
  exit $?
}

if [ "${1:-}" = "--inside" ]; then
  shift
  keyring_dir=$1
  shift
  printf '%s' test | gnome-keyring-daemon --foreground --unlock --components=secrets \
    >"$keyring_dir/daemon.log" 2>&1 &
  daemon=$!
  trap 'kill "$daemon" 2>/dev/null' EXIT
  for _ in $(seq 50); do
    if dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
         org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q 'boolean true'; then
      "$@"
      exit $?
    fi
    sleep 0.1
  done
  PROJECTSALES_TEST_KEYRING_SKIP="gnome-keyring-daemon did not start: $(tail -n 2 "$keyring_dir/daemon.log" | tr '\n' ' ')" "$@"
  exit $?
fi

command -v dbus-run-session >/dev/null || run_without "no dbus-run-session (package dbus)" "$@"
command -v gnome-keyring-daemon >/dev/null || run_without "no gnome-keyring-daemon (package gnome-keyring)" "$@"
keyring_dir=$(mktemp -d /tmp/pskeyring.XXXXXX) || run_without "no temporary folder for the keyring" "$@"
trap 'rm -rf "$keyring_dir"' EXIT
mkdir -m 700 "$keyring_dir/data" "$keyring_dir/run"
XDG_DATA_HOME="$keyring_dir/data" XDG_RUNTIME_DIR="$keyring_dir/run" \
  dbus-run-session -- "$0" --inside "$keyring_dir" "$@"
