// Searching from the main window offscreen: the keys, the real search window,
// the results list and the text, the menus, and closing during a search.
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "search/SearchChoices.h"
#include "search/ui/frmSearch.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class frmMainSearchTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ResetSearchChoices();
        showWindow();
        openSample();
    }
    void TearDown() override
    {
        window.reset();
        ResetSearchChoices();
        MainWindowFixture::TearDown();
    }

    // Ctrl+F, then the phrase and Enter in the search window.
    void findWithKeys(const QString& phrase)
    {
        QTimer::singleShot(0, [phrase] {
            auto* dialog = qobject_cast<frmSearch*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            QTest::keyClicks(dialog->txtSearchString, phrase);
            QTest::keyClick(dialog->txtSearchString, Qt::Key_Return);
        });
        key(Qt::Key_F, Qt::ControlModifier);
        // The offscreen platform does not hand the keyboard back to the main window by itself.
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // The control of the main window that has (or, once the window is active again, gets) the focus.
    QWidget* focused() const { return window->focusWidget(); }
    // A key released over that control, as the reader's next key.
    void keyHere(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(focused(), k, mods); }
    QString status() const { return window->lblSearchPlace->text(); }
};

TEST_F(frmMainSearchTest, FindStepAndLeaveWithTheKeys)
{
    EXPECT_TRUE(window->mnuEditFind->isEnabled());
    EXPECT_FALSE(window->mnuEditFindNext->isEnabled());
    findWithKeys(QStringLiteral("ijs"));
    ASSERT_EQ(level(), 0);
    QListView* results = window->NavListView(0);
    ASSERT_EQ(focused(), results);
    EXPECT_EQ(focus(), results);
    const int rows = int(window->NavLists->entries(0).size());
    ASSERT_GT(rows, 2);
    EXPECT_EQ(status(), QStringLiteral("Result 1 of %1").arg(rows));
    EXPECT_EQ(results->accessibleDescription(), status());
    EXPECT_EQ(window->txtLocation->text(), SetLangTxt(1092) + QStringLiteral(" - 'ijs'"));
    EXPECT_TRUE(window->mnuEditFindNext->isEnabled());
    EXPECT_TRUE(window->mnuNavigateSearchResults->isEnabled());

    keyHere(Qt::Key_Down);
    EXPECT_EQ(status(), QStringLiteral("Result 2 of %1").arg(rows));
    keyHere(Qt::Key_Up);
    // Enter opens the result on its first match.
    keyHere(Qt::Key_Return);
    ASSERT_EQ(level(), 9);
    EXPECT_EQ(focused(), window->TextViewerView);
    const std::vector<int32_t> matches = Txt().FoundPositions;
    ASSERT_GT(matches.size(), 1u);
    EXPECT_EQ(window->Viewer->SelStart(), matches[0]);
    const QString firstOf = QStringLiteral("Match 1 of %1").arg(matches.size());
    EXPECT_EQ(status(), firstOf + QStringLiteral(", Result 1 of %1").arg(rows));
    EXPECT_EQ(window->TextViewerView->accessibleDescription(), firstOf);

    keyHere(Qt::Key_F3);
    EXPECT_EQ(window->Viewer->SelStart(), matches[1]);
    EXPECT_EQ(window->TextViewerView->accessibleDescription(), QStringLiteral("Match 2 of %1").arg(matches.size()));
    keyHere(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(window->Viewer->SelStart(), matches[0]);

    // Backspace: the results list; Enter: the text again; Escape: the article, search over.
    keyHere(Qt::Key_Backspace);
    EXPECT_EQ(level(), 0);
    EXPECT_EQ(focused(), results);
    keyHere(Qt::Key_Return);
    ASSERT_EQ(level(), 9);
    const int32_t shown = Txt().CurrentHeadId;
    keyHere(Qt::Key_Escape);
    EXPECT_EQ(level(), 9);
    EXPECT_EQ(Txt().CurrentHeadId, shown);
    EXPECT_EQ(focused(), window->TextViewerView);
    EXPECT_FALSE(::Run().GlobalSearchMode);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_FALSE(window->mnuEditFindNext->isEnabled());
    EXPECT_FALSE(window->mnuNavigateSearchResults->isEnabled());
    EXPECT_TRUE(prompter.questions().empty());
}

TEST_F(frmMainSearchTest, ClosingDuringASearchClearsOnlyTheSearch)
{
    findWithKeys(QStringLiteral("storm"));
    ASSERT_EQ(level(), 0);
    keyHere(Qt::Key_Return);
    ASSERT_EQ(level(), 9);
    window->mnuFileClose->trigger();
    EXPECT_EQ(level(), -1);
    EXPECT_FALSE(::Run().GlobalSearchMode);
    EXPECT_TRUE(Txt().SearchText.isEmpty());
    EXPECT_TRUE(window->Viewer->Text().isEmpty());
    EXPECT_FALSE(window->TextViewerView->isVisible());
    for (QAction* item : {window->mnuEditFindNext, window->mnuEditFindPrevious, window->mnuNavigateSearchResults,
                          window->mnuNavigateEscapeSearchMode})
        EXPECT_FALSE(item->isEnabled()) << item->objectName().toStdString();
    EXPECT_TRUE(prompter.questions().empty());
    // Nothing was built or selected on the closed document.
    EXPECT_FALSE(QFile::exists(AppPaths::ErrorLogPath()));
}

TEST_F(frmMainSearchTest, PersonalInterestsFromTheMenu)
{
    Opts().PersonalInterests.clear();
    window->mnuEditPersonalInterests->trigger();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1112));
    EXPECT_EQ(level(), 1);

    Opts().PersonalInterests = QStringLiteral("schaatsen");
    window->mnuEditPersonalInterests->trigger();
    EXPECT_EQ(level(), 0);
    EXPECT_EQ(window->txtLocation->text(), SetLangTxt(1111) + QStringLiteral(" - 'schaatsen'"));
    EXPECT_TRUE(window->mnuNavigateEscapeSearchMode->isEnabled());
    window->mnuNavigateEscapeSearchMode->trigger();
    EXPECT_EQ(level(), 1);
    EXPECT_FALSE(::Run().PersonalInterestMode);
}

} // namespace
