#pragma once

#include <QStringList>
#include <Qt>
#include <cstdint>

// The reading keys as data: which key, with which modifiers, where the focus
// is, does what. The table works on the program's own key codes (one per
// physical key, the keypad apart from the main keys), to which Qt's keys are
// mapped once, here.

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
constexpr int16_t Keypad1 = 97;
constexpr int16_t Keypad2 = 98;
constexpr int16_t Keypad3 = 99;
constexpr int16_t Keypad4 = 100;
constexpr int16_t Keypad5 = 101;
constexpr int16_t Keypad6 = 102;
constexpr int16_t Keypad7 = 103;
constexpr int16_t Keypad8 = 104;
constexpr int16_t Keypad9 = 105;
constexpr int16_t KeypadMultiply = 106;
constexpr int16_t KeypadAdd = 107;
constexpr int16_t KeypadSubtract = 109;
constexpr int16_t EqualPlus = 187;
constexpr int16_t MinusUnderscore = 189;
constexpr int16_t BackslashBar = 220;
constexpr int16_t F5 = 116;
constexpr int16_t F7 = 118;
constexpr int16_t F8 = 119;
// Keys that exist only as characters on some layouts: "+" and "-" wherever they are.
constexpr int16_t PlusSign = 300;
constexpr int16_t MinusSign = 301;
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

// Where the keyboard focus is when a reading key is released.
enum class KeyFocus {
    List,      // a navigation list
    Text,      // the text view
    Elsewhere, // the title or location box, a navigation button
};

enum class ReadingAction {
    NotAReadingKey, // the key is not in the table: leave it to the control
    Nothing,        // a reading key with nothing to do here: consumed
    LevelUp,
    LevelDown,
    PreviousArticle,
    FirstArticle,
    NextArticle,
    TableOfContents,
    Abstract,
    FirstEntry,
    LastEntry,
    PreviousPhrase,
    PhraseStart,
    NextPhrase,
    PreviousParagraph,
    ParagraphStart,
    NextParagraph,
    ActivateAtCaret, // Enter in the text: what a double click there does
    Larger,
    NormalSize,
    Smaller,
    EscapeSearch,
    PreviousPage,
    NextPage,
    ReadAloud, // start reading aloud at the caret, pause, resume
    ReadFaster,
    ReadSlower,
};

// What the reading key (a program key code and shift state) does with the focus there.
ReadingAction ActionFor(int16_t keyCode, int16_t shift, KeyFocus focus);
// The same for a Qt key event's key and modifiers.
ReadingAction ActionFor(int qtKey, Qt::KeyboardModifiers modifiers, KeyFocus focus);

// Every key of the table as a reader names it ("Alt+Right", "Ctrl+Page Down",
// "keypad 9", "Shift+="), once each, in the table's order.
QStringList KeyTableNames();
