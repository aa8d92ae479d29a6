#!/usr/bin/env bash
# Configures and builds Quillbook into build/ (Ninja, ccache when present).
# Extra arguments go to CMake, e.g. scripts/build.sh -DQB_BUILD_BENCH=ON
set -euo pipefail
cd "$(dirname "$0")/.."
# Cache hits across clones in different folders.
export CCACHE_BASEDIR="$PWD"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_WERROR="$werror" "$@" >/dev/null
ninja -C build
