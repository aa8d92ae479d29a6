#include "navigation/KeyTable.h"

#include <array>

int16_t KeyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (keypad) {
        // With Num Lock off the keypad sends the cursor keys; those act as cursor keys.
        if (qtKey >= Qt::Key_1 && qtKey <= Qt::Key_9)
            return static_cast<int16_t>(KeyCode::Keypad1 + (qtKey - Qt::Key_1));
        switch (qtKey) {
        case Qt::Key_Asterisk:
            return KeyCode::KeypadMultiply;
        case Qt::Key_Plus:
            return KeyCode::KeypadAdd;
        case Qt::Key_Minus:
            return KeyCode::KeypadSubtract;
        case Qt::Key_Enter:
            return KeyCode::Enter;
        default:
            break;
        }
    }
    switch (qtKey) {
    case Qt::Key_Backspace:
        return KeyCode::Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Enter;
    case Qt::Key_Escape:
        return KeyCode::Escape;
    case Qt::Key_PageUp:
        return KeyCode::PageUp;
    case Qt::Key_PageDown:
        return KeyCode::PageDown;
    case Qt::Key_End:
        return KeyCode::End;
    case Qt::Key_Home:
        return KeyCode::Home;
    case Qt::Key_Left:
        return KeyCode::Left;
    case Qt::Key_Up:
        return KeyCode::Up;
    case Qt::Key_Right:
        return KeyCode::Right;
    case Qt::Key_Down:
        return KeyCode::Down;
    case Qt::Key_0:
        return keypad ? int16_t(0) : KeyCode::Digit0;
    case Qt::Key_Question:
        return KeyCode::Question;
    // With Shift, Qt reports the shifted character of the US "=" and "-" keys.
    // On other layouts "+" and "-" sit elsewhere and may need no Shift at all.
    case Qt::Key_Equal:
        return keypad ? int16_t(0) : KeyCode::EqualPlus;
    case Qt::Key_Plus:
        if (keypad)
            return 0;
        return modifiers.testFlag(Qt::ShiftModifier) ? KeyCode::EqualPlus : KeyCode::PlusSign;
    case Qt::Key_Underscore:
        return keypad ? int16_t(0) : KeyCode::MinusUnderscore;
    case Qt::Key_Minus:
        return keypad ? int16_t(0) : KeyCode::MinusSign;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return KeyCode::BackslashBar;
    case Qt::Key_F5:
        return KeyCode::F5;
    case Qt::Key_F7:
        return KeyCode::F7;
    case Qt::Key_F8:
        return KeyCode::F8;
    default:
        return 0;
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

namespace {

// Which shift keys a row asks for.
enum class Mods { Any, Alt, NotAlt, Ctrl, NotCtrl, Shift, NoCtrlOrAlt };
// Where the focus must be for a row.
enum class Where { Anywhere, List, Text };

struct Row {
    int16_t key;
    Mods mods;
    Where where;
    ReadingAction action;
};

using A = ReadingAction;

// Rows are tried in order; the first that fits the key, its shift keys and
// the focus decides. A key of the table that no row fits does nothing.
constexpr std::array Table{
    Row{KeyCode::Backspace, Mods::Ctrl, Where::Anywhere, A::TableOfContents},
    Row{KeyCode::Backspace, Mods::Any, Where::Anywhere, A::LevelUp},
    Row{KeyCode::Enter, Mods::Any, Where::Text, A::ActivateAtCaret},
    Row{KeyCode::Enter, Mods::Any, Where::List, A::LevelDown},
    Row{KeyCode::Escape, Mods::Any, Where::Anywhere, A::EscapeSearch},
    Row{KeyCode::PageUp, Mods::Ctrl, Where::Anywhere, A::PreviousPage},
    Row{KeyCode::PageDown, Mods::Ctrl, Where::Anywhere, A::NextPage},
    Row{KeyCode::Home, Mods::Any, Where::List, A::FirstEntry},
    Row{KeyCode::End, Mods::Any, Where::List, A::LastEntry},
    Row{KeyCode::Left, Mods::Alt, Where::Anywhere, A::PreviousArticle},
    Row{KeyCode::Left, Mods::Any, Where::List, A::LevelUp},
    Row{KeyCode::Up, Mods::Alt, Where::Anywhere, A::LevelUp},
    Row{KeyCode::Up, Mods::Any, Where::List, A::PreviousArticle},
    Row{KeyCode::Right, Mods::Alt, Where::Anywhere, A::NextArticle},
    Row{KeyCode::Right, Mods::Any, Where::List, A::LevelDown},
    Row{KeyCode::Down, Mods::Alt, Where::Anywhere, A::LevelDown},
    Row{KeyCode::Down, Mods::Any, Where::List, A::NextArticle},
    Row{KeyCode::Digit0, Mods::Any, Where::Anywhere, A::TableOfContents},
    Row{KeyCode::Question, Mods::Any, Where::Anywhere, A::Abstract},
    Row{KeyCode::Keypad1, Mods::Any, Where::Text, A::PreviousPhrase},
    Row{KeyCode::Keypad2, Mods::Any, Where::Text, A::PhraseStart},
    Row{KeyCode::Keypad3, Mods::Any, Where::Text, A::NextPhrase},
    Row{KeyCode::Keypad4, Mods::Any, Where::List, A::LevelUp},
    Row{KeyCode::Keypad4, Mods::Any, Where::Text, A::PreviousParagraph},
    Row{KeyCode::Keypad5, Mods::Any, Where::Text, A::ParagraphStart},
    Row{KeyCode::Keypad6, Mods::Any, Where::List, A::LevelDown},
    Row{KeyCode::Keypad6, Mods::Any, Where::Text, A::NextParagraph},
    Row{KeyCode::Keypad7, Mods::Any, Where::Anywhere, A::PreviousArticle},
    Row{KeyCode::Keypad8, Mods::Any, Where::Anywhere, A::FirstArticle},
    Row{KeyCode::Keypad9, Mods::Any, Where::Anywhere, A::NextArticle},
    Row{KeyCode::KeypadAdd, Mods::NoCtrlOrAlt, Where::Anywhere, A::Larger},
    Row{KeyCode::KeypadSubtract, Mods::NoCtrlOrAlt, Where::Anywhere, A::Smaller},
    Row{KeyCode::KeypadMultiply, Mods::Alt, Where::Anywhere, A::NormalSize},
    Row{KeyCode::KeypadAdd, Mods::Alt, Where::Anywhere, A::Larger},
    Row{KeyCode::KeypadSubtract, Mods::Alt, Where::Anywhere, A::Smaller},
    Row{KeyCode::EqualPlus, Mods::Shift, Where::Anywhere, A::Larger},
    Row{KeyCode::MinusUnderscore, Mods::Shift, Where::Anywhere, A::Smaller},
    Row{KeyCode::BackslashBar, Mods::Shift, Where::Anywhere, A::NormalSize},
    Row{KeyCode::PlusSign, Mods::NoCtrlOrAlt, Where::Anywhere, A::Larger},
    Row{KeyCode::MinusSign, Mods::NoCtrlOrAlt, Where::Anywhere, A::Smaller},
    Row{KeyCode::F5, Mods::NoCtrlOrAlt, Where::Anywhere, A::ReadAloud},
    Row{KeyCode::F8, Mods::NoCtrlOrAlt, Where::Anywhere, A::ReadFaster},
    Row{KeyCode::F7, Mods::NoCtrlOrAlt, Where::Anywhere, A::ReadSlower},
};

bool Fits(Mods mods, int16_t shift)
{
    const bool alt = shift & ShiftState::Alt;
    const bool ctrl = shift & ShiftState::Ctrl;
    switch (mods) {
    case Mods::Any:
        return true;
    case Mods::Alt:
        return alt;
    case Mods::NotAlt:
        return !alt;
    case Mods::Ctrl:
        return ctrl;
    case Mods::NotCtrl:
        return !ctrl;
    case Mods::Shift:
        return shift & ShiftState::Shift;
    case Mods::NoCtrlOrAlt:
        return !ctrl && !alt;
    }
    return false;
}

bool Fits(Where where, KeyFocus focus)
{
    switch (where) {
    case Where::Anywhere:
        return true;
    case Where::List:
        return focus == KeyFocus::List;
    case Where::Text:
        return focus == KeyFocus::Text;
    }
    return false;
}

} // namespace

ReadingAction ActionFor(int16_t keyCode, int16_t shift, KeyFocus focus)
{
    bool known = false;
    for (const Row& row : Table) {
        if (row.key != keyCode)
            continue;
        known = true;
        if (Fits(row.mods, shift) && Fits(row.where, focus))
            return row.action;
    }
    return known ? ReadingAction::Nothing : ReadingAction::NotAReadingKey;
}

ReadingAction ActionFor(int qtKey, Qt::KeyboardModifiers modifiers, KeyFocus focus)
{
    const int16_t code = KeyCodeOf(qtKey, modifiers);
    if (code == 0)
        return ReadingAction::NotAReadingKey;
    return ActionFor(code, ShiftStateOf(modifiers), focus);
}

namespace {

QString KeyName(int16_t key)
{
    switch (key) {
    case KeyCode::Backspace:
        return QStringLiteral("Backspace");
    case KeyCode::Enter:
        return QStringLiteral("Enter");
    case KeyCode::Escape:
        return QStringLiteral("Escape");
    case KeyCode::PageUp:
        return QStringLiteral("Page Up");
    case KeyCode::PageDown:
        return QStringLiteral("Page Down");
    case KeyCode::End:
        return QStringLiteral("End");
    case KeyCode::Home:
        return QStringLiteral("Home");
    case KeyCode::Left:
        return QStringLiteral("Left");
    case KeyCode::Up:
        return QStringLiteral("Up");
    case KeyCode::Right:
        return QStringLiteral("Right");
    case KeyCode::Down:
        return QStringLiteral("Down");
    case KeyCode::Digit0:
        return QStringLiteral("0");
    case KeyCode::Question:
        return QStringLiteral("?");
    case KeyCode::KeypadMultiply:
        return QStringLiteral("keypad *");
    case KeyCode::KeypadAdd:
        return QStringLiteral("keypad +");
    case KeyCode::KeypadSubtract:
        return QStringLiteral("keypad -");
    case KeyCode::EqualPlus:
        return QStringLiteral("=");
    case KeyCode::MinusUnderscore:
    case KeyCode::MinusSign:
        return QStringLiteral("-");
    case KeyCode::BackslashBar:
        return QStringLiteral("\\");
    case KeyCode::PlusSign:
        return QStringLiteral("+");
    case KeyCode::F5:
        return QStringLiteral("F5");
    case KeyCode::F7:
        return QStringLiteral("F7");
    case KeyCode::F8:
        return QStringLiteral("F8");
    default:
        if (key >= KeyCode::Keypad1 && key <= KeyCode::Keypad9)
            return QStringLiteral("keypad %1").arg(key - KeyCode::Keypad1 + 1);
        return QString::number(key);
    }
}

} // namespace

QStringList KeyTableNames()
{
    QStringList names;
    for (const Row& row : Table) {
        const QString prefix = row.mods == Mods::Alt     ? QStringLiteral("Alt+")
                               : row.mods == Mods::Ctrl  ? QStringLiteral("Ctrl+")
                               : row.mods == Mods::Shift ? QStringLiteral("Shift+")
                                                         : QString();
        const QString name = prefix + KeyName(row.key);
        if (!names.contains(name))
            names << name;
    }
    return names;
}
