// The collection file in a real user folder, and the real clipboard of the
// (offscreen) GUI application.
#include "clipboard/CopyPaste.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "settings/modLanguage.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

class CopyPasteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        LoadLang(QStringLiteral("English"));
        for (const QString& name : QDir(AppPaths::UserDir()).entryList({QStringLiteral("*.xml")}, QDir::Files))
            QFile::remove(AppPaths::UserDir() + QLatin1Char('/') + name);
    }
    void TearDown() override { ResetProgramState(); }

    static QString collection() { return AppPaths::UserDir() + QStringLiteral("/copypaste.xml"); }
    ScriptedPrompter prompter;
};

TEST_F(CopyPasteTest, MissingCollectionIsMadeFromTheTemplateAndLoaded)
{
    ASSERT_FALSE(QFile::exists(collection()));
    EXPECT_TRUE(LoadCopyPaste());
    EXPECT_EQ(TestHome::ReadFile(collection()),
              TestHome::ReadFile(AppPaths::DefaultDir() + QStringLiteral("/default.cp")));
    EXPECT_EQ(::Run().CopyPasteDoc.documentElement().nodeName(), QStringLiteral("copypaste"));
    EXPECT_TRUE(prompter.questions().empty());

    // Deleted between runs: the next start makes it again.
    ASSERT_TRUE(QFile::remove(collection()));
    EXPECT_TRUE(LoadCopyPaste());
    EXPECT_TRUE(QFile::exists(collection()));
}

TEST_F(CopyPasteTest, ExistingCollectionInAnotherCaseIsTheOneLoaded)
{
    const QString mixed = AppPaths::UserDir() + QStringLiteral("/CopyPaste.xml");
    const QByteArray own = "<?xml version=\"1.0\"?><copypaste><item>mine</item></copypaste>";
    ASSERT_TRUE(TestHome::WriteFile(mixed, own));
    EXPECT_EQ(CopyPastePath(), mixed);
    EXPECT_TRUE(LoadCopyPaste());
    EXPECT_EQ(::Run().CopyPasteDoc.documentElement().text(), QStringLiteral("mine"));
    EXPECT_FALSE(QFile::exists(collection())) << "no second file beside the reader's own";
    EXPECT_EQ(TestHome::ReadFile(mixed), own);
}

TEST_F(CopyPasteTest, CorruptCollectionIsReportedAndLeftByteForByte)
{
    const QByteArray corrupt = "<?xml version=\"1.0\"?><copypaste><item>half";
    ASSERT_TRUE(TestHome::WriteFile(collection(), corrupt));
    EXPECT_FALSE(LoadCopyPaste());
    ASSERT_EQ(prompter.questions().size(), 1u);
    const auto& q = prompter.questions()[0];
    EXPECT_EQ(q.icon, PromptIcon::Critical);
    EXPECT_TRUE(q.text.startsWith(SetLangTxt(1095) + QStringLiteral(" 'CopyPaste.xml'!\n"))) << q.text.toStdString();
    EXPECT_TRUE(q.text.contains(QStringLiteral(" - ")));
    EXPECT_EQ(TestHome::ReadFile(collection()), corrupt);
    EXPECT_TRUE(::Run().CopyPasteDoc.documentElement().isNull());
}

TEST_F(CopyPasteTest, PassageIsOneLineWithWordsKeptApart)
{
    EXPECT_EQ(PassageFromSelection(QStringLiteral("het einde\r\nBegin hier")), QStringLiteral("het einde Begin hier"));
    // Blank lines and blanks around a break make one space; breaks at either end vanish.
    EXPECT_EQ(PassageFromSelection(QStringLiteral("\r\neen \r\n\r\n twee\ndrie\rvier\r\n")),
              QStringLiteral("een twee drie vier"));
    EXPECT_EQ(PassageFromSelection(QStringLiteral("regel\u2029alinea\u2028zin")), QStringLiteral("regel alinea zin"));
    // Blanks inside a line are the text's own.
    EXPECT_EQ(PassageFromSelection(QStringLiteral("a  b\tc")), QStringLiteral("a  b\tc"));
    EXPECT_EQ(PassageFromSelection(QStringLiteral("\r\n")), QString());
}

TEST_F(CopyPasteTest, AddCopyPasteItemFillsTheWindowAndSetsTheClipboard)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    EXPECT_TRUE(
        AddCopyPasteItem({}, QStringLiteral("Dagblad"), QStringLiteral("Artikel"), QStringLiteral("tekst"), {}));
    const frmCopyPaste& window = CopyPasteWindow();
    EXPECT_EQ(window.txtDbSource, QStringLiteral("Dagblad"));
    EXPECT_EQ(window.txtDbTitle, QStringLiteral("Artikel"));
    EXPECT_EQ(window.txtDbText, QStringLiteral("tekst"));
    EXPECT_TRUE(window.cmbDBCategory.isEmpty());
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("tekst"));
}

} // namespace
