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

targets=(fuzz_tokenizer fuzz_entities fuzz_css fuzz_xdf fuzz_lang fuzz_zip fuzz_container fuzz_domload fuzz_pattern fuzz_whitespace)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQB_BUILD_FUZZ=ON -DQB_BUILD_TESTS=OFF >/dev/null
ninja -C build-fuzz "${targets[@]}"

out=build-fuzz/fuzz
mkdir -p "$out/artifacts"
# Seeds that live elsewhere in the tree, gathered without copies in git.
seeds_dir="$out/seeds"
rm -rf "$seeds_dir" && mkdir -p "$seeds_dir/css" "$seeds_dir/xdf"
cp data/samples/dagblad.css "$seeds_dir/css/"
cp data/samples/boek/boek.xdf "$seeds_dir/xdf/"

status=0
summary=()
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  work="$out/work/$name"
  mkdir -p "$work"
  log="$out/$target.log"
  echo "== $target: $seconds s"
  # The shipped data files seed the readers that take them, beside the corpus.
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
  case "$name" in
    css) seeds+=(data/CSS "$seeds_dir/css") ;;
    xdf) seeds+=(data/Default "$seeds_dir/xdf") ;;
    domload) seeds+=(data/samples/boek) ;;
  esac
  if "$out/$target" "$work" "${seeds[@]}" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
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
