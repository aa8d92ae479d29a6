#pragma once

#include <QString>

// Plays a .wav file and returns when it has finished. Returns at once when the
// file is missing or no audio output exists, and never waits longer than the
// clip's length plus two seconds. The reader's keys are held back meanwhile.
void PlayWave(const QString& path);

// Loads the sound player ahead of the first sound, so that it does not wait.
void PreloadSound();

// The clip length in milliseconds read from a RIFF/WAVE header; -1 when the
// file is not a readable PCM wave file.
int WaveDurationMs(const QString& path);
