// The question dialog offscreen: its texts, its keys on release, and the
// answer made the default with a real settings file.
#include "marks/ui/frmLastReadPosition.h"

#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "settings/modLanguage.h"
#include "tests/support/FreshState.h"

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class frmLastReadPositionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        LoadLang(QStringLiteral("English"));
        dialog = std::make_unique<frmLastReadPosition>();
        dialog->txtLastReadPosition->setPlainText(QStringLiteral("You last read this document on 05-12-2026 14:30."));
    }
    void show()
    {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    std::unique_ptr<frmLastReadPosition> dialog;
};

TEST_F(frmLastReadPositionTest, TheQuestionHasTheFocusAndIsTheDialogsDescription)
{
    show();
    EXPECT_EQ(dialog->windowTitle(), T(1250));
    EXPECT_TRUE(dialog->txtLastReadPosition->hasFocus());
    EXPECT_EQ(dialog->accessibleDescription(), dialog->txtLastReadPosition->toPlainText());
    EXPECT_FALSE(dialog->chkDontAskAgain->isChecked());
}

TEST_F(frmLastReadPositionTest, JAndYAnswerYesAndNAndEscapeNoOnTheKeysRelease)
{
    struct Case {
        Qt::Key key;
        bool answer;
    };
    for (const Case c :
         {Case{Qt::Key_J, true}, Case{Qt::Key_Y, true}, Case{Qt::Key_N, false}, Case{Qt::Key_Escape, false}}) {
        dialog->Answer = !c.answer;
        show();
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyPress(focused, c.key);
        EXPECT_TRUE(dialog->isVisible()) << c.key; // the press alone does nothing
        QTest::keyRelease(focused, c.key);
        EXPECT_FALSE(dialog->isVisible()) << c.key;
        EXPECT_EQ(dialog->Answer, c.answer) << c.key;
    }
    // Other keys, and the letters with a modifier, leave the question open.
    dialog->Answer = false;
    show();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_J, Qt::ControlModifier);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->Answer);
    // The buttons answer too, without making a default.
    QTest::mouseClick(dialog->cmdButton[0], Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->Answer);
    EXPECT_TRUE(GetSetting(QStringLiteral("StartAtLastReadPosition")).isEmpty());
}

TEST_F(frmLastReadPositionTest, DontAskAgainMakesTheAnswerTheStoredOption)
{
    show();
    dialog->chkDontAskAgain->setFocus();
    QTest::keyClick(dialog->chkDontAskAgain, Qt::Key_Space);
    ASSERT_TRUE(dialog->chkDontAskAgain->isChecked());
    QTest::keyClick(dialog->chkDontAskAgain, Qt::Key_N);
    EXPECT_FALSE(dialog->Answer);
    EXPECT_EQ(Opts().OpenDocument, StartAtBeginning);
    EXPECT_EQ(GetSetting(QStringLiteral("StartAtLastReadPosition")), QStringLiteral("1"));

    show();
    QTest::mouseClick(dialog->cmdButton[0], Qt::LeftButton);
    EXPECT_TRUE(dialog->Answer);
    EXPECT_EQ(GetSetting(QStringLiteral("StartAtLastReadPosition")), QStringLiteral("2"));
}

} // namespace
