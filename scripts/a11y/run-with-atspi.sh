#!/usr/bin/env bash
# Starts Quillbook on a virtual screen with the accessibility bus and prints its
# accessible tree. Usage: scripts/a11y/run-with-atspi.sh [document]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/run" QUILLBOOK_HOME="${QUILLBOOK_HOME:-$work/home}" XDG_CONFIG_HOME="${XDG_CONFIG_HOME:-$work/config}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
xvfb-run -a -s "-screen 0 1280x800x24" dbus-launch --exit-with-session bash -c "
  /usr/libexec/at-spi-bus-launcher --launch-immediately & sleep 1
  '$root/build/app/quillbook' ${1:+\"$1\"} & app=\$!
  sleep 3
  /usr/bin/python3 '$root/scripts/a11y/tree.py'
  kill \$app
"
rm -rf "$work"
