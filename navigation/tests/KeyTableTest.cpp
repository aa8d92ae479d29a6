#include "navigation/KeyTable.h"

#include <gtest/gtest.h>

TEST(KeyTable, KeypadAndMainKeysStayApart)
{
    EXPECT_EQ(KeyCodeOf(Qt::Key_1, Qt::KeypadModifier), KeyCode::Numpad1);
    EXPECT_EQ(KeyCodeOf(Qt::Key_9, Qt::KeypadModifier), KeyCode::Numpad9);
    EXPECT_EQ(KeyCodeOf(Qt::Key_1, Qt::NoModifier), 0);
    EXPECT_EQ(KeyCodeOf(Qt::Key_0, Qt::NoModifier), KeyCode::Digit0);
    EXPECT_EQ(KeyCodeOf(Qt::Key_0, Qt::KeypadModifier), 0);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Plus, Qt::KeypadModifier), KeyCode::NumpadAdd);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Plus, Qt::ShiftModifier), KeyCode::EqualPlus);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Minus, Qt::KeypadModifier | Qt::AltModifier), KeyCode::NumpadSubtract);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Underscore, Qt::ShiftModifier), KeyCode::MinusUnderscore);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Asterisk, Qt::KeypadModifier), KeyCode::NumpadMultiply);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Asterisk, Qt::ShiftModifier), 0);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Bar, Qt::ShiftModifier), KeyCode::BackslashBar);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Enter, Qt::KeypadModifier), KeyCode::Enter);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Return, Qt::NoModifier), KeyCode::Enter);
    // Keypad cursor keys (Num Lock off) act as the cursor keys.
    EXPECT_EQ(KeyCodeOf(Qt::Key_Left, Qt::KeypadModifier), KeyCode::Left);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Question, Qt::ShiftModifier), KeyCode::Question);
    EXPECT_EQ(KeyCodeOf(Qt::Key_Insert, Qt::NoModifier), 0);
    EXPECT_EQ(KeyCodeOf(Qt::Key_CapsLock, Qt::NoModifier), 0);
}

TEST(KeyTable, ShiftStateIgnoresTheKeypadFlag)
{
    EXPECT_EQ(ShiftStateOf(Qt::KeypadModifier), 0);
    EXPECT_EQ(ShiftStateOf(Qt::ShiftModifier | Qt::AltModifier), ShiftState::Shift | ShiftState::Alt);
    EXPECT_EQ(ShiftStateOf(Qt::ControlModifier | Qt::KeypadModifier), ShiftState::Ctrl);
}
