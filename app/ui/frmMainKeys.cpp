// The reading keys: KeyNavigation's table, acted on when a key is released,
// and the key and mouse handling of the lists and the text view.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "app/ui/ScreenReaderFocus.h"
#include "navigation/KeyTable.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "speech/ReadAloud.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
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

bool frmMain::IsReadingControl(const QObject* watched) const
{
    for (const QObject* control :
         {static_cast<QObject*>(cmdLevelUp), static_cast<QObject*>(cmdNextArticle),
          static_cast<QObject*>(cmdPrevArticle), static_cast<QObject*>(txtTitle), static_cast<QObject*>(txtLocation)}) {
        if (watched == control)
            return true;
    }
    return false;
}

bool frmMain::KeyNavigation(int16_t& keyCode, int16_t& shift)
{
    bool handled = false;
    GuardedVoid("KeyNavigation", [&] {
        if (!Run().DocumentOpen)
            return;
        // The control the key was released over decides; called directly, the focus does.
        const KeyFocus focus = m_keyUpFocusKnown      ? m_keyUpFocus
                               : NavListHasFocus()    ? KeyFocus::List
                               : TextViewerHasFocus() ? KeyFocus::Text
                                                      : KeyFocus::Elsewhere;
        const ReadingAction action = ActionFor(keyCode, shift, focus);
        if (action == ReadingAction::NotAReadingKey)
            return;
        handled = true;
        SetStep(QStringLiteral("Act on the key"));
        if (ReadAloudKey(action))
            return;
        if (action == ReadingAction::NextPage || action == ReadingAction::PreviousPage) {
            mnuNavigatePage_Click(action == ReadingAction::NextPage ? 1 : 2);
            return;
        }
        if (Navigation->Perform(action)) {
            AnnounceCaretMove(action);
            return;
        }
        switch (action) {
        case ReadingAction::ActivateAtCaret:
            TextViewer_DblClick();
            break;
        case ReadingAction::Larger:
            ChangeFontSize(0);
            break;
        case ReadingAction::NormalSize:
            ChangeFontSize(1);
            break;
        case ReadingAction::Smaller:
            ChangeFontSize(2);
            break;
        case ReadingAction::EscapeSearch:
            EscapeSearchmode();
            break;
        default:
            break;
        }
    });
    return handled;
}

bool frmMain::ReadAloudKey(ReadingAction action)
{
    switch (action) {
    case ReadingAction::ReadAloud:
        mnuExtraReadAloud_Click(0);
        return true;
    case ReadingAction::ReadFaster:
        mnuExtraReadAloud_Click(2);
        return true;
    case ReadingAction::ReadSlower:
        mnuExtraReadAloud_Click(3);
        return true;
    case ReadingAction::EscapeSearch:
        // Escape ends reading aloud first; only a second one leaves a search.
        if (Reader->Active() || m_escapeStoppedReading) {
            m_escapeStoppedReading = false;
            mnuExtraReadAloud_Click(1);
            return true;
        }
        return false;
    case ReadingAction::Larger:
    case ReadingAction::NormalSize:
    case ReadingAction::Smaller:
    case ReadingAction::Nothing:
        // A magnifier's reader may change the size while listening.
        return false;
    default:
        // Any move takes the caret away from the phrase being read.
        if (Reader->Active())
            mnuExtraReadAloud_Click(1);
        return false;
    }
}

void frmMain::StopReadingForScreenReader(const QKeyEvent* key)
{
    // With a screen reader on, its voice and the reading voice would talk at
    // once: any key but the reading-aloud keys ends reading when pressed.
    if (!Reader->Active() || !QAccessible::isActive())
        return;
    switch (key->key()) {
    case Qt::Key_F5:
    case Qt::Key_F7:
    case Qt::Key_F8:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        return;
    default:
        break;
    }
    m_escapeStoppedReading = key->key() == Qt::Key_Escape;
    mnuExtraReadAloud_Click(1);
}

