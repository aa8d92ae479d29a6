// The reading keys: KeyNavigation's table, acted on when a key is released,
// and the key and mouse handling of the lists and the text view.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "navigation/KeyTable.h"
#include "navigation/NavList.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QTimer>

bool frmMain::NavListHasFocus() const
{
    const QWidget* focus = QApplication::focusWidget();
    for (const QListView* view : m_navViews) {
        if (view == focus)
            return true;
    }
    return false;
}

bool frmMain::TextViewerHasFocus() const
{
    return QApplication::focusWidget() == TextViewerView;
}

bool frmMain::KeyNavigation(int16_t& keyCode, int16_t& shift)
{
    bool handled = false;
    GuardedVoid("KeyNavigation", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen)
            return;
        const bool alt = shift & ShiftState::Alt;
        const bool ctrl = shift & ShiftState::Ctrl;
        const bool shifted = shift & ShiftState::Shift;
        const bool inList = NavListHasFocus();
        const bool inText = TextViewerHasFocus();
        handled = true;
        SetStep(QStringLiteral("Act on the key"));
        switch (keyCode) {
        case KeyCode::Backspace:
            if (ctrl)
                GoMainIndex();
            else
                LevelUp();
            break;
        case KeyCode::Enter:
            if (inText)
                TextViewer_DblClick();
            else if (inList)
                LevelDown();
            break;
        case KeyCode::Escape:
            // Leaving search mode belongs to searching, which is not here yet.
            break;
        case KeyCode::PageUp:
        case KeyCode::PageDown:
            // Page moves (Ctrl+Page Up/Down) arrive with page navigation.
            break;
        case KeyCode::End:
        case KeyCode::Home:
            if (inList && rs.CurrentLevel >= 0 && rs.CurrentLevel <= 6) {
                const int last = static_cast<int>(NavLists->entries(rs.CurrentLevel).size()) - 1;
                NavLists->setListIndex(rs.CurrentLevel, keyCode == KeyCode::End ? last : 0);
                ShowInfo(rs.CurrentLevel, true);
            }
            break;
        case KeyCode::Left:
            if (alt)
                GoArticle(0);
            else if (inList)
                LevelUp();
            break;
        case KeyCode::Up:
            if (alt)
                LevelUp();
            else if (inList)
                GoArticle(0);
            break;
        case KeyCode::Right:
            if (alt)
                GoArticle(2);
            else if (inList)
                LevelDown();
            break;
        case KeyCode::Down:
            if (alt)
                LevelDown();
            else if (inList)
                GoArticle(2);
            break;
        case KeyCode::Digit0:
            GoMainIndex();
            break;
        case KeyCode::Question:
            if (rs.CurrentLevel == rs.NavLevelCount)
                LoadAbstract(rs.CurrentLevel);
            break;
        case KeyCode::Numpad1:
        case KeyCode::Numpad1 + 1:
        case KeyCode::Numpad1 + 2:
            if (inText)
                GoPhrase(keyCode - KeyCode::Numpad1);
            break;
        case KeyCode::Numpad1 + 3:
        case KeyCode::Numpad1 + 5:
            if (inList)
                keyCode == KeyCode::Numpad1 + 3 ? LevelUp() : LevelDown();
            else if (inText)
                GoParaGraph(keyCode - KeyCode::Numpad1 - 3);
            break;
        case KeyCode::Numpad1 + 4:
            if (inText)
                GoParaGraph(1);
            break;
        case KeyCode::Numpad1 + 6:
        case KeyCode::Numpad1 + 7:
        case KeyCode::Numpad9:
            GoArticle(keyCode - KeyCode::Numpad1 - 6);
            break;
        case KeyCode::NumpadMultiply:
        case KeyCode::NumpadAdd:
        case KeyCode::NumpadSubtract:
            if (alt)
                ChangeFontSize(keyCode == KeyCode::NumpadAdd ? 0 : keyCode == KeyCode::NumpadMultiply ? 1 : 2);
            break;
        case KeyCode::EqualPlus:
        case KeyCode::MinusUnderscore:
        case KeyCode::BackslashBar:
            if (shifted)
                ChangeFontSize(keyCode == KeyCode::EqualPlus ? 0 : keyCode == KeyCode::BackslashBar ? 1 : 2);
            break;
        default:
            handled = false;
            break;
        }
    });
    return handled;
}

