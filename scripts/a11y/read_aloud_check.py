#!/usr/bin/python3
"""Reads the sample newspaper's first article aloud through a private speech
service whose output module writes each text it receives to a file, and checks
that the article's first three phrases arrive in order and that the caret
stands at the start of the third when reading is stopped there.
Run by read-aloud-check.sh inside Xvfb and a private session bus."""
import argparse
import os
import subprocess
import sys
import time

ap = argparse.ArgumentParser()
ap.add_argument("--work", required=True)
ap.add_argument("--app", required=True)
ap.add_argument("--document", required=True)
ap.add_argument("--shot", help="a screenshot of the window while the third phrase is read")
ap.add_argument("--before", nargs="*", default=[], help="xdotool keys pressed in the text before reading")
opts = ap.parse_args()
work = opts.work
spoken = os.path.join(work, "spoken.txt")
procs = []


def start(args, log, env=None):
    p = subprocess.Popen(args, stdout=open(os.path.join(work, log), "w"), stderr=subprocess.STDOUT, env=env)
    procs.append(p)
    return p


def stop_all():
    for p in reversed(procs):
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(3)
            except subprocess.TimeoutExpired:
                p.kill()


def wait_for(what, check, timeout=20.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = check()
        if value:
            return value
        time.sleep(0.1)
    print(f"read-aloud check: timed out waiting for {what}", file=sys.stderr)
    # What the screen showed, for whoever looks into it (kept with --keep).
    subprocess.run(["import", "-window", "root", os.path.join(work, "timeout.png")], check=False)
    stop_all()
    sys.exit(1)


def received():
    try:
        with open(spoken, encoding="utf-8", errors="replace") as f:
            return [line.rstrip("\n") for line in f if line.strip()]
    except FileNotFoundError:
        return []


def key(name):
    subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=False)
    time.sleep(0.5)


# The output module says nothing: it appends the text to a file, then waits a
# second as a voice would, so the reader has a phrase in progress to stop in.
conf = os.path.join(work, "speechd")
os.makedirs(os.path.join(conf, "modules"), exist_ok=True)
with open(os.path.join(conf, "speechd.conf"), "w") as f:
    f.write('AddModule "recorder" "sd_generic" "recorder.conf"\nDefaultModule recorder\n'
            'AudioOutputMethod "alsa"\nAudioALSADevice "null"\n')
module = ("GenericExecuteSynth \"printf '%%s\\\\n' \\'$DATA\\' >> %s; sleep 1\"\n"
          "GenericMaxChunkLength 100000\nGenericDelimiters \"\"\n"
          "AddVoice \"nl\" \"MALE1\" \"recorder\"\nAddVoice \"en\" \"MALE1\" \"recorder\"\n") % spoken
for name in ("recorder.conf", os.path.join("modules", "recorder.conf")):
    with open(os.path.join(conf, name), "w") as f:
        f.write(module)

start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], "atspi.log")
time.sleep(1.0)
start(["speech-dispatcher", "-s", "-t", "0", "-C", conf], "speechd.log")
wait_for("the speech service",
         lambda: os.path.exists(os.path.join(os.environ["XDG_RUNTIME_DIR"], "speech-dispatcher", "speechd.sock")))

import pyatspi  # noqa: E402  (once the accessibility bus is up)

# Qt's speech looks for a voice of the program's locale among the service's
# voices (English and Dutch here); the C locale has none.
start([opts.app, opts.document], "quillbook.log", dict(os.environ, LANG="en_US.UTF-8"))


def find_window():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Quillbook"], capture_output=True, text=True)
    ids = out.stdout.split()
    return ids[0] if ids else None


def find_text_view():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None or not app.name or "quillbook" not in app.name.lower():
            continue
        stack = [app]
        while stack:
            node = stack.pop()
            state = node.getState()
            if state.contains(pyatspi.STATE_MULTI_LINE) and state.contains(pyatspi.STATE_SHOWING):
                return node
            if node.getRole() in (pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE):
                continue
            stack.extend(c for c in (node.getChildAtIndex(j) for j in range(node.childCount)) if c is not None)
    return None


window = wait_for("the main window", find_window)
subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)
time.sleep(1.0)
# The first section's articles, then the first article's text.
key("Right")
key("alt+Down")
view = wait_for("the article's text", find_text_view)
text = view.queryText()
article = text.getText(0, text.characterCount)

# The phrase rule on the accessible text, where a line break is one character.
starts = []
i = 0
while i < len(article) and len(starts) < 4:
    if not " ".join(article[i:].split()):
        break
    starts.append(i)
    j = i
    nxt = len(article)
    while j + 1 < len(article):
        if article[j] in ".?!;:" and article[j + 1] in " \n":
            nxt = j + 2
            break
        j += 1
    i = nxt
expected = [" ".join(article[a:b].split()) for a, b in zip(starts, starts[1:] + [len(article)])][:3]

for k in opts.before:
    key(k)
if opts.before:
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)
    view = wait_for("the article's text", find_text_view)
key("F5")
wait_for("three phrases", lambda: len(received()) >= 3, timeout=30)
if opts.shot:
    subprocess.run(["import", "-window", "root", opts.shot], check=False)
key("Escape")
time.sleep(1.0)
caret = view.queryText().caretOffset
lines = received()
time.sleep(1.5)
after = received()

# With accessibility on, as under a screen reader, any other key stops reading
# when pressed: here Right, which in the text only moves the caret.
key("F5")
wait_for("a phrase after the restart", lambda: len(received()) > len(after), timeout=15)
key("Right")
restarted = received()
time.sleep(2.5)
after_right = received()
stop_all()

print("received by the speech service:")
for n, line in enumerate(lines, 1):
    print(f"  {n}: {line}")
print(f"caret after Escape: {caret} (phrase starts {starts[:4]})")
failures = []
if lines[:3] != expected:
    failures.append(f"the first three phrases differ: expected {expected}")
if caret != starts[2]:
    failures.append(f"the caret is at {caret}, not at the third phrase's start {starts[2]}")
if len(after) > 3:
    failures.append(f"{len(after) - 3} more phrases arrived after Escape")
if after and restarted[len(after)] != lines[2]:
    failures.append(f"F5 after Escape did not start again at the third phrase: {restarted[len(after)]}")
if len(after_right) > len(restarted):
    failures.append("reading went on after a key was pressed with accessibility on")
print(f"F5 again: {restarted[len(after):]}; after Right: {len(after_right) - len(restarted)} more")
for f in failures:
    print("FAIL:", f)
print("read-aloud check:", "failed" if failures else "passed")
sys.exit(1 if failures else 0)
