#!/bin/sh
# Runs a command on the X display under a window manager (openbox), which
# frames windows as a desktop does; run inside xvfb-run. Exits 77 (skipped)
# without openbox, and fails then on a CI run.
if ! command -v openbox >/dev/null || ! command -v xprop >/dev/null; then
  echo "openbox and xprop (x11-utils) are not installed"
  [ "$CI" = true ] && exit 1
  exit 77
fi
openbox >/dev/null 2>&1 &
wm=$!
# Ready once it names itself on the root window.
for i in $(seq 200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
  sleep 0.05
done
"$@"
rc=$?
kill $wm
wait $wm 2>/dev/null
exit $rc
