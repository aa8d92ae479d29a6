#pragma once

// The program keeps its state in globals; a fixture starts each test from the
// state of a program just started with this.
enum class StoredSettings { Keep, Clear };

// Run state, text state and options at their defaults, no error log and no
// usage files. With StoredSettings::Clear also no stored settings.
void ResetProgramState(StoredSettings stored = StoredSettings::Keep);

// ResetProgramState, an empty working folder, the English texts, the entity
// table and the sample newspaper's style sheet: a program ready to read the
// samples. False when the sheet could not be read.
bool PrepareForReading();
