#include "navigation/ui/frmGotoPage.h"

#include "settings/modLanguage.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

class frmGotoPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        LoadLang(QStringLiteral("English"));
    }
    void TearDown() override { ResetProgramState(); }

    // Runs `reader` once the modal dialog is up, then returns what the dialog answered.
    std::optional<QString> ask(std::function<void()> reader)
    {
        QTimer::singleShot(0, &dialog, [this, reader] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            reader();
            if (dialog.isVisible())
                dialog.reject(); // a failed step must not leave the test waiting
        });
        return dialog.AskPage();
    }
    static void type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    static void key(Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); }

    ScriptedPrompter prompter;
    frmGotoPage dialog;
};

TEST_F(frmGotoPageTest, OpensOnTheFieldAndReturnsTheLabelTrimmed)
{
    const auto answer = ask([this] {
        EXPECT_EQ(QApplication::focusWidget(), dialog.txtPageNumber);
        EXPECT_EQ(dialog.windowTitle(), T(117));
        EXPECT_EQ(dialog.lblPagenumber->text(), T(120));
        EXPECT_EQ(dialog.cmdButton[0]->text(), T(123));
        EXPECT_EQ(dialog.cmdButton[1]->text(), T(103));
        type(QStringLiteral("  xii "));
        key(Qt::Key_Return);
    });
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, QStringLiteral("xii"));
    EXPECT_TRUE(prompter.questions().empty());

    // Shown again: the last label is there, selected, so typing replaces it.
    const auto again = ask([] {
        type(QStringLiteral("B3"));
        key(Qt::Key_Return);
    });
    EXPECT_EQ(again.value_or(QString()), QStringLiteral("B3"));
}

TEST_F(frmGotoPageTest, AnEmptyLabelIsAskedForAgainAndEscapeCancels)
{
    const auto answer = ask([this] {
        key(Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(prompter.questions().size(), 1u);
        EXPECT_EQ(prompter.questions()[0].text, T(119));
        EXPECT_EQ(QApplication::focusWidget(), dialog.txtPageNumber);
        type(QStringLiteral("-1"));
        key(Qt::Key_Escape);
    });
    EXPECT_FALSE(answer.has_value()) << "Cancel is the dialog's answer, whatever the box holds";
    // The Cancel button does the same.
    const auto cancelled = ask([this] {
        type(QStringLiteral("12"));
        QTest::mouseClick(dialog.cmdButton[1], Qt::LeftButton);
    });
    EXPECT_FALSE(cancelled.has_value());
}

} // namespace
