#!/usr/bin/env bash
# start-check.sh PROGRAM WORK_DIR: the reader's start as a user meets it, run under with-openbox.sh.
#   --help and --version in a plain terminal, with no display at all;
#   a refused --library from a terminal: the reason on stderr naming the folder, a non-zero exit, and
#   the remembered library left as it was; a good one is remembered once its notes have loaded;
#   a second start on the same library raises the running window and ends; another library opens;
#   SIGTERM ends a reader in order, its settings written.
set -euo pipefail
program=$1 work=$2
rm -rf "$work" && mkdir -p "$work/home"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
remembered=$XDG_CONFIG_HOME/velmoranote/library.ini
fail() { echo "FAIL: $*" >&2; exit 1; }

# make_library DIR TITLE: the four notes files, the letter folders and a caption to find the window by.
make_library() {
  mkdir -p "$1"/Image/{K,L,M,N,O} "$1"/PDF/{K,M,N,O}
  printf '<條目>一</條目>\n<內容>a</內容>\n' >"$1/velmora200_k.xml"
  : >"$1/velmora200_M.xml"; : >"$1/velmora200_N.xml"; : >"$1/velmora200_O.xml"
  printf '[System]\nTitle=%s\n' "$2" >"$1/setup.ini"
}
make_library "$work/lib-a" "書庫甲"
make_library "$work/lib-b" "書庫乙"
mkdir -p "$work/no-notes"

# In a terminal (a pseudo-terminal from script(1)), as a user types it.
in_terminal() { script -qec "$*" /dev/null; }

# --help and --version: no display, no window system.
for option in --help --version; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" $option 2>&1) ||
    fail "$option ended with $? without a display: $out"
done
env -u DISPLAY "$program" --help | grep -q -- '--library' || fail "--help does not mention --library"
env -u DISPLAY "$program" --version | grep -q '^velmoranote [0-9]' || fail "--version prints no version"

# window_of TITLE: the window id of the reader showing TITLE, or nothing.
window_of() { xdotool search --name "$1" 2>/dev/null | head -1; }
# start_reader LOG ARGS...: starts the reader in the background and waits until its window shows.
start_reader() {
  local log=$1 title=$2; shift 2
  "$program" "$@" >"$log" 2>&1 &
  started=$!
  for _ in $(seq 1 120); do
    [ -n "$(window_of "$title")" ] && return 0
    kill -0 "$started" 2>/dev/null || break
    sleep 0.5
  done
  cat "$log" >&2
  fail "the window '$title' of '$program $*' did not show"
}

# A good library: remembered once its window has shown.
start_reader "$work/a.log" 書庫甲 --library "$work/lib-a"
first=$started
grep -q "lib-a" "$remembered" || fail "the library that loaded is not remembered"

# A folder without notes, from a terminal: said on stderr, non-zero exit, the remembered one kept.
set +e
out=$(in_terminal "$program" --library "$work/no-notes")
code=$?
set -e
[ "$code" -ne 0 ] || fail "a --library without notes ended with 0"
grep -q "$work/no-notes" <<<"$out" || fail "the refusal does not name the folder: $out"
grep -q "lib-a" "$remembered" || fail "a refused --library replaced the remembered one: $(cat "$remembered")"
set +e
out=$(in_terminal "$program" --library "$work/nowhere")
code=$?
set -e
[ "$code" -ne 0 ] && grep -q "$work/nowhere" <<<"$out" || fail "a missing --library: exit $code, '$out'"

# Large notes (17 MB) are read on after the window shows; a notes file found unreadable then ends the
# start as one found before does: the reason on stderr naming the file, a non-zero exit, the library not
# remembered.
make_library "$work/lib-large" "書庫大"
python3 - "$work/lib-large/velmora200_M.xml" <<'PY'
import sys
with open(sys.argv[1], "w", encoding="utf-8") as f:
    for i in range(2900):
        f.write("<條目>條%d</條目>\n<內容>%s</內容>\n" % (i, "甲乙丙丁" * 500))
PY
printf '<條目>斷\n' >"$work/lib-large/velmora200_O.xml"
set +e
out=$(in_terminal timeout 120 "$program" --library "$work/lib-large")
code=$?
set -e
[ "$code" -ne 0 ] && [ "$code" -ne 124 ] || fail "an unreadable notes file read after the window showed: exit $code, '$out'"
grep -q "velmora200_O.xml" <<<"$out" || fail "the late failure does not name the file: $out"
grep -q "lib-large" "$remembered" && fail "a library whose notes did not load was remembered"

# A second start on the same library: the running window is raised, no second window, a quick end.
xdotool windowminimize --sync "$(window_of 書庫甲)"
set +e
timeout 60 "$program" --library "$work/lib-a/" >"$work/second.log" 2>&1
code=$?
set -e
[ "$code" -eq 0 ] || { cat "$work/second.log" >&2; fail "the second start ended with $code"; }
grep -q "已在另一個視窗" "$work/second.log" || fail "the second start did not say where the library is open"
[ "$(xdotool search --name 書庫甲 | wc -l)" -eq 1 ] || fail "two windows on the same library"
for _ in $(seq 1 20); do
  xwininfo -id "$(window_of 書庫甲)" | grep -q IsViewable && break
  sleep 0.25
done
xwininfo -id "$(window_of 書庫甲)" | grep -q IsViewable || fail "the running window was not raised"

# Another library: a window of its own beside the first.
start_reader "$work/b.log" 書庫乙 --library "$work/lib-b"
second=$started
kill -0 "$first" || fail "the first reader ended when another library opened"

# Ended by the session (SIGTERM, as at logging out): an orderly end with 0 that writes the window's
# settings, not a process cut off with them lost.
rm -f "$work/lib-b/velmoranote.ini"
kill -TERM "$second"
set +e
wait "$second"
code=$?
set -e
[ "$code" -eq 0 ] || { cat "$work/b.log" >&2; fail "the reader ended by SIGTERM with $code"; }
grep -q "ImageRate" "$work/lib-b/velmoranote.ini" || fail "the reader ended by SIGTERM did not write its settings"
kill "$first" 2>/dev/null || true
wait 2>/dev/null || true
echo "start checks passed"
