#!/usr/bin/env bash
# with-openbox.sh COMMAND...: runs COMMAND on a display of its own with openbox managing its windows, as a
# desktop would: frames, focus and maximising are the window manager's, which a bare Xvfb never shows.
set -euo pipefail
if [ -z "${VELMORA_OWN_DISPLAY:-}" ]; then
  export VELMORA_OWN_DISPLAY=1
  # A random first display number, then the next free one from there (xvfb-run reads its options in
  # order): tests started side by side do not race for the same one.
  exec xvfb-run -n $((100 + RANDOM % 800)) -a -s "-screen 0 1600x1000x24" bash "$0" "$@"
fi
# openbox announces itself on the root window once it manages the screen; on a busy machine that can take
# a while, and a test run without it would fail for the wrong reason. An openbox that ends before it
# manages the screen is started again; what it said is shown if it never does.
log=$(mktemp)
wm=""
trap 'kill $wm 2>/dev/null || true; rm -f "$log"' EXIT
managed=""
for attempt in 1 2 3; do
  openbox --sm-disable >>"$log" 2>&1 &
  wm=$!
  deadline=$((SECONDS + 20))
  while [ $SECONDS -lt $deadline ]; do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>>"$log" | grep -q 'window id' && { managed=1; break 2; }
    kill -0 $wm 2>/dev/null || { echo "(openbox ended, attempt $attempt)" >>"$log"; break; }
    sleep 0.1
  done
  kill $wm 2>/dev/null || true
  wait $wm 2>/dev/null || true
done
if [ -z "$managed" ]; then
  echo "with-openbox.sh: openbox did not start on $DISPLAY; what it and xprop said:" >&2
  tail -30 "$log" >&2
  exit 1
fi
"$@"
