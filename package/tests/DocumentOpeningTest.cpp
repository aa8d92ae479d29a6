#include "package/DocumentOpening.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/core/WorkingFolder.h"
#include "package/tests/ZipFixture.h"
#include "settings/modLanguage.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DocumentOpeningTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(PrepareForReading()); }
    void TearDown() override { ResetProgramState(); }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = files.path() + QLatin1Char('/') + name;
        EXPECT_TRUE(TestHome::WriteFile(path, bytes));
        return path;
    }

    QTemporaryDir files;
    ScriptedPrompter prompter;
};

TEST_F(DocumentOpeningTest, EachOpenStartsFromFreshDocumentState)
{
    // The sample newspaper has two levels and page marks.
    OpenOutcome first = OpenDocumentFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml"), false, {});
    ASSERT_TRUE(first.opened());
    EXPECT_EQ(::Run().NavLevelCount, 2);
    EXPECT_TRUE(::Run().HasPageNumbers);
    EXPECT_FALSE(first.docInfo[1].isEmpty());

    // A one-level book with its own descriptor and no pages: nothing of the paper stays.
    const QString temp = AppPaths::TempDir() + QLatin1Char('/');
    ASSERT_TRUE(QFile::copy(AppPaths::SamplesDir() + QStringLiteral("/boek/boek.xml"), temp + QStringLiteral("b.xml")));
    ASSERT_TRUE(QFile::copy(AppPaths::SamplesDir() + QStringLiteral("/boek/boek.xdf"), temp + QStringLiteral("b.xdf")));
    OpenOutcome second = LoadDocumentFromWorkingFolder(QStringLiteral("/x/boek.zip"), false);
    ASSERT_TRUE(second.opened());
    EXPECT_EQ(::Run().NavLevelCount, 1);
    EXPECT_NE(second.docInfo[1], first.docInfo[1]);

    // A document that does not parse hands back no facts of the one before it.
    OpenOutcome broken =
        OpenDocumentFile(write(QStringLiteral("kapot.xml"), "<krant><titel>x</titel>\n<p>"), false, {});
    EXPECT_EQ(broken.result, OpenResult::NotWellFormed);
    EXPECT_TRUE(broken.loadStepsRan());
    for (const QString& fact : broken.docInfo)
        EXPECT_TRUE(fact.isEmpty()) << fact.toStdString();
    EXPECT_TRUE(broken.detail.contains(QStringLiteral("Line: 2:")));
    EXPECT_FALSE(::Run().HasPageNumbers);
    const auto messages = DocumentOpeningMessages(broken, QStringLiteral("kapot.xml"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, OpenMessage::Icon::Critical);
    EXPECT_TRUE(messages[0].text.startsWith(SetLangTxt(1094, QStringLiteral("kapot.xml"))));
}

TEST_F(DocumentOpeningTest, PackagesAreHeldToTheDocumentLimitAndARefusedOneSaysSoOnce)
{
    const QByteArray xml = "<krant><meta><krantnaam>Groot</krantnaam></meta>" + QByteArray(4000, ' ') + "</krant>";
    const QString zip = files.path() + QStringLiteral("/groot.zip");
    ASSERT_TRUE(ZipFixture::Write(zip, {ZipFixture::File("groot.xml", xml)}));
    SetDocumentSizeLimit(1000);
    const OpenOutcome big = OpenDocumentFile(zip, false, {});
    SetDocumentSizeLimit(MaxDocumentBytes);
    EXPECT_EQ(big.result, OpenResult::TooLarge);
    const auto bigMessages = DocumentOpeningMessages(big, zip);
    ASSERT_EQ(bigMessages.size(), 1u);
    EXPECT_EQ(bigMessages[0].text, SetLangTxt(1113, QStringLiteral("groot.xml")));
    EXPECT_TRUE(OpenDocumentFile(zip, false, {}).opened());

    // An unsafe member refuses the whole package: the reader hears that, and not also "no XML".
    const QString hostile = files.path() + QStringLiteral("/boos.zip");
    ASSERT_TRUE(ZipFixture::Write(hostile, {ZipFixture::File("../boos.xml", "<a/>")}));
    prompter.clear();
    const OpenOutcome refused = OpenDocumentFile(hostile, false, {});
    EXPECT_EQ(refused.result, OpenResult::PackageFailed);
    EXPECT_TRUE(DocumentOpeningMessages(refused, hostile).empty());
    EXPECT_EQ(prompter.questions().size(), 1u);
}

TEST_F(DocumentOpeningTest, AnAddOnlyOpenLeavesTheShownDocumentsLevels)
{
    ASSERT_TRUE(OpenDocumentFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml"), false, {}).opened());
    const QString temp = AppPaths::TempDir() + QLatin1Char('/');
    ASSERT_TRUE(QFile::copy(AppPaths::SamplesDir() + QStringLiteral("/boek/boek.xml"), temp + QStringLiteral("b.xml")));
    ASSERT_TRUE(QFile::copy(AppPaths::SamplesDir() + QStringLiteral("/boek/boek.xdf"), temp + QStringLiteral("b.xdf")));
    const OpenOutcome added = LoadDocumentFromWorkingFolder(QStringLiteral("/x/boek.zip"), true);
    EXPECT_TRUE(added.opened());
    EXPECT_EQ(::Run().NavLevelCount, 2);
    EXPECT_TRUE(::Run().HasPageNumbers);
    EXPECT_TRUE(::Run().ArchiveOnOpen);
}

} // namespace
