#!/usr/bin/env bash
# Builds the benchmarks in Release into build-bench/ and runs the open-path
# benchmark: the open path against a plain pugixml parse of the same file for
# generated 1, 10 and 50 MB newspapers (ratios from the same run), where the
# time of the largest open goes, and the time and peak memory of a first open
# in a fresh process; and the library (load and check, first show of the
# open-book window) against a parse of its catalogue; and reading aloud (key to
# the first phrase handed to the engine, each phrase after) against the build of
# the same 100,000-character article.
#   scripts/bench.sh           the full run (about a minute)
#   scripts/bench.sh --smoke   the generator's tests and the 1 MB case once (CI)
# Further arguments go to the benchmark program, e.g. --repetitions=3.
set -euo pipefail
cd "$(dirname "$0")/.."
# Cache hits across clones in different folders.
export CCACHE_BASEDIR="$PWD"

smoke=false
args=()
for arg in "$@"; do
  if [ "$arg" = "--smoke" ]; then smoke=true; else args+=("$arg"); fi
done

targets=(qb_open_path_bench quillbook-gen-paper qb_tokenizer_bench qb_package_open_bench qb_text_build_bench qb_navigation_bench qb_usage_file_bench qb_search_bench qb_page_bench qb_mark_bench qb_minimal_window quillbook qb_library_bench qb_read_aloud_bench)
$smoke && targets+=(qb_bench_tests)
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQB_BUILD_BENCH=ON -DQB_BUILD_TESTS=ON >/dev/null
ninja -C build-bench "${targets[@]}"

if $smoke; then
  QT_QPA_PLATFORM=offscreen build-bench/bench/qb_bench_tests --gtest_brief=1
  build-bench/bench/qb_open_path_bench --smoke ${args[@]+"${args[@]}"}
  build-bench/bench/qb_tokenizer_bench --smoke
  QT_QPA_PLATFORM=offscreen build-bench/bench/qb_package_open_bench --smoke
  QT_QPA_PLATFORM=offscreen build-bench/bench/qb_text_build_bench --smoke
  build-bench/bench/qb_navigation_bench --smoke
  build-bench/bench/qb_usage_file_bench --smoke
  build-bench/bench/qb_search_bench --smoke
  QT_QPA_PLATFORM=offscreen build-bench/bench/qb_library_bench --smoke
  build-bench/bench/qb_page_bench --smoke
  QT_QPA_PLATFORM=offscreen build-bench/bench/qb_read_aloud_bench --smoke
  build-bench/bench/qb_mark_bench --smoke
  bash scripts/startup-bench.sh --smoke
  exit 0
fi
build-bench/bench/qb_open_path_bench ${args[@]+"${args[@]}"}
build-bench/bench/qb_tokenizer_bench
QT_QPA_PLATFORM=offscreen build-bench/bench/qb_package_open_bench
QT_QPA_PLATFORM=offscreen build-bench/bench/qb_text_build_bench
build-bench/bench/qb_navigation_bench
build-bench/bench/qb_usage_file_bench
build-bench/bench/qb_search_bench
QT_QPA_PLATFORM=offscreen build-bench/bench/qb_library_bench
build-bench/bench/qb_page_bench
QT_QPA_PLATFORM=offscreen build-bench/bench/qb_read_aloud_bench
build-bench/bench/qb_mark_bench
bash scripts/startup-bench.sh
