#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "package/modEntities.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestHome.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// The bundled newspaper opened in the main window, shown with the system sheet
// "standaard" (the descriptor's default: a plain XML file brings no sheet).
class TextDisplayTest : public MainWindowFixture {
protected:
    // No sheet read beforehand: what the text shows comes from the opening.
    void SetUp() override
    {
        ResetProgramState();
        QDir().mkpath(AppPaths::TempDir());
        LoadLang(QStringLiteral("English"));
        LoadEntityMapping();
        makeWindow();
        openSample();
    }

    // Selects section k, article j (both from 0) as the navigation lists would.
    void Select(int section, int article)
    {
        NavList* lists = window->NavLists;
        window->LoadLevelTitles(1);
        lists->setListIndex(1, section);
        window->LoadLevelTitles(2);
        lists->setListIndex(2, article);
    }

    // Point size of the first character of the text.
    double HeadSize() const
    {
        QTextCursor c(window->Viewer->document());
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        return c.charFormat().fontPointSize();
    }
};

TEST_F(TextDisplayTest, LoadTextShowsTheSelectedArticleHidden)
{
    // Opening applied the sheet's default font and colours to the lists and the view.
    EXPECT_EQ(window->NavListView(1)->font().family(), "Verdana");
    EXPECT_EQ(window->NavListView(1)->font().pointSize(), 15);
    EXPECT_EQ(window->Viewer->BackColor(), 0xFFFFFF);

    Select(0, 2);
    window->LoadText(2, 0, QString());
    EXPECT_TRUE(window->Viewer->Text().startsWith("Extra afvaarten naar de eilanden rond de feestdagen\r\n"));
    EXPECT_EQ(Txt().CurrentHeadId, 103);
    EXPECT_FALSE(window->Viewer->isVisible());

    // No heading with that id: logged, and the view stays empty.
    Select(11, 97);
    window->LoadText(2, 0, QString());
    EXPECT_TRUE(window->Viewer->Text().isEmpty());
    EXPECT_TRUE(TestHome::ReadFile(AppPaths::ErrorLogPath()).contains(" - LoadText,Select the heading,91,"));
}

TEST_F(TextDisplayTest, FontSizeStepsRebuildTheShownText)
{
    Select(0, 0);
    ::Run().CurrentLevel = 9;
    window->Refresh_Markup(false);
    EXPECT_TRUE(window->Viewer->isVisible());
    EXPECT_EQ(HeadSize(), 24);
    EXPECT_TRUE(window->mnuViewFontSize[1]->isChecked());

    for (int i = 0; i < 3; ++i)
        window->mnuViewFontSize[2]->trigger();
    EXPECT_EQ(Txt().FontSizeOffset, -15);
    EXPECT_FALSE(window->mnuViewFontSize[1]->isChecked());
    EXPECT_EQ(HeadSize(), 9);
    EXPECT_EQ(window->NavListView(2)->font().pointSize(), 8); // 15 - 15, but never below 8
    window->ChangeFontSize(0);
    EXPECT_EQ(HeadSize(), 14);
    window->mnuViewFontSize[1]->trigger();
    EXPECT_EQ(Txt().FontSizeOffset, 0);
    EXPECT_TRUE(window->mnuViewFontSize[1]->isChecked());
    EXPECT_EQ(HeadSize(), 24);
}

TEST_F(TextDisplayTest, OverruleChangesAreShownAtOnce)
{
    Select(0, 0);
    ::Run().CurrentLevel = 9;
    Opts().OverRuleCss = true;
    Opts().UserFont = QStringLiteral("Arial");
    Opts().FontSize = QStringLiteral("14");
    Opts().NotifyMarkupChanged();
    EXPECT_EQ(HeadSize(), 42);
    EXPECT_EQ(window->NavListView(1)->font().pointSize(), 14);
    EXPECT_EQ(window->NavListView(1)->palette().color(QPalette::Text), QColor(0xFF, 0xFF, 0));
    EXPECT_EQ(window->Viewer->BackColor(), 0); // black, the lists' background

    // With no document open a change does nothing.
    window->mnuFileClose_Click();
    Opts().OverRuleCss = false;
    Opts().NotifyMarkupChanged();
    EXPECT_TRUE(window->Viewer->Text().isEmpty());
    EXPECT_EQ(window->Viewer->BackColor(), 0);
}

} // namespace
