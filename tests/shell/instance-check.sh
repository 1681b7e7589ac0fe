#!/usr/bin/env bash
# instance-check.sh PROGRAM WORK_DIR: one reader per library between real starts, run under with-openbox.sh.
#   two starts a moment apart (0, 0.1, 0.3 s), the second by a link to the folder or with another TMPDIR:
#   one window; the start that did not get it (with no gap either may win) says it switched and ends with 0;
#   a reader killed outright leaves its lock and socket: the next start opens its window all the same;
#   as root: a listener of another user (uid nobody) where the readers meet, answering every request,
#   never stops the reader: it opens its own window and says why on stderr.
set -euo pipefail
program=$1 work=$2
rm -rf "$work" && mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
export QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
fail() { echo "FAIL: $*" >&2; exit 1; }
readers=()
trap 'for r in "${readers[@]}"; do kill -KILL "$r" 2>/dev/null || true; done' EXIT

make_library() {
  mkdir -p "$1"/Image/{K,L,M,N,O} "$1"/PDF/{K,M,N,O}
  printf '<條目>一</條目>\n<內容>a</內容>\n' >"$1/velmora200_k.xml"
  : >"$1/velmora200_M.xml"; : >"$1/velmora200_N.xml"; : >"$1/velmora200_O.xml"
  printf '[System]\nTitle=%s\n' "$2" >"$1/setup.ini"
}
windows_of() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }
# wait_window TITLE PID: until the reader PID shows its window.
wait_window() {
  for _ in $(seq 1 120); do
    [ "$(windows_of "$1")" -ge 1 ] && return 0
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.25
  done
  return 1
}
# end_reader PID: an orderly end, waited for.
end_reader() { kill -TERM "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

make_library "$work/lib" 書庫甲
ln -s "$work/lib" "$work/link"

# Two starts a moment apart: the second finds the first however early it comes.
round=0
for gap in 0 0.1 0.3 0.1; do
  round=$((round + 1))
  second_env=() second_path=$work/lib
  case $round in
    2) second_path=$work/link ;;                                    # another path to the same folder
    4) mkdir -p "$work/tmp$round"; second_env=(TMPDIR=$work/tmp$round) ;; # another TMPDIR
  esac
  "$program" --library "$work/lib" >"$work/a$round.log" 2>&1 &
  a=$!; readers+=("$a")
  sleep "$gap"
  env "${second_env[@]}" "$program" --library "$second_path" >"$work/b$round.log" 2>&1 &
  b=$!; readers+=("$b")
  # With no gap either may win: one ends with 0 saying it switched, the other keeps its window.
  ended="" kept=""
  for _ in $(seq 1 240); do
    if ! kill -0 "$a" 2>/dev/null; then ended=a kept=$b; break; fi
    if ! kill -0 "$b" 2>/dev/null; then ended=b kept=$a; break; fi
    sleep 0.25
  done
  [ -n "$ended" ] || fail "round $round (gap $gap): both starts still run"
  set +e
  wait "${!ended}"
  code=$?
  set -e
  [ "$code" -eq 0 ] || { cat "$work/$ended$round.log" >&2; fail "round $round (gap $gap): the start that ended ended with $code"; }
  grep -q "已切換到該視窗" "$work/$ended$round.log" || fail "round $round: the start that ended did not say it switched"
  wait_window 書庫甲 "$kept" || fail "round $round (gap $gap): the reader that stayed shows no window"
  sleep 0.5 # a second window would show by now
  [ "$(windows_of 書庫甲)" -eq 1 ] || fail "round $round (gap $gap): $(windows_of 書庫甲) windows on one library"
  end_reader "$kept"
done

# A reader killed outright: its lock and socket are left, and nobody answers them.
"$program" --library "$work/lib" >"$work/killed.log" 2>&1 &
killed=$!; readers+=("$killed")
wait_window 書庫甲 "$killed" || fail "the reader to be killed shows no window"
kill -KILL "$killed"; wait "$killed" 2>/dev/null || true
"$program" --library "$work/lib" >"$work/after-kill.log" 2>&1 &
after=$!; readers+=("$after")
wait_window 書庫甲 "$after" || { cat "$work/after-kill.log" >&2; fail "a start after a killed reader shows no window"; }
end_reader "$after"

# A listener of another user where the readers meet. It answers every request as a reader would: in
# TMPDIR under the name readers once used, and in this user's own meeting folder, holding the lock there
# (taken before it dropped to nobody) and its socket put in place by root.
if [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$work/squat-tmp" "$work/squat-own"
  chmod 1777 "$work/squat-tmp"
  chown nobody "$work/squat-own"
  name=velmoranote-$(printf '%x' "$(stat -Lc %d "$work/lib")")-$(stat -Lc %i "$work/lib")
  old=velmoranote-0-$(printf '%s' "$(readlink -f "$work/lib")" | sha1sum | cut -c1-16)
  python3 - "$work/run/$name.lock" "$work/squat-own/s" "$work/squat-tmp/$old" <<'PY' &
import fcntl, os, socket, sys, select
lock = open(sys.argv[1], "a")
fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
os.setgroups([]); os.setgid(65534); os.setuid(65534)
servers = []
for path in sys.argv[2:4]:
    s = socket.socket(socket.AF_UNIX); s.bind(path); os.chmod(path, 0o777); s.listen(8); servers.append(s)
while True:
    for s in select.select(servers, [], [])[0]:
        c, _ = s.accept(); c.settimeout(2)
        try: c.recv(64); c.sendall(b"raised\n")
        except OSError: pass
        c.close()
PY
  squatter=$!; readers+=("$squatter")
  for _ in $(seq 1 40); do [ -S "$work/squat-own/s" ] && [ -S "$work/squat-tmp/$old" ] && break; sleep 0.1; done
  mv "$work/squat-own/s" "$work/run/$name.socket"
  TMPDIR=$work/squat-tmp "$program" --library "$work/lib" >"$work/squatted.log" 2>&1 &
  victim=$!; readers+=("$victim")
  wait_window 書庫甲 "$victim" || { cat "$work/squatted.log" >&2; fail "a listener of another user stopped the reader"; }
  grep -q "另一個使用者" "$work/squatted.log" || { cat "$work/squatted.log" >&2; fail "the reader did not say why it is alone"; }
  grep -q "已切換到該視窗" "$work/squatted.log" && fail "the reader said it switched to another user's listener"
  end_reader "$victim"
  kill "$squatter" 2>/dev/null || true
fi
echo "instance checks passed"
