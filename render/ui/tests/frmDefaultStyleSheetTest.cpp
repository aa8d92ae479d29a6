#include "render/ui/frmDefaultStyleSheet.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "settings/SettingsStore.h"
#include "settings/modLanguage.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Kind = ScriptedPrompter::Question::Kind;

class frmDefaultStyleSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadLang(QStringLiteral("English"));
        ResetProgramState(StoredSettings::Clear);
        RunState& rs = ::Run();
        rs.DocumentId = QStringLiteral("krant-1");
        rs.DocInfo[2] = QStringLiteral("krant");
        rs.StyleSheets = {{QStringLiteral("eigen_opmaak"), QStringLiteral("p {\r\ncolor: red;\r\n}\r\n")}};
        rs.StyleSheetCount = 1;
        auto duf = std::make_shared<DomDocument>();
        ASSERT_TRUE(duf->loadXML(QStringLiteral("<duf/>")));
        rs.DufDoc = duf;
        LoadAndSetStyleSheets();
        ASSERT_TRUE(SelectStyleSheet(1)); // the package's own sheet
    }
    void TearDown() override { ResetRunState(); }

    void show()
    {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    static QString dufFile(const char* name) { return AppPaths::DufDir() + QLatin1Char('/') + QLatin1String(name); }

    ScriptedPrompter prompter;
    frmDefaultStyleSheet dialog;
};

TEST_F(frmDefaultStyleSheetTest, OpensOnCancelWithTheSheetAndTheTypeNamed)
{
    show();
    EXPECT_EQ(dialog.windowTitle(), T(1400));
    EXPECT_EQ(dialog.txtDefaultCss->text(), QStringLiteral("eigen opmaak"));
    EXPECT_EQ(dialog.optDefaultCss[1]->text(), QStringLiteral("Default for all 'krant' documents"));
    EXPECT_EQ(dialog.fraDefaultCss->title(), T(1401));
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmdButton[2]);
    EXPECT_TRUE(dialog.optDefaultCss[0]->isChecked());

    // Everything a screen reader lands on has a name.
    EXPECT_EQ(dialog.txtDefaultCss->accessibleName(), QStringLiteral("Style sheet"));
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (w->focusPolicy() & Qt::TabFocus) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }

    // Enter on the safe button closes and changes nothing.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(QDir(AppPaths::DufDir()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(prompter.questions().empty());
}

TEST_F(frmDefaultStyleSheetTest, ConfirmWritesTheChosenScope)
{
    show();
    dialog.optDefaultCss[1]->setFocus();
    QTest::keyClick(dialog.optDefaultCss[1], Qt::Key_Space);
    ASSERT_EQ(dialog.chosenScope(), StyleScope::DocumentType);
    QTest::mouseClick(dialog.cmdButton[0], Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(GetSetting(QStringLiteral("CSSkrant")), QStringLiteral("krant (type).css"));
    EXPECT_EQ(TestHome::ReadFile(dufFile("krant (type).css")), QByteArray("p {\r\ncolor: red;\r\n}\r\n"));
    EXPECT_TRUE(GetSetting(QStringLiteral("DefaultCSS")).isEmpty()); // only the chosen scope
}

TEST_F(frmDefaultStyleSheetTest, RemoveAsksFirstAndOnlyYesRemoves)
{
    ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::AllDocuments));
    LoadAndSetStyleSheets();
    ASSERT_TRUE(QFile::exists(dufFile("(all documents).css")));
    QSignalSpy changed(&dialog, &frmDefaultStyleSheet::styleSheetsChanged);
    show();
    EXPECT_EQ(dialog.txtDefaultCss->text(), QStringLiteral("(all documents)")); // the personal copy is in use
    dialog.optDefaultCss[2]->setChecked(true);

    prompter.answer(PromptAnswer::No);
    dialog.cmdButton_Click(1);
    ASSERT_EQ(prompter.questions().size(), 1u);
    const auto& q = prompter.questions()[0];
    EXPECT_EQ(q.kind, Kind::Message);
    EXPECT_EQ(q.text, T(1406));
    EXPECT_EQ(q.title, T(1405));
    EXPECT_EQ(q.buttons, PromptButtons::YesNo);
    EXPECT_EQ(q.icon, PromptIcon::Question);
    EXPECT_EQ(q.defaultAnswer, std::optional<PromptAnswer>(PromptAnswer::No));
    EXPECT_TRUE(dialog.isVisible()); // the reader may choose again
    EXPECT_TRUE(QFile::exists(dufFile("(all documents).css")));
    EXPECT_EQ(changed.count(), 0);

    prompter.answer(PromptAnswer::Yes);
    dialog.cmdButton_Click(1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(QFile::exists(dufFile("(all documents).css")));
    EXPECT_TRUE(GetSetting(QStringLiteral("DefaultCSS")).isEmpty());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(StyleSheetCaptions().filter(QStringLiteral("all documents")).size(), 0);
}

TEST_F(frmDefaultStyleSheetTest, ScopesThatCannotHoldAChoiceAreNotOffered)
{
    ::Run().DocInfo[2].clear();
    ::Run().DufDoc.reset();
    show();
    EXPECT_FALSE(dialog.optDefaultCss[0]->isEnabled());
    EXPECT_FALSE(dialog.optDefaultCss[1]->isEnabled());
    EXPECT_TRUE(dialog.optDefaultCss[2]->isChecked());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

} // namespace
