#pragma once

#include <QString>

// What the navigator asks of whoever shows the lists and the text. The lists'
// contents and visibility are in NavList, the text in TextViewer; this is the
// rest: focus, the location line, sounds and the state of the controls.
class NavigationHost {
public:
    virtual ~NavigationHost() = default;
    // List `level` is now the one shown: give it the keyboard focus, its selected row current.
    virtual void focusList(int level) = 0;
    // The text is now shown: give it the keyboard focus at its caret.
    virtual void focusText() = 0;
    // Lists were filled: lay them out again.
    virtual void listsChanged() = 0;
    // Shows the location line with this text.
    virtual void setLocation(const QString& text) = 0;
    // Plays one of the program's sounds by file name ("Navigate.wav").
    virtual void playSound(const QString& name) = 0;
    // Which of the level-up, next and previous article commands can act now.
    virtual void setNavigationOptions(bool levelUp, bool nextArticle, bool previousArticle) = 0;
    // The level or mode changed: bring the menus in line.
    virtual void menuOptionsChanged() = 0;
};
