// Page moves in the real window, offscreen: keys, the Navigation menu and the Page dialog.
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "navigation/ui/frmGotoPage.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/modLanguage.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class PageTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        showWindow();
        openSample();
    }
};

TEST_F(PageTest, CtrlPageDownAndUpMoveByPageIntoTheText)
{
    for (QAction* item : window->mnuNavigatePage)
        EXPECT_TRUE(item->isEnabled());
    ASSERT_EQ(focus(), window->NavListView(1));
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_EQ(focus(), window->TextViewerView);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 1"));
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 2"));
    key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 1"));
    // Before the first page there is none: the reader is told and stays in the text.
    key(Qt::Key_PageUp, Qt::ControlModifier);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(118));
    EXPECT_EQ(focus(), window->TextViewerView);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 1"));
}

TEST_F(PageTest, GoToPageAsksInThePageDialogAndShowsThePage)
{
    frmGotoPage* dialog = window->GotoPageWindow;
    QTimer::singleShot(0, window.get(), [dialog] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        EXPECT_EQ(dialog->focusWidget(), dialog->txtPageNumber);
        QTest::keyClicks(dialog->txtPageNumber, QStringLiteral("3"));
        QTest::keyClick(dialog->txtPageNumber, Qt::Key_Return);
    });
    window->mnuNavigatePage[0]->trigger();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 3"));
    // No window manager here: the main window is made active again as one would.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_TRUE(QTest::qWaitFor([this] { return focus() == window->TextViewerView; }));

    // Cancelled from the text: the focus goes back to the text, nothing moves.
    const int caret = window->Viewer->SelStart();
    QTimer::singleShot(0, window.get(), [dialog] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog->txtPageNumber, Qt::Key_Escape);
    });
    window->mnuNavigatePage[0]->trigger();
    EXPECT_EQ(window->Viewer->SelStart(), caret);
    // No window manager here: the main window is made active again as one would.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_TRUE(QTest::qWaitFor([this] { return focus() == window->TextViewerView; }));
    EXPECT_TRUE(prompter.questions().empty());

    window->mnuNavigatePage[1]->trigger();
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 4"));
    window->mnuNavigatePage[2]->trigger();
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 3"));
}

TEST_F(PageTest, ClosingForgetsThePages)
{
    key(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_TRUE(::Run().HasPageNumbers);
    window->mnuFileClose_Click();
    EXPECT_FALSE(::Run().HasPageNumbers);
    EXPECT_EQ(window->Navigation->CurrentPageId, 0);
    EXPECT_TRUE(window->Navigation->Pages().isEmpty());
}

} // namespace
