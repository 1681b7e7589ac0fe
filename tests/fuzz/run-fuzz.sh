#!/usr/bin/env bash
# Builds the fuzz targets with clang (build-fuzz/), replays the committed seeds and reproducers, then runs
# each target for SECONDS (default 60) and prints the inputs it tried. Every target runs; the script fails
# when any of them failed, and the input that caused it is left in build-fuzz/findings/<target>/.
#   tests/fuzz/run-fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(notes_reader positions settings entry_page export_tei jpeg)
fuzz=tests/fuzz
out=build-fuzz

cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DVELMORA_FUZZ=ON -DBUILD_TESTING=OFF -DVELMORA_BUILD_BENCH=OFF -DVELMORA_BUILD_GUI=OFF >/dev/null
cmake --build "$out" -j 2 --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
# The targets write their inputs to files; in memory, a save's flush to disk costs nothing.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm

dict_of() {
  case $1 in
    notes_reader | positions | entry_page | export_tei) echo "$fuzz/notes.dict" ;;
    settings) echo "$fuzz/settings.dict" ;;
    jpeg) echo "$fuzz/jpeg.dict" ;;
  esac
}
# The decoder runs under a memory cap: its budget in the fuzz build is 4 megapixels (16 MB as RGB32).
# Every target runs under a time cap too: one input that takes longer than that is a finding (a scan
# bomb, a walk that goes quadratic), not a slow run.
limits_of() {
  case $1 in
    jpeg) echo "-rss_limit_mb=512 -malloc_limit_mb=128 -timeout=10" ;;
    *) echo "-rss_limit_mb=1024 -timeout=10" ;;
  esac
}

summary=()
failed=0
for t in "${targets[@]}"; do
  bin=$out/tests/fuzz/fuzz_$t
  mkdir -p "$out/corpus/$t" "$out/findings/$t"
  # Replay: every seed and every reproducer once (reproducers are files named <target>-*).
  replay=("$fuzz/seeds/$t"/*)
  for r in "$fuzz/reproducers/$t"-*; do [ -e "$r" ] && replay+=("$r"); done
  if ! "$bin" $(limits_of "$t") "${replay[@]}" >"$out/findings/$t/replay.log" 2>&1; then
    grep -v '^    #' "$out/findings/$t/replay.log" | tail -20
    summary+=("$(printf '%-18s FAILED: a committed input fails (%s)' "fuzz_$t" "$out/findings/$t/replay.log")")
    failed=1
    continue
  fi
  # Fuzz: new inputs go to a working corpus in the build folder, the committed seeds stay as they are.
  log=$out/findings/$t/fuzz.log
  if ! "$bin" $(limits_of "$t") -dict="$(dict_of "$t")" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$out/findings/$t/" "$out/corpus/$t" "$fuzz/seeds/$t" >"$log" 2>&1; then
    grep -v '^    #' "$log" | tail -30
    summary+=("$(printf '%-18s FAILED: found a fault; the input is in %s' "fuzz_$t" "$out/findings/$t/")")
    failed=1
    continue
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  summary+=("$(printf '%-18s %9s execs in %s s (%s/s)' "fuzz_$t" "$execs" "$seconds" $((execs / seconds)))")
done
printf '%s\n' "${summary[@]}"
exit $failed
