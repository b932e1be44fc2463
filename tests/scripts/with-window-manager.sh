#!/bin/sh
# Runs a command on the X display under a window manager (openbox), which
# frames windows as a desktop does; run inside xvfb-run. Exits 77 (skipped)
# without openbox, and fails then on a CI run.
if ! command -v openbox >/dev/null || ! command -v xprop >/dev/null; then
  echo "openbox and xprop (x11-utils) are not installed"
  [ "$CI" = true ] && exit 1
  exit 77
fi
ready=$(mktemp -u)
# Ready once it has run its start-up command: by then it manages new windows
# (naming itself on the root window comes earlier, and a window mapped in
# between may never be shown).
openbox --startup "touch $ready" >/dev/null 2>&1 &
wm=$!
for i in $(seq 400); do
  [ -e "$ready" ] && break
  sleep 0.05
done
rm -f "$ready"
"$@"
rc=$?
kill $wm
wait $wm 2>/dev/null
exit $rc
