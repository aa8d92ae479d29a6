#!/usr/bin/env python3
"""Synthesises the short cue sounds in data/sounds/ (16-bit mono, 22,050 Hz).

Each cue is a few soft sine tones with short fades, under half a second, and
each has its own shape so the ear tells them apart: rising for a beginning,
falling for an end, a quick two-note step for moving on, and so on.
Run it again only to change the sounds; the .wav files are kept in the tree.
"""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 22050


def tone(freq, seconds, volume=0.45, fade=0.012):
    n = int(RATE * seconds)
    out = []
    for i in range(n):
        t = i / RATE
        env = min(1.0, t / fade, (seconds - t) / fade)
        # A little of the octave makes the tone carry through speech.
        s = math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(4 * math.pi * freq * t)
        out.append(volume * env * s / 1.25)
    return out


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def glide(f0, f1, seconds, volume=0.45, fade=0.015):
    n = int(RATE * seconds)
    out, phase = [], 0.0
    for i in range(n):
        t = i / RATE
        f = f0 + (f1 - f0) * (i / n)
        phase += 2 * math.pi * f / RATE
        env = min(1.0, t / fade, (seconds - t) / fade)
        out.append(volume * env * math.sin(phase))
    return out


CUES = {
    # Start of the document: a rising three-note figure.
    "BeginDocument.wav": tone(523, 0.09) + tone(659, 0.09) + tone(784, 0.16),
    # Into another section: a quick step up.
    "Navigate.wav": tone(660, 0.07) + silence(0.02) + tone(880, 0.09),
    # End of the document: a falling three-note figure.
    "EndDocument.wav": tone(784, 0.09) + tone(659, 0.09) + tone(523, 0.18),
    # A bookmark set, and a bookmark reached.
    "bookmark.wav": tone(1047, 0.06) + silence(0.03) + tone(1047, 0.06),
    "bookmark2.wav": tone(1319, 0.12, volume=0.35),
    # Entering and leaving an annotation: a glide up, a glide down.
    "EnterAnnotation.wav": glide(440, 880, 0.18),
    "LeaveAnnotation.wav": glide(880, 440, 0.18),
}


def main(folder):
    folder = Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    for name, samples in CUES.items():
        assert len(samples) / RATE < 0.5, name
        with wave.open(str(folder / name), "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 32767)) for s in samples))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "data" / "sounds")
