#!/usr/bin/env bash
# Runs every benchmark against a Release build and prints one table of figures beside their baselines,
# also written to bench/results.json.   bash bench/run-all.sh BUILD_DIR   (./run bench does all of it)
# The synthetic notes are generated into BUILD_DIR/bench-data (deterministic; kept for the next run).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-release}" && pwd)
bin=$build/bench
data=$build/bench-data
demo=$build/demo
runs=${VELMORA_BENCH_RUNS:-5}
export QTWEBENGINE_DISABLE_SANDBOX=1
export VELMORA_BENCH_JSON=$data/figures.jsonl
mkdir -p "$data"
: > "$VELMORA_BENCH_JSON"

# The window benchmarks need a display: use the one there is, or a virtual one.
gui() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1600x1000x24" "$@"; fi
}

sizes=(1 10 100)
for mb in "${sizes[@]}"; do
  dir=$data/notes-$mb
  if [ ! -f "$dir/.complete" ]; then
    rm -rf "$dir"
    "$bin/velmora-bench-notes" gen "$dir" "$mb"
    touch "$dir/.complete"
  fi
done
mkdir -p "$data/empty"
for f in velmora200_k.xml velmora200_M.xml velmora200_N.xml velmora200_O.xml; do : > "$data/empty/$f"; done

for mb in "${sizes[@]}"; do
  echo "== $mb MB of notes"
  "$bin/velmora-bench-notes" load "$data/notes-$mb" "$mb MB" "$runs"
  "$bin/velmora-bench-notes" memory "$data/notes-$mb" "$mb MB" 3
  "$bin/velmora-bench-search" "$data/notes-$mb" "$mb MB" 3 | grep '|'
done
"$bin/velmora-bench-notesearch" "$data/notes-100" "100 MB" 3 | grep '|'
"$bin/velmora-bench-notes" save "$data/notes-100" "100 MB" "$runs"

echo "== start-up and lists"
gui "$bin/velmora-bench-window" startup "$demo" "$demo" "demo" "$runs" "$data/empty" 2>/dev/null | grep '|'
gui "$bin/velmora-bench-window" startup "$demo" "$data/notes-100" "100 MB" "$runs" "$data/empty" 2>/dev/null | grep '|'
gui "$bin/velmora-bench-window" fill "$demo" "$data/notes-100" "100 MB" "$runs" 2>/dev/null | grep '|'

echo "== stepping through entries"
# The 100 MB notes with scans: the first pages of K get the demo's scans under their own names.
walk=$data/walk-100
if [ ! -f "$walk/.complete" ]; then
  rm -rf "$walk"; mkdir -p "$walk/image/K"
  for f in "$data"/notes-100/velmora200_*.xml; do ln -s "$f" "$walk/"; done
  mapfile -t demoScans < <(ls "$demo"/Image/K/*.jpg)
  i=0
  # head stops reading early: the dump's broken pipe is expected.
  { "$build/tools/notes/velmora-notes" dump "$data/notes-100/velmora200_k.xml" || true; } | head -400 |
    sed -n 's/.*"pageImage":"\.\\\\image\\\\K\\\\\([^"]*\)".*/\1/p' | sort -u | while read -r name; do
      ln -s "${demoScans[$((i % ${#demoScans[@]}))]}" "$walk/image/K/$name"; i=$((i + 1))
    done
  touch "$walk/.complete"
fi
gui "$bin/velmora-bench-step" "$demo" "$demo" "demo" 200 2>/dev/null | grep '|'
gui "$bin/velmora-bench-step" "$demo" "$walk" "100 MB" 200 2>/dev/null | grep '|'

echo "== export"
# The 100 MB notes with a scan for every page they name (the demo's scans, by turns).
lib=$data/export-100
if [ ! -f "$lib/.complete" ]; then
  rm -rf "$lib"
  "$bin/velmora-bench-export" library "$data/notes-100" "$demo" "$lib"
  touch "$lib/.complete"
fi
"$bin/velmora-bench-export" tei "$lib" "100 MB" 3 | grep '|'
"$bin/velmora-bench-export" crops "$demo" "demo" "$runs" | grep '|'

echo "== page scans"
QT_QPA_PLATFORM=offscreen "$bin/velmora-bench-scan" | grep '|'

echo "== position proposals"
[ -f "$build/demo-hard/demo.stamp" ] || cmake --build "$build" --target velmora-demo-hard >/dev/null
"$bin/velmora-bench-propose" "demo:$demo" "harder:$build/demo-hard" 3 | grep '|'

echo
"$bin/velmora-bench-report" "$VELMORA_BENCH_JSON" bench/results.json
echo "(also in bench/results.json)"
