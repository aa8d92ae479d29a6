#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/core/WorkingFolder.h"
#include "marks/LastReadPosition.h"
#include "marks/UsageFile.h"
#include "package/Container.h"
#include "package/KeyStore.h"
#include "package/modUnzip.h"
#include "package/tests/ZipFixture.h"
#include "settings/modLanguage.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class OpenPackageTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ResetUnzipPasswordPrompt();
        QFile::remove(KeyStore::DefaultPath());
        const QString samples = AppPaths::SamplesDir() + QLatin1Char('/');
        zip = files.filePath(QStringLiteral("dagblad.cxb"));
        ASSERT_TRUE(ZipFixture::Write(
            zip, {ZipFixture::File("krant/dagblad.xml", TestHome::ReadFile(samples + "dagblad.xml")),
                  ZipFixture::File("stijl/dagblad.css", "krant { }"),
                  ZipFixture::File("news.xdf", TestHome::ReadFile(AppPaths::DefaultDir() + "/news.xdf"))}));
    }
    QString encrypt(const QString& passphrase)
    {
        const QString exb = files.filePath(QStringLiteral("dagblad.exd"));
        Container::WriteOptions o;
        o.keyId = QStringLiteral("Noorderlicht");
        o.kdf = {1, Container::MinMemLimit};
        EXPECT_EQ(Container::Write(zip, exb, passphrase, o), Container::Error::None);
        return exb;
    }

    QTemporaryDir files;
    QString zip;
};

TEST_F(OpenPackageTest, AZipPackageOpensWithItsStyleSheetAndDescriptor)
{
    ASSERT_TRUE(open(zip).has_value());
    const RunState& rs = ::Run();
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_TRUE(rs.DocumentOpen);
    EXPECT_EQ(rs.DocInfo[1], QStringLiteral("Het Noorderlicht"));
    EXPECT_EQ(rs.XmlFileName, QStringLiteral("dagblad.xml"));
    ASSERT_EQ(rs.StyleSheetCount, 1);
    EXPECT_EQ(rs.StyleSheets[0].name, QStringLiteral("dagblad"));
    EXPECT_TRUE(QDir(AppPaths::TempDir()).entryList(QDir::Files).isEmpty());
}

TEST_F(OpenPackageTest, ALargeDocumentIsReadFromMemoryAndLetGoAfterTheOpen)
{
    // Past the size from which an unpacked document stays in memory.
    QByteArray xml = TestHome::ReadFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml"));
    xml += "<!-- " + QByteArray(1 << 20, 'x') + " -->\r\n";
    ASSERT_TRUE(ZipFixture::Write(zip, {ZipFixture::File("krant/dagblad.xml", xml)}));
    ASSERT_TRUE(open(zip).has_value());
    const RunState& rs = ::Run();
    EXPECT_EQ(rs.DocInfo[1], QStringLiteral("Het Noorderlicht"));
    EXPECT_EQ(rs.XmlDoc.getElementsByTagName(QStringLiteral("p")).length(), 238);
    EXPECT_FALSE(HeldWorkingFile(AppPaths::TempDir() + QStringLiteral("/dagblad.xml")));
    EXPECT_TRUE(QDir(AppPaths::TempDir()).entryList(QDir::Files).isEmpty());
}

TEST_F(OpenPackageTest, AnEncryptedPackageAsksOnceDecryptsUnzipsAndOpens)
{
    const QString exb = encrypt(QStringLiteral("licht"));
    prompter.answerInput(QStringLiteral("licht"));
    prompter.answer(PromptAnswer::Yes); // remember it
    ASSERT_TRUE(open(exb).has_value());
    EXPECT_TRUE(::Run().DocumentOpen);
    EXPECT_EQ(::Run().DocInfo[1], QStringLiteral("Het Noorderlicht"));
    EXPECT_EQ(::Run().StyleSheetCount, 1);
    EXPECT_EQ(prompter.questions().size(), 2u);
    EXPECT_TRUE(QDir(AppPaths::TempDir()).entryList(QDir::Files).isEmpty());

    window->mnuFileClose_Click();
    prompter.clear();
    ASSERT_TRUE(open(exb).has_value());
    // Only the question of the last read position: the remembered passphrase was used.
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text,
              SetLangTxt(1096, LastReadDateText(ParseLastReadDate(ReadLastReadBookmark(*::Run().DufDoc).date))));
}

TEST_F(OpenPackageTest, ARefusedPackageShowsNoDocumentAndLeavesNothingBehind)
{
    const QString exb = encrypt(QStringLiteral("licht"));
    QByteArray bytes = TestHome::ReadFile(exb);
    bytes[bytes.size() - 5] = char(bytes[bytes.size() - 5] ^ 1);
    ASSERT_TRUE(TestHome::WriteFile(exb, bytes));
    prompter.answerInput(QStringLiteral("licht"));
    prompter.answer(PromptAnswer::No);
    EXPECT_FALSE(open(exb).has_value());
    EXPECT_FALSE(::Run().DocumentOpen);
    ASSERT_EQ(prompter.questions().size(), 3u);
    EXPECT_EQ(prompter.questions()[2].text, SetLangTxt(145, QStringLiteral("dagblad.exd")));
    EXPECT_TRUE(QDir(AppPaths::TempDir()).entryList(QDir::Files).isEmpty());

    // A ZIP package with a hostile member: the unzip error alone, then no document.
    ASSERT_TRUE(ZipFixture::Write(zip, {ZipFixture::File("../../dagblad.xml", "<krant/>")}));
    prompter.clear();
    open(zip);
    EXPECT_FALSE(::Run().DocumentOpen);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_TRUE(prompter.questions()[0].text.startsWith(QStringLiteral("Uncompress error: 60")));
    EXPECT_TRUE(QDir(AppPaths::TempDir()).entryList(QDir::Files).isEmpty());
}

} // namespace
