#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The main window on screen (offscreen), driven by key clicks to the focused control:
// the moves themselves are tested without a window beside the navigator.
class NavigationTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        showWindow();
    }
    int row(int list) const { return window->NavLists->ListIndex(list); }
    QString location() const { return window->txtLocation->text(); }
    int caret() const { return window->Viewer->SelStart(); }
    QString text() const { return window->Viewer->Text(); }
    // The list view that shows a list, with the screen reader's current row on the selection.
    void expectListFocused(int list)
    {
        EXPECT_EQ(focus(), window->NavListView(list));
        EXPECT_TRUE(window->NavListView(list)->isVisible());
        EXPECT_EQ(window->NavListView(list)->currentIndex().row(), row(list));
    }
    void expectTextFocused()
    {
        EXPECT_EQ(focus(), window->TextViewerView);
        EXPECT_TRUE(window->TextViewerView->isVisible());
    }
};

TEST_F(NavigationTest, KeysMoveTheFocusWhereTheReaderGoesOn)
{
    openSample();
    expectListFocused(1);
    // Letters never move a list by themselves; Down goes through the reading moves.
    key(Qt::Key_S);
    EXPECT_EQ(row(1), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(row(1), 1);
    expectListFocused(1);
    key(Qt::Key_Up);
    key(Qt::Key_Right);
    expectListFocused(2);
    EXPECT_EQ(location(), QStringLiteral("Voorpagina"));
    EXPECT_TRUE(window->mnuNavigateLevelUp->isEnabled());
    key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(level(), 9);
    expectTextFocused();
    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(row(2), 1);
    expectTextFocused();
    key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(row(2), 0);
    // Down in the text moves the caret, and the position to come back to follows it.
    key(Qt::Key_Down);
    EXPECT_GT(::Run().LastReadPosition, 0);
    EXPECT_EQ(level(), 9);
    key(Qt::Key_Backspace);
    expectListFocused(2);
}

TEST_F(NavigationTest, ReadingKeysAlsoActFromTheTitleAndLocationBoxes)
{
    openSample();
    window->txtTitle->setFocus();
    ASSERT_EQ(focus(), window->txtTitle);
    keypad(Qt::Key_9);
    EXPECT_EQ(row(1), 1);
    expectListFocused(1);
    window->txtLocation->setFocus();
    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(row(1), 2);
    window->txtTitle->setFocus();
    key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(level(), 2);
    // A plain arrow in the title box stays the box's own.
    window->txtTitle->setFocus();
    key(Qt::Key_Down);
    EXPECT_EQ(level(), 2);
    EXPECT_EQ(row(2), 0);
}

TEST_F(NavigationTest, ButtonsAndMenuDoTheSameMoves)
{
    openSample();
    EXPECT_FALSE(window->cmdLevelUp->isEnabled());
    EXPECT_FALSE(window->cmdPrevArticle->isEnabled());
    EXPECT_TRUE(window->cmdNextArticle->isEnabled());
    QTest::mouseClick(window->cmdNextArticle, Qt::LeftButton);
    EXPECT_EQ(row(1), 1);
    expectListFocused(1);
    window->mnuNavigatePreviousArticle->trigger();
    EXPECT_EQ(row(1), 0);
    window->NavList_DblClick();
    EXPECT_EQ(level(), 2);
    QTest::mouseClick(window->cmdLevelUp, Qt::LeftButton);
    EXPECT_EQ(level(), 1);
    window->NavList_DblClick();
    window->NavList_DblClick();
    EXPECT_EQ(level(), 9);
    window->mnuNavigateToc->trigger();
    EXPECT_EQ(level(), 1);

    // Closing disables all six again.
    window->mnuFileClose_Click();
    for (QAction* a : {window->mnuNavigateLevelUp, window->mnuNavigateNextArticle, window->mnuNavigatePreviousArticle})
        EXPECT_FALSE(a->isEnabled());
    for (QPushButton* b : {window->cmdLevelUp, window->cmdNextArticle, window->cmdPrevArticle})
        EXPECT_FALSE(b->isEnabled());
}

TEST_F(NavigationTest, KeysActOnTheirOwnReleaseOnly)
{
    openSample();
    // A flagged release is swallowed once.
    ::Run().IgnoreNextKeyUp = true;
    key(Qt::Key_Right);
    EXPECT_EQ(level(), 1);
    EXPECT_FALSE(::Run().IgnoreNextKeyUp);

    // Auto-repeat releases do nothing; a release whose press went elsewhere does nothing.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(focus(), &press);
    QApplication::sendEvent(focus(), &repeat);
    EXPECT_EQ(row(1), 0);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(focus(), &release);
    EXPECT_EQ(row(1), 1);
    QTest::keyRelease(focus(), Qt::Key_Down);
    EXPECT_EQ(row(1), 1);

    // Alt let go a moment before the arrow: the arrow still counts as Alt+Right.
    QTest::keyPress(focus(), Qt::Key_Right, Qt::AltModifier);
    QTest::keyRelease(focus(), Qt::Key_Right, Qt::NoModifier);
    EXPECT_EQ(row(1), 2);
    EXPECT_EQ(level(), 1);
}

TEST_F(NavigationTest, TheFirstKeyAfterADialogActs)
{
    openSample();
    // Closed with the mouse: no key release follows, and none may be swallowed.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdButton_1")), Qt::LeftButton);
    });
    window->mnuExtraOptions_Click();
    QTest::keyClick(window->NavListView(1), Qt::Key_Down);
    EXPECT_EQ(row(1), 1);

    // Closed with Enter: the press goes to the dialog, its release to the list, which passes it over.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTest::keyPress(dialog->findChild<QPushButton*>(QStringLiteral("cmdButton_1")), Qt::Key_Space);
        QTest::keyRelease(dialog->findChild<QPushButton*>(QStringLiteral("cmdButton_1")), Qt::Key_Space);
    });
    window->mnuExtraOptions_Click();
    QTest::keyRelease(window->NavListView(1), Qt::Key_Return);
    EXPECT_EQ(level(), 1);
    QTest::keyClick(window->NavListView(1), Qt::Key_Down);
    EXPECT_EQ(row(1), 2);
}

