#!/usr/bin/env bash
# Kills a process in the middle of writing the catalogue, again and again, and
# checks after every kill that library.xml is whole and lost no entry, and that
# the next process can write (a lock left by a killed process is taken over).
#   library/tests/kill-loop.sh WRITER [ROUNDS]     (default 1000 rounds)
set -euo pipefail
writer=$1
rounds=${2:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUILLBOOK_HOME="$work/user" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen
catalogue="$QUILLBOOK_HOME/library.xml"

count() {
  /usr/bin/python3 - "$catalogue" <<'PY'
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
print(len(root.findall("document")))
PY
}

"$writer" seed 1 >/dev/null || { echo "the first writer could not write" >&2; exit 1; }
before=$(count)
for ((i = 1; i <= rounds; i++)); do
  "$writer" "r$i" endless >/dev/null 2>&1 &
  pid=$!
  # Somewhere between start-up and a few saves in.
  sleep "$(printf "0.%02d" $((RANDOM % 30 + 5)))"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if ! after=$(count 2>/dev/null); then
    echo "round $i: library.xml is damaged" >&2
    exit 1
  fi
  if [ "$after" -lt "$before" ]; then
    echo "round $i: $before entries became $after" >&2
    exit 1
  fi
  before=$after
done
# Whatever the kills left behind, the next writer still adds its entries.
"$writer" last 3 >/dev/null || { echo "after the rounds: the next writer could not write" >&2; exit 1; }
final=$(count)
if [ "$final" -ne $((before + 3)) ]; then
  echo "after the rounds: $before + 3 entries became $final" >&2
  exit 1
fi
echo "kill loop: $rounds rounds, $final entries, library.xml whole after every kill"
