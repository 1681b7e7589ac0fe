#!/usr/bin/env bash
# signal-check.sh PROGRAM WORK_DIR: the reader asked to end by a signal while a question is open, run
# under with-openbox.sh. Whatever the question, it closes unanswered and the reader ends with 0 keeping
# everything:
#   the start's journal offer (SIGTERM, SIGHUP, SIGINT): the journal stays as it was, nothing set aside;
#   the close question with positions not saved: they stay in the reader's journal, the settings written.
set -euo pipefail
program=$1 work=$2
rm -rf "$work" && mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
export QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
fail() { echo "FAIL: $*" >&2; exit 1; }
reader=""
trap '[ -n "$reader" ] && kill -KILL "$reader" 2>/dev/null || true' EXIT

lib=$work/lib
mkdir -p "$lib"/Image/{K,L,M,N,O} "$lib"/PDF/{K,M,N,O}
printf '<條目>一</條目>\n<內容>a</內容>\n<條目>二</條目>\n<內容>b</內容>\n' >"$lib/velmora200_k.xml"
: >"$lib/velmora200_M.xml"; : >"$lib/velmora200_N.xml"; : >"$lib/velmora200_O.xml"
printf '[System]\nTitle=書庫甲\n' >"$lib/setup.ini"
# The journal of a reader that is gone: one position for 一.
orphan=$lib/velmoranote-1-1.journal
printf '{"velmoranote-journal":1,"positions":[{"notebook":"K","record":0,"title":"一","x":55,"y":66}]}\n' >"$orphan"
cp "$orphan" "$work/orphan.copy"

# wait_for NAME PID: until a window named NAME shows; its id on stdout.
wait_for() {
  for _ in $(seq 1 160); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.25
  done
  return 1
}
# ended_with PID: the reader's exit status, in $code.
ended_with() { set +e; wait "$1"; code=$?; set -e; reader=""; }

# The start's journal offer open: each of the three signals.
for signal in TERM HUP INT; do
  "$program" --library "$lib" >"$work/offer-$signal.log" 2>&1 &
  reader=$!
  wait_for 澄溪導師筆記 "$reader" >/dev/null || { cat "$work/offer-$signal.log" >&2; fail "no journal offer shows"; }
  kill -"$signal" "$reader"
  ended_with "$reader"
  [ "$code" -eq 0 ] || { tail -5 "$work/offer-$signal.log" >&2; fail "SIG$signal with the offer open ended with $code"; }
  cmp -s "$orphan" "$work/orphan.copy" || fail "SIG$signal with the offer open changed or removed the journal"
  [ -z "$(ls "$lib" | grep declined || true)" ] || fail "SIG$signal with the offer open set the journal aside"
done

# The offer answered with Enter (restore): the position is this reader's, not saved. Ctrl+Q asks whether
# to close without saving; SIGTERM then: the question closes unanswered, the position stays in the
# reader's journal, and the settings are written.
rm -f "$lib/velmoranote.ini"
"$program" --library "$lib" >"$work/close.log" 2>&1 &
reader=$!
box=$(wait_for 澄溪導師筆記 "$reader") || fail "no journal offer shows"
xdotool windowactivate --sync "$box" key --clearmodifiers Return
window=$(wait_for 書庫甲 "$reader") || { cat "$work/close.log" >&2; fail "the window does not show after the offer"; }
sleep 1
xdotool windowactivate --sync "$window" key --clearmodifiers ctrl+q
wait_for 澄溪導師筆記 "$reader" >/dev/null || fail "Ctrl+Q shows no close question"
kill -TERM "$reader"
ended_with "$reader"
[ "$code" -eq 0 ] || { tail -5 "$work/close.log" >&2; fail "SIGTERM with the close question open ended with $code"; }
journals=$(ls "$lib" | grep -E '^velmoranote-[0-9]+-[0-9]+\.journal$' || true)
[ "$(wc -w <<<"$journals")" -eq 1 ] || fail "after the close question: journals '$journals'"
grep -q '"x": 55' "$lib/$journals" || fail "the position restored is not in the journal: $(cat "$lib/$journals")"
grep -q ImageRate "$lib/velmoranote.ini" || fail "the settings were not written"
echo "signal checks passed"