TEST_F(NavigationTest, SizeKeysAndTheKeyThatClosesTheAbstract)
{
    openSample();
    key(Qt::Key_Right);
    key(Qt::Key_Question, Qt::ShiftModifier);
    ASSERT_EQ(prompter.questions().size(), 1u);
    // The key that closes the box is pressed in the box and released over the
    // list: that release must not open the article.
    QTest::keyRelease(focus(), Qt::Key_Return);
    EXPECT_EQ(level(), 2);

    key(Qt::Key_Return);
    key(Qt::Key_Equal, Qt::ShiftModifier);
    EXPECT_EQ(Txt().FontSizeOffset, 5);
    key(Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(Txt().FontSizeOffset, 10);
    key(Qt::Key_Asterisk, Qt::KeypadModifier | Qt::AltModifier);
    EXPECT_EQ(Txt().FontSizeOffset, 0);
    key(Qt::Key_Minus, Qt::ShiftModifier);
    EXPECT_EQ(Txt().FontSizeOffset, -5);
    key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(Txt().FontSizeOffset, 0);
    key(Qt::Key_Equal); // without Shift: nothing
    EXPECT_EQ(Txt().FontSizeOffset, 0);
    EXPECT_EQ(level(), 9);
    expectTextFocused();
}

TEST_F(NavigationTest, ParagraphKeysFollowTheLaidOutText)
{
    openSample();
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    const QString t = text();
    keypad(Qt::Key_6);
    const int p2 = caret();
    EXPECT_GT(p2, 0);
    EXPECT_EQ(t.mid(p2 - 2, 2), QStringLiteral("\r\n"));
    EXPECT_EQ(window->TextViewerView->textCursor().position(), window->Viewer->textCursor().position());
    keypad(Qt::Key_4);
    EXPECT_EQ(caret(), 0);
    expectTextFocused();
}

} // namespace