void frmMain::AnnounceCaretMove(ReadingAction action)
{
    // The caret moved within the text: the screen reader is told the phrase or paragraph it reached.
    switch (action) {
    case ReadingAction::PreviousPhrase:
    case ReadingAction::PhraseStart:
    case ReadingAction::NextPhrase:
        AnnounceInText(TextViewerView, CaretPhrase(TextViewerView));
        break;
    case ReadingAction::PreviousParagraph:
    case ReadingAction::ParagraphStart:
    case ReadingAction::NextParagraph:
        AnnounceInText(TextViewerView, CaretParagraph(TextViewerView));
        break;
    default:
        break;
    }
}

bool frmMain::Form_KeyUp(QKeyEvent* event)
{
    RunState& rs = Run();
    const int key = event->key();
    // A release whose press went elsewhere (a menu, a dialog that has just
    // closed) is not the reader's key for this window.
    const auto pressed = m_pressedKeys.constFind(key);
    const bool pressedHere = pressed != m_pressedKeys.constEnd();
    // The shift keys held when the key went down count: a reader may let go
    // of Alt a moment before the arrow.
    const Qt::KeyboardModifiers modifiers =
        pressedHere ? (*pressed | (event->modifiers() & Qt::KeypadModifier)) : event->modifiers();
    if (pressedHere)
        m_pressedKeys.erase(pressed);
    if (rs.IgnoreNextKeyUp) {
        rs.IgnoreNextKeyUp = false;
        return true;
    }
    if (!pressedHere)
        return false;
    int16_t code = KeyCodeOf(key, modifiers);
    int16_t shift = ShiftStateOf(modifiers);
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
        if (!inList && !inText && !IsReadingControl(watched))
            return false;
        if (type == QEvent::KeyPress) {
            // Ctrl+C and Ctrl+Insert copy once, as one line: the edit's own copy never runs.
            const Qt::KeyboardModifiers held =
                key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            const bool copyKey =
                held == Qt::ControlModifier && (key->key() == Qt::Key_C || key->key() == Qt::Key_Insert);
            if (inText && (copyKey || key->matches(QKeySequence::Copy))) {
                if (!key->isAutoRepeat())
                    ExportText();
                return true;
            }
            if (!key->isAutoRepeat()) {
                m_pressedKeys.insert(key->key(), key->modifiers());
                StopReadingForScreenReader(key);
            }
            if (inList) {
                // The lists never move by themselves: every move goes through
                // KeyNavigation, so a plain key (and any arrow, Home, End, page key)
                // is swallowed here. Tab still leaves the list.
                const Qt::KeyboardModifiers mods =
                    key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
                const int k = key->key();
                const bool moveKey = k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_Left || k == Qt::Key_Right ||
                                     k == Qt::Key_Home || k == Qt::Key_End || k == Qt::Key_PageUp ||
                                     k == Qt::Key_PageDown;
                if (k != Qt::Key_Tab && k != Qt::Key_Backtab && (mods == Qt::NoModifier || moveKey))
                    return true;
            }
            return false;
        }
        if (key->isAutoRepeat())
            return true;
        bool handled = false;
        m_keyUpFocus = inList ? KeyFocus::List : inText ? KeyFocus::Text : KeyFocus::Elsewhere;
        m_keyUpFocusKnown = true;
        GuardedVoid("Form_KeyUp", [&] { handled = Form_KeyUp(key); });
        m_keyUpFocusKnown = false;
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
        EnableCommand(mnuEditCopy, Viewer->SelLength() >= 1);
        CheckAnnotation(false);
    });
}

void frmMain::TextViewer_Click()
{
    GuardedVoid("TextViewer_Click", [&] {
        if (!Run().DocumentOpen)
            return;
        Run().LastReadPosition = Viewer->SelStart();
        EnableCommand(mnuEditCopy, Viewer->SelLength() >= 1);
        CheckAnnotation(false);
    });
}

void frmMain::TextViewer_DblClick()
{
    GuardedVoid("TextViewer_DblClick", [&] {
        if (!Run().DocumentOpen)
            return;
        Run().LastReadPosition = Viewer->SelStart();
        EnableCommand(mnuEditCopy, Viewer->SelLength() >= 1);
        CheckAnnotation(true);
    });
}
