#!/usr/bin/env bash
# End-to-end check of reading aloud with the system's speech: a private speech
# service records what it is given; the program reads the sample's first
# article from F5 and is stopped with Escape in the third phrase.
#   scripts/a11y/read-aloud-check.sh [--keep] [--shot FILE.png] [--before KEY]...
# --shot keeps a screenshot taken while the third phrase is read; each --before
# names a key (xdotool's name) pressed in the text before reading starts, e.g.
# to choose another style sheet from the View menu.
# Needs: speech-dispatcher, qt6-speech-speechd-plugin, xvfb, dbus-x11,
# at-spi2-core, python3-pyatspi, xdotool. No screen reader is started.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
app="${QUILLBOOK_BIN:-$root/build/app/quillbook}"
keep=""
shot=()
before=()
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=1 ;;
    --shot) shot=(--shot "$(realpath "$2")"); shift ;;
    --before) before+=("$2"); shift ;;
    *) echo "read-aloud check: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
[ -x "$app" ] || { echo "read-aloud check: $app is not built" >&2; exit 1; }
for tool in xvfb-run dbus-run-session xdotool speech-dispatcher /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "read-aloud check: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
trap '[ -n "$keep" ] && echo "work folder: $work" >&2 || rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/home" "$work/config/Quillbook" "$work/qb"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache"
export GSETTINGS_BACKEND=memory QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0 QUILLBOOK_HOME="$work/qb"
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS SPEECHD_ADDRESS
# English texts, and a library folder of its own into which the document is
# copied without a question.
mkdir -p "$work/library"
printf '[Settings]\nLanguage=English\nLibraryLocation=%s\nCopyToLibrary=1\n' "$work/library" >"$work/config/Quillbook/Quillbook.conf"

timeout --kill-after=10 120 xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- \
  /usr/bin/python3 "$root/scripts/a11y/read_aloud_check.py" --work "$work" --app "$app" \
  --document "$root/data/samples/dagblad.xml" ${shot[@]+"${shot[@]}"} ${before[@]+--before "${before[@]}"}
