#include "navigation/KeyTable.h"

int16_t KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (keypad) {
        // With Num Lock off the keypad sends the cursor keys; those act as cursor keys.
        if (qtKey >= Qt::Key_1 && qtKey <= Qt::Key_9)
            return static_cast<int16_t>(KeyCode::Numpad1 + (qtKey - Qt::Key_1));
        switch (qtKey) {
        case Qt::Key_Asterisk: return KeyCode::NumpadMultiply;
        case Qt::Key_Plus: return KeyCode::NumpadAdd;
        case Qt::Key_Minus: return KeyCode::NumpadSubtract;
        case Qt::Key_Enter: return KeyCode::Enter;
        default: break;
        }
    }
    switch (qtKey) {
    case Qt::Key_Backspace: return KeyCode::Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return KeyCode::Enter;
    case Qt::Key_Escape: return KeyCode::Escape;
    case Qt::Key_PageUp: return KeyCode::PageUp;
    case Qt::Key_PageDown: return KeyCode::PageDown;
    case Qt::Key_End: return KeyCode::End;
    case Qt::Key_Home: return KeyCode::Home;
    case Qt::Key_Left: return KeyCode::Left;
    case Qt::Key_Up: return KeyCode::Up;
    case Qt::Key_Right: return KeyCode::Right;
    case Qt::Key_Down: return KeyCode::Down;
    case Qt::Key_0: return keypad ? int16_t(0) : KeyCode::Digit0;
    case Qt::Key_Question: return KeyCode::Question;
    // One physical key each: with Shift Qt reports the shifted character.
    case Qt::Key_Equal:
    case Qt::Key_Plus: return keypad ? int16_t(0) : KeyCode::EqualPlus;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return keypad ? int16_t(0) : KeyCode::MinusUnderscore;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return KeyCode::BackslashBar;
    default: return 0;
    }
}

int16_t ShiftStateOf(Qt::KeyboardModifiers modifiers)
{
    int16_t state = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        state |= ShiftState::Shift;
    if (modifiers.testFlag(Qt::ControlModifier))
        state |= ShiftState::Ctrl;
    if (modifiers.testFlag(Qt::AltModifier))
        state |= ShiftState::Alt;
    return state;
}
