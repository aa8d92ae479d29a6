#!/usr/bin/env bash
# Runs Quillbook under a headless screen reader and prints what it would say.
#   scripts/a11y/orca-speech.sh [document] [-- xdotool key names ...]
# Example: scripts/a11y/orca-speech.sh data/samples/dagblad.xml -- alt+b Escape
# Needs: orca, speech-dispatcher, xvfb, dbus-x11, at-spi2-core, xdotool.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
doc=""
if [ $# -gt 0 ] && [ "$1" != "--" ]; then doc="$(realpath "$1")"; shift; fi
[ "${1:-}" = "--" ] && shift
keys=("$@")

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
echo "work folder: $work" >&2
mkdir -p "$work/run" "$work/home" "$work/prefs" "$work/speechd/modules" "$work/qb" "$work/config"
chmod 700 "$work/run"
cat > "$work/speechd/speechd.conf" <<CONF
AddModule "logger" "sd_generic" "logger.conf"
DefaultModule logger
AudioOutputMethod "alsa"
AudioALSADevice "null"
CONF
cat > "$work/speechd/modules/logger.conf" <<CONF
GenericExecuteSynth "printf '%s\\\\n' \\'\$DATA\\' >> $work/spoken.txt"
AddVoice "en" "MALE1" "default"
CONF
cp "$work/speechd/modules/logger.conf" "$work/speechd/logger.conf"
cat > "$work/prefs/orca-customizations.py" <<'PY'
import orca.debug
try:
    orca.debug.debugFile.reconfigure(line_buffering=True)
except Exception:
    pass
PY

export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" GSETTINGS_BACKEND=memory QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export QUILLBOOK_HOME="$work/qb" NO_AT_BRIDGE=0

# Helpers of the session may outlive it; the time limit ends them all.
limit=$((25 + 2 * ${#keys[@]}))
timeout --kill-after=5 "$limit" xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash -c "
  /usr/libexec/at-spi-bus-launcher --launch-immediately & sleep 1
  speech-dispatcher -s -t 0 -C '$work/speechd' >/dev/null 2>&1 &
  sleep 1
  orca -u '$work/prefs' --debug-file '$work/orca.log' >/dev/null 2>&1 & orca=\$!
  sleep 4
  '$root/build/app/quillbook' ${doc:+\"$doc\"} >/dev/null 2>&1 & app=\$!
  sleep 3
  win=\$(xdotool search --name Quillbook | head -1)
  # No window manager here: a click gives the window the keyboard.
  [ -n \"\$win\" ] && xdotool mousemove --window \"\$win\" 400 160 click 1 2>/dev/null || true
  sleep 2
  echo '--- at start' >> '$work/marks.txt'; wc -l < '$work/orca.log' >> '$work/marks.txt'
  for k in ${keys[*]+${keys[*]}}; do
    xdotool key \"\$k\"; sleep 1.5
    echo \"--- after \$k\" >> '$work/marks.txt'; wc -l < '$work/orca.log' >> '$work/marks.txt'
  done
  kill \$app \$orca 2>/dev/null || true
  pkill -f 'speech-dispatcher -s -t 0 -C $work' 2>/dev/null || true
  pkill -f 'at-spi-bus-launcher' 2>/dev/null || true
" > "$work/session.log" 2>&1 || true

# Print the speech, split by the key that caused it.
prev=0
while read -r label && read -r count; do
  sed -n "$((prev + 1)),${count}p" "$work/orca.log" | grep -o "SPEECH OUTPUT: '.*'" | sed "s/^/$label: /" || true
  prev=$count
done < <(sed 's/^--- //' "$work/marks.txt")
