#include "navigation/KeyTable.h"

#include <gtest/gtest.h>

namespace {

using A = ReadingAction;
constexpr auto None = Qt::NoModifier;
constexpr auto Keypad = Qt::KeypadModifier;

A In(KeyFocus focus, int key, Qt::KeyboardModifiers mods = None)
{
    return ActionFor(key, mods, focus);
}

} // namespace

TEST(KeyTable, KeypadDigitsAreReadingKeysButTheDigitRowIsNot)
{
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_1, Keypad), A::PreviousPhrase);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_1), A::NotAReadingKey);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_9, Keypad), A::NextArticle);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_9), A::NotAReadingKey);
    // "0" of the digit row is the table of contents; keypad 0 is nothing of ours.
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_0), A::TableOfContents);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_0, Keypad), A::NotAReadingKey);
    // With Num Lock off the keypad sends cursor keys, which act as such.
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_Down, Keypad), A::NextArticle);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_Enter, Keypad), A::LevelDown);
    // Keys screen readers keep for themselves are never ours.
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Insert), A::NotAReadingKey);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_CapsLock), A::NotAReadingKey);
}

TEST(KeyTable, ArrowsMoveByArticleInListsButAreLeftToTheCaretInTheText)
{
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_Down), A::NextArticle);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_Right), A::LevelDown);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_Left), A::LevelUp);
    // In the text the caret moves; the release does nothing more, but is consumed.
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Down), A::Nothing);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Home), A::Nothing);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_End), A::LastEntry);
    // With Alt the arrows act wherever the focus is, the title box included.
    for (KeyFocus focus : {KeyFocus::List, KeyFocus::Text, KeyFocus::Elsewhere}) {
        EXPECT_EQ(In(focus, Qt::Key_Right, Qt::AltModifier), A::NextArticle);
        EXPECT_EQ(In(focus, Qt::Key_Left, Qt::AltModifier), A::PreviousArticle);
        EXPECT_EQ(In(focus, Qt::Key_Up, Qt::AltModifier), A::LevelUp);
        EXPECT_EQ(In(focus, Qt::Key_Down, Qt::AltModifier), A::LevelDown);
        EXPECT_EQ(In(focus, Qt::Key_Backspace), A::LevelUp);
        EXPECT_EQ(In(focus, Qt::Key_Backspace, Qt::ControlModifier), A::TableOfContents);
    }
    EXPECT_EQ(In(KeyFocus::Elsewhere, Qt::Key_Down), A::Nothing);
}

TEST(KeyTable, EnterAndTheKeypadMiddleRowDependOnTheFocus)
{
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Return), A::ActivateAtCaret);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_Return), A::LevelDown);
    EXPECT_EQ(In(KeyFocus::Elsewhere, Qt::Key_Return), A::Nothing);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_4, Keypad), A::LevelUp);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_4, Keypad), A::PreviousParagraph);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_5, Keypad), A::ParagraphStart);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_5, Keypad), A::Nothing);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_2, Keypad), A::Nothing);
}

TEST(KeyTable, TextSizeKeysOnUsAndOtherLayouts)
{
    // US layout: Shift with "=", "-" and "\" report the shifted characters.
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Plus, Qt::ShiftModifier), A::Larger);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Underscore, Qt::ShiftModifier), A::Smaller);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Bar, Qt::ShiftModifier), A::NormalSize);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Equal), A::Nothing);
    // Layouts with "+" and "-" on unshifted keys.
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_Plus), A::Larger);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_Minus), A::Smaller);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_Minus, Qt::ControlModifier), A::Nothing);
    // The keypad, with or without Alt; Alt and keypad * back to normal.
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Plus, Keypad), A::Larger);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Minus, Keypad | Qt::AltModifier), A::Smaller);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Asterisk, Keypad | Qt::AltModifier), A::NormalSize);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Asterisk, Keypad), A::Nothing);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_Asterisk, Qt::ShiftModifier), A::NotAReadingKey);
}

TEST(KeyTable, PageKeysNeedCtrl)
{
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_PageDown, Qt::ControlModifier), A::NextPage);
    EXPECT_EQ(In(KeyFocus::List, Qt::Key_PageUp, Qt::ControlModifier), A::PreviousPage);
    EXPECT_EQ(In(KeyFocus::Text, Qt::Key_PageDown), A::Nothing);
}

TEST(KeyTableNamesTest, NameEveryKeyOnceAsTheManualsDo)
{
    QStringList names = KeyTableNames();
    for (const char* name :
         {"Ctrl+Page Down", "Ctrl+Page Up", "Ctrl+Backspace", "Backspace", "Alt+Right", "Right", "keypad 1", "keypad 9",
          "Alt+keypad *",   "keypad +",     "Shift+=",        "Shift+\\",  "+",         "-",     "0",        "?",
          "Escape",         "Enter",        "Home",           "End"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
    EXPECT_EQ(names.removeDuplicates(), 0);
}
