#!/usr/bin/env bash
# atspi-check.sh PROGRAM WORK_DIR: starts the reader on a small library with a session bus and the
# accessibility bus of its own, and reads its window as a screen reader does (atspi-check.py).
set -euo pipefail
program=$1 work=$2
if [ -z "${VELMORA_OWN_BUS:-}" ]; then
  export VELMORA_OWN_BUS=1
  exec dbus-run-session -- bash "$0" "$@"
fi
rm -rf "$work" && mkdir -p "$work/home"
lib=$work/lib
mkdir -p "$lib"/Image/{K,L,M,N,O} "$lib"/PDF/{K,M,N,O}
printf '<條目>禮之用，<br>和為貴</條目>\n<內容>有子曰</內容>\n<條目>學而</條目>\n<內容>a</內容>\n' >"$lib/velmora200_k.xml"
: >"$lib/velmora200_M.xml"; : >"$lib/velmora200_N.xml"; : >"$lib/velmora200_O.xml"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$program" --library "$lib" >"$work/reader.log" 2>&1 &
reader=$!
trap 'kill $reader $bus 2>/dev/null || true' EXIT
/usr/bin/python3 "$(dirname "$0")/atspi-check.py" || { tail -20 "$work/reader.log" >&2; exit 1; }
