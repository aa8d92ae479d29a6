// The search window offscreen, driven by keys: what it shows on each opening
// and what OK and Cancel leave for the search.
#include "search/ui/frmSearch.h"

#include "app/core/RunState.h"
#include "render/TextState.h"
#include "search/SearchChoices.h"
#include "settings/Options.h"
#include "tests/support/FreshState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class frmSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareForReading());
        ResetSearchChoices();
    }
    void TearDown() override
    {
        ResetSearchChoices();
        ResetProgramState();
    }

    // Opens the window modally and, once it is up, does what the reader does there.
    int run(const std::function<void()>& reader)
    {
        QTimer::singleShot(0, [this, reader] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
            reader();
        });
        return window.exec();
    }

    frmSearch window;
};

TEST_F(frmSearchTest, EnterSearchesWithTheChoicesMade)
{
    ::Run().CurrentLevel = 9;
    Opts().SearchResults = JumpToFirstOccurrence;
    const int result = run([this] {
        // Texts from the language file, the phrase field focused.
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Find"));
        EXPECT_EQ(window.chkWholeWord->text(), QStringLiteral("Whole words only"));
        EXPECT_TRUE(window.txtSearchString->hasFocus());
        EXPECT_TRUE(window.optShowResults[1]->isChecked());
        EXPECT_TRUE(window.optSearchScope[1]->isEnabled());
        QTest::keyClicks(window.txtSearchString, QStringLiteral("Storm"));
        window.optSearchScope[1]->setChecked(true);
        window.cmbSearchDirection->setCurrentIndex(1);
        window.chkWholeWord->setChecked(true);
        window.chkCaseSensitive->setChecked(true);
        QTest::keyClick(window.txtSearchString, Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Choices().SearchString, QStringLiteral("Storm"));
    EXPECT_EQ(Choices().SearchScope, 1);
    EXPECT_EQ(Choices().ShowResults, 1);
    EXPECT_TRUE(Txt().SearchWholeWord);
    EXPECT_TRUE(Txt().SearchCaseSensitive);
    EXPECT_EQ(Txt().SearchDirection, 1);

    // The same window again, now over a list: the phrase kept and selected, so typing replaces it;
    // the article scope off, the direction back to All, the other choices kept.
    ::Run().CurrentLevel = 2;
    Opts().SearchResults = ListSearchResults;
    run([this] {
        EXPECT_EQ(window.txtSearchString->selectedText(), QStringLiteral("Storm"));
        EXPECT_FALSE(window.optSearchScope[1]->isEnabled());
        EXPECT_TRUE(window.optSearchScope[0]->isChecked());
        EXPECT_EQ(window.cmbSearchDirection->currentIndex(), 0);
        EXPECT_TRUE(window.chkWholeWord->isChecked());
        EXPECT_TRUE(window.optShowResults[0]->isChecked());
        QTest::keyClicks(window.txtSearchString, QStringLiteral("vorst"));
        window.cmdButton[0]->click();
    });
    EXPECT_EQ(Choices().SearchString, QStringLiteral("vorst"));
    EXPECT_EQ(Choices().SearchScope, 0);
    EXPECT_EQ(Txt().SearchDirection, 0);
}

TEST_F(frmSearchTest, EscapeAndCancelEmptyThePhrase)
{
    Choices().SearchString = QStringLiteral("storm");
    const int escaped = run([this] { QTest::keyClick(window.cmbSearchDirection, Qt::Key_Escape); });
    EXPECT_EQ(escaped, QDialog::Rejected);
    EXPECT_TRUE(Choices().SearchString.isEmpty());

    Choices().SearchString = QStringLiteral("storm");
    run([this] {
        EXPECT_EQ(window.txtSearchString->text(), QStringLiteral("storm"));
        window.cmdButton[1]->setFocus();
        QTest::keyClick(window.cmdButton[1], Qt::Key_Return);
    });
    EXPECT_TRUE(Choices().SearchString.isEmpty());
}

} // namespace
