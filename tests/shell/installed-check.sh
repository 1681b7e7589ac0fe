#!/usr/bin/env bash
# installed-check.sh BUILD_DIR WORK_DIR: installs the build into a temporary prefix, checks the tree, and
# starts the menu entry's command from there (with no library, then with --library) until the reader's
# window shows. (The package's contents are checked by ./run package, where making it costs nothing extra.)
set -euo pipefail
build=$1 work=$2
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" "$@"
fi
rm -rf "$work" && mkdir -p "$work/home"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
app=org.velmora.velmoranote
for f in bin/velmoranote bin/velmora-notes share/applications/$app.desktop share/metainfo/$app.metainfo.xml \
         share/icons/hicolor/scalable/apps/$app.svg share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/$app.png \
         share/velmoranote/demo/velmora200_k.xml share/velmoranote/demo/velmora200_O.xml share/velmoranote/demo/setup.ini \
         share/velmoranote/demo/readme.pdf; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
[ -d "$prefix/share/velmoranote/demo/Image/K" ] || fail "the demo scans are not installed"
[ ! -e "$prefix/share/velmoranote/demo/velmoranote" ] || fail "the program is installed into the demo library"

# The menu entry's command, as a desktop runs it: from the home folder, the program found on the PATH.
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/$app.desktop")
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config PATH="$prefix/bin:$PATH"
export QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
title=澄溪導師筆記

# start_until_window LOG ARGS...: starts the entry's command with ARGS, waits for the window, ends it.
start_until_window() {
  local log=$1; shift
  (cd "$HOME" && exec $exec_line "$@") >"$log" 2>&1 &
  local pid=$! shown=""
  for _ in $(seq 1 120); do
    if xwininfo -root -tree 2>/dev/null | grep -q "$title"; then shown=1; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -n "$shown" ] || { cat "$log" >&2; fail "the window of '$exec_line $*' did not show"; }
}

start_until_window "$work/demo.log"
[ ! -e "$prefix/share/velmoranote/demo/velmoranote.ini" ] || fail "settings written into the installed demo"

# A library of one's own: the demo's files, linked into a folder of the user's.
cp -rs "$prefix/share/velmoranote/demo" "$work/home/mine"
start_until_window "$work/mine.log" --library "$work/home/mine"
grep -q "Folder=$work/home/mine" "$XDG_CONFIG_HOME/velmoranote/library.ini" || fail "the library is not remembered"

# The remembered library has gone: the reader says so and opens the installed demo instead of failing.
rm -rf "$work/home/mine"
start_until_window "$work/gone.log"
grep -q "$work/home/mine" "$work/gone.log" || fail "a remembered library that has gone is not said: $(cat "$work/gone.log")"

echo "installed tree and menu entry: OK"