bool frmMain::Form_KeyUp(QKeyEvent* event)
{
    RunState& rs = Run();
    const int key = event->key();
    // A release whose press went elsewhere (a menu, a dialog that has just
    // closed) is not the reader's key for this window.
    const bool pressedHere = m_pressedKeys.remove(key);
    if (rs.IgnoreNextKeyUp) {
        rs.IgnoreNextKeyUp = false;
        return true;
    }
    if (!pressedHere)
        return false;
    int16_t code = KeyCodeOf(key, event->modifiers());
    int16_t shift = ShiftStateOf(event->modifiers());
    if (code == 0)
        return false;
    return KeyNavigation(code, shift);
}

bool frmMain::NavigationEventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    if (!TextViewerView)
        return false;
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool inList = std::find(m_navViews.begin(), m_navViews.end(), watched) != m_navViews.end();
        const bool inText = watched == TextViewerView;
        const bool onButton = watched == static_cast<QObject*>(cmdLevelUp) || watched == static_cast<QObject*>(cmdNextArticle) ||
                              watched == static_cast<QObject*>(cmdPrevArticle);
        if (!inList && !inText && !onButton)
            return false;
        if (type == QEvent::KeyPress) {
            if (!key->isAutoRepeat())
                m_pressedKeys.insert(key->key());
            if (inList) {
                // The lists never move by themselves: every move goes through
                // KeyNavigation, so a plain key (and any arrow, Home, End, page key)
                // is swallowed here. Tab still leaves the list.
                const Qt::KeyboardModifiers mods =
                    key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
                const int k = key->key();
                const bool moveKey = k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_Left ||
                                     k == Qt::Key_Right || k == Qt::Key_Home || k == Qt::Key_End ||
                                     k == Qt::Key_PageUp || k == Qt::Key_PageDown;
                if (k != Qt::Key_Tab && k != Qt::Key_Backtab && (mods == Qt::NoModifier || moveKey))
                    return true;
            }
            return false;
        }
        if (key->isAutoRepeat())
            return true;
        bool handled = false;
        GuardedVoid("Form_KeyUp", [&] { handled = Form_KeyUp(key); });
        if (inText && TextViewerView->isVisible())
            TextViewer_KeyUp();
        return handled;
    }
    if (watched == m_textViewport) {
        if (type == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            // The view places the caret while it handles the event; read it afterwards.
            QTimer::singleShot(0, this, [this] { TextViewer_Click(); });
        } else if (type == QEvent::MouseButtonDblClick &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            QTimer::singleShot(0, this, [this] { TextViewer_DblClick(); });
        }
    }
    return false;
}

void frmMain::TextViewer_KeyUp()
{
    GuardedVoid("TextViewer_KeyUp", [&] {
        Run().LastReadPosition = Viewer->SelStart();
        mnuEditCopy->setEnabled(Viewer->SelLength() >= 1);
    });
}

void frmMain::TextViewer_Click()
{
    GuardedVoid("TextViewer_Click", [&] {
        if (!Run().DocumentOpen)
            return;
        Run().LastReadPosition = Viewer->SelStart();
        mnuEditCopy->setEnabled(Viewer->SelLength() >= 1);
        // The annotation check (CheckAnnotation False) joins here with annotations.
    });
}

void frmMain::TextViewer_DblClick()
{
    GuardedVoid("TextViewer_DblClick", [&] {
        if (!Run().DocumentOpen)
            return;
        Run().LastReadPosition = Viewer->SelStart();
        mnuEditCopy->setEnabled(Viewer->SelLength() >= 1);
        // The annotation check (CheckAnnotation True) joins here with annotations.
    });
}
