#!/usr/bin/env bash
# Installs what is missing, builds, and opens the bundled sample newspaper
# (or the document given as argument).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
doc="${1:-$PWD/data/samples/dagblad.xml}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running on a virtual screen (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1280x800x24" build/app/quillbook "$doc"
fi
exec build/app/quillbook "$doc"
