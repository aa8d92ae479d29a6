#!/usr/bin/env bash
# Kills a program that keeps saving a usage file with SIGKILL at random
# moments, 1,000 times (or the count given), and checks after every kill that
# the file loads, holds one of the versions written, and that no temporary
# files pile up beside it.
#   scripts/duf-kill-loop.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$PWD"
rounds=${1:-1000}
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j2 qb_marks_kill_tests duf-writer
QB_DUF_KILL_ROUNDS=$rounds QT_QPA_PLATFORM=offscreen QB_SOURCE_DATA_DIR="$PWD/data" build/marks/qb_marks_kill_tests
