#!/usr/bin/env bash
# with-openbox.sh COMMAND...: runs COMMAND on a display of its own with openbox managing its windows, as a
# desktop would: frames, focus and maximising are the window manager's, which a bare Xvfb never shows.
set -euo pipefail
if [ -z "${VELMORA_OWN_DISPLAY:-}" ]; then
  export VELMORA_OWN_DISPLAY=1
  # A random first display number: tests started side by side do not race for the same one.
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1600x1000x24" bash "$0" "$@"
fi
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true' EXIT
# openbox announces itself on the root window once it manages the screen; on a busy machine that can take
# a while, and a test run without it would fail for the wrong reason.
managed=""
for _ in $(seq 1 300); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && { managed=1; break; }
  sleep 0.1
done
[ -n "$managed" ] || { echo "with-openbox.sh: openbox did not start on $DISPLAY" >&2; exit 1; }
"$@"
