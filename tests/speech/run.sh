#!/usr/bin/env bash
# Reads the sample newspaper with the keyboard under a headless screen reader and
# checks what the reader hears after every key and every closed dialog, and what
# the accessibility tree says (selected entry, focus, caret).
#   tests/speech/run.sh [--no-speech] [--transcript FILE] [--keep]
# --no-speech checks the accessibility tree only (no screen reader needed).
# Needs: xvfb, dbus-x11, at-spi2-core, python3-pyatspi, xdotool; for speech also
# orca and speech-dispatcher.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
app="${QUILLBOOK_BIN:-$root/build/app/quillbook}"
keep=""
args=()
for a in "$@"; do
  if [ "$a" = "--keep" ]; then keep=1; else args+=("$a"); fi
done
if [ ! -x "$app" ]; then
  echo "speech test: $app is not built" >&2
  exit 1
fi
for tool in xvfb-run dbus-run-session xdotool /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "speech test: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
trap '[ -n "$keep" ] && echo "work folder: $work" >&2 || rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/home" "$work/config" "$work/qb"
chmod 700 "$work/run"

# Nothing of the reader's own set-up may leak in, nor anything leak out.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache"
export GSETTINGS_BACKEND=memory QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
export QUILLBOOK_HOME="$work/qb"
# A library folder of its own: the document named on the command line is
# copied into it without a question, so File > Open lists it.
mkdir -p "$work/config/Quillbook" "$work/library"
printf '[Settings]\nLibraryLocation=%s\nCopyToLibrary=1\n' "$work/library" >"$work/config/Quillbook/Quillbook.conf"
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS

# The time limit ends whatever a hung session leaves behind.
timeout --kill-after=10 480 xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- \
  /usr/bin/python3 "$root/tests/speech/speech_test.py" --work "$work" --app "$app" \
  --document "$root/data/samples/dagblad.xml" ${args[@]+"${args[@]}"}
