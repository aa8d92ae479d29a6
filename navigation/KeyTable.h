#pragma once

#include <Qt>
#include <cstdint>

// The one place where the reading keys of the old key table meet Qt's keys.
// KeyNavigation works on these key codes and shift states so that its table
// reads as the program has always described it.

namespace KeyCode {
constexpr int16_t Backspace = 8;
constexpr int16_t Enter = 13;
constexpr int16_t Escape = 27;
constexpr int16_t PageUp = 33;
constexpr int16_t PageDown = 34;
constexpr int16_t End = 35;
constexpr int16_t Home = 36;
constexpr int16_t Left = 37;
constexpr int16_t Up = 38;
constexpr int16_t Right = 39;
constexpr int16_t Down = 40;
constexpr int16_t Digit0 = 48;
constexpr int16_t Question = 63;
constexpr int16_t Numpad1 = 97; // numeric pad 1..9 are 97..105
constexpr int16_t Numpad9 = 105;
constexpr int16_t NumpadMultiply = 106;
constexpr int16_t NumpadAdd = 107;
constexpr int16_t NumpadSubtract = 109;
constexpr int16_t EqualPlus = 187;
constexpr int16_t MinusUnderscore = 189;
constexpr int16_t BackslashBar = 220;
} // namespace KeyCode

// Shift state bits.
namespace ShiftState {
constexpr int16_t Shift = 1;
constexpr int16_t Ctrl = 2;
constexpr int16_t Alt = 4;
} // namespace ShiftState

// The key code for a Qt key and its modifiers; 0 for keys the table does not
// know. Keypad keys count only with Qt::KeypadModifier, so the digit row and
// the keypad stay apart ("0" of the digit row is the table of contents).
int16_t KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers);

// The shift state (Shift 1, Ctrl 2, Alt 4) of Qt modifiers; the keypad flag is not a shift key.
int16_t ShiftStateOf(Qt::KeyboardModifiers modifiers);
