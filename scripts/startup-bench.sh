#!/usr/bin/env bash
# Start-up to the first paint of the main window, as whole processes on the
# offscreen platform: Quillbook with no document and with the sample newspaper,
# each paired with a minimal Qt program that shows one window, in turns, in
# the same run. Prints the medians and the ratios.
#   scripts/startup-bench.sh [RUNS]    (default 15; --smoke: 3)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=15
[ "${1:-}" = "--smoke" ] && runs=3
[ -n "${1:-}" ] && [ "${1:-}" != "--smoke" ] && runs=$1
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQB_BUILD_BENCH=ON >/dev/null
ninja -C build-bench quillbook qb_minimal_window >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen QUILLBOOK_HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
chmod 700 "$work"
# The sample comes from outside the library: copied in without a question.
mkdir -p "$work/config/Quillbook" "$work/library"
printf '[Settings]\nLibraryLocation=%s\nCopyToLibrary=1\n' "$work/library" >"$work/config/Quillbook/Quillbook.conf"
sample="$PWD/data/samples/dagblad.xml"

ms() { # runs a command once, prints its wall time in milliseconds
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

minimal=() empty=() withdoc=()
ms build-bench/bench/qb_minimal_window >/dev/null # warm the caches
QUILLBOOK_EXIT_AFTER_PAINT=1 ms build-bench/app/quillbook "$sample" >/dev/null
for ((i = 0; i < runs; i++)); do
  minimal+=("$(ms build-bench/bench/qb_minimal_window)")
  empty+=("$(QUILLBOOK_EXIT_AFTER_PAINT=1 ms build-bench/app/quillbook)")
  withdoc+=("$(QUILLBOOK_EXIT_AFTER_PAINT=1 ms build-bench/app/quillbook "$sample")")
done
m=$(printf '%s\n' "${minimal[@]}" | median)
e=$(printf '%s\n' "${empty[@]}" | median)
d=$(printf '%s\n' "${withdoc[@]}" | median)
echo "Start-up to the first paint, offscreen, median of $runs runs in turns"
printf '  %-34s %6s ms\n' "minimal Qt window" "$m"
printf '  %-34s %6s ms  %sx the minimal window\n' "Quillbook, no document" "$e" "$(echo "scale=2; $e / $m" | bc)"
printf '  %-34s %6s ms  %sx the minimal window\n' "Quillbook, sample newspaper" "$d" "$(echo "scale=2; $d / $m" | bc)"
echo "Goal: at most 1.3x the minimal window (plus the open path when a document is named)."
