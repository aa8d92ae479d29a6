#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each on a copy
# of its seed corpus (fuzz/corpus/<target>) for a given time.
#   scripts/fuzz.sh [SECONDS]   seconds per target (default 60)
#   scripts/fuzz.sh --smoke     about 3 seconds per target
# Stops with a non-zero status when a target finds a crash, a hang (10 s) or
# runs out of memory (2 GB); the input that did it is kept in
# build-fuzz/fuzz/artifacts/. Prints the executions each target reached.
set -euo pipefail
cd "$(dirname "$0")/.."
# Cache hits across clones in different folders.
export CCACHE_BASEDIR="$PWD"

seconds=60
if [ "${1:-}" = "--smoke" ]; then
  seconds=3
elif [ -n "${1:-}" ]; then
  seconds="$1"
fi

targets=(fuzz_tokenizer fuzz_entities fuzz_css fuzz_xdf fuzz_lang fuzz_zip fuzz_container)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQB_BUILD_FUZZ=ON -DQB_BUILD_TESTS=OFF >/dev/null
ninja -C build-fuzz "${targets[@]}"

out=build-fuzz/fuzz
mkdir -p "$out/artifacts"
status=0
summary=()
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  work="$out/work/$name"
  mkdir -p "$work"
  log="$out/$target.log"
  echo "== $target: $seconds s"
  if "$out/$target" "$work" "fuzz/corpus/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$out/artifacts/$target-" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
    tail -n 40 "$log"
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  summary+=("$(printf '%-16s %-7s %12s executions' "$target" "$result" "${execs:-?}")")
done
printf '%s\n' "${summary[@]}"
exit $status
