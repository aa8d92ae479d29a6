#include "package/modXdf.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class XdfTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRunState(); }

    void load(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("doc%1.xdf").arg(++m_count));
        ASSERT_TRUE(TestHome::WriteFile(path, bytes));
        LoadXdf(path);
    }

    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    int m_count = 0;
    RunState& rs = ::Run();
};

TEST_F(XdfTest, StoresEachKeyIgnoringCaseWithItsValueTrimmedUnquotedAndCutAtASecondEquals)
{
    rs.NavLevelCount = 1;
    load("; comment = not a value\r\n\r\n"
         "DOC_ID_TAG = id = extra\r\ndoc_title_tag  =  \"krant naam\"  \r\nDoc_Type_Tag=\tso\"rt\"\r\n"
         "DOC_SUBTITLE_TAG=sub\r\nDOC_EDITION_TAG=ed\r\nDOC_AUTH_TAG=auth\r\nDOC_PUB_TAG=pub\r\n"
         "DOC_PUBDATE_TAG=date\r\nnav_level2 = Artikel/Titel \r\nDEFAULT_CSS=\"a\"b\"\r\n"
         "UNKNOWN_KEY=x\r\nNAV_LEVEL7=too deep\r\n");
    EXPECT_EQ(rs.XdfDocIdTag, "id");
    EXPECT_EQ(rs.XdfDocTitleTag, "krant naam");
    EXPECT_EQ(rs.XdfDocTypeTag, "so\"rt\""); // quotes stay unless the value starts with one
    EXPECT_EQ(rs.XdfDocSubTitleTag + rs.XdfDocEditionTag + rs.XdfDocAuthorTag + rs.XdfDocPublisherTag +
                  rs.XdfDocPublicationDateTag,
              "subedauthpubdate");
    EXPECT_EQ(rs.XdfNavLevel[2], "Artikel/Titel");
    EXPECT_EQ(rs.XdfDefaultCss, "ab");
    EXPECT_EQ(rs.NavLevelCount, 2);
    EXPECT_TRUE(m_prompter.questions().empty());
}

TEST_F(XdfTest, NavLevelCountOnlyRisesAndAbsentKeysKeepTheirValues)
{
    rs.XdfNavLevel[2] = QStringLiteral("old");
    load("NAV_LEVEL1=rubriek\r\nNAV_LEVEL2=\r\nNAV_LEVEL3=alinea\r\nDEFAULT_CSS=standaard\r\n");
    EXPECT_EQ(rs.NavLevelCount, 3);
    EXPECT_EQ(rs.XdfNavLevel[2], ""); // an empty value in the file is still a value

    load("NAV_LEVEL1=sectie\r\nNAV_LEVEL6=\r\n");
    EXPECT_EQ(rs.NavLevelCount, 3);
    EXPECT_EQ(rs.XdfNavLevel[1], "sectie");
    EXPECT_EQ(rs.XdfNavLevel[3], "alinea");
    EXPECT_EQ(rs.XdfDefaultCss, "standaard");
}

TEST_F(XdfTest, ALineWithoutEqualsIsShownAndTheRestIsReadUpToALastLineWithoutBreak)
{
    load("DOC_ID_TAG=id\nthis line is wrong\n   \nDOC_TITLE_TAG=title\nDEFAULT_CSS=css");
    ASSERT_EQ(m_prompter.questions().size(), 1u);
    const ScriptedPrompter::Question& q = m_prompter.questions()[0];
    EXPECT_TRUE(q.text.startsWith("Error in XDF-file!\r\nLine: this line is wrong\r\n")) << q.text.toStdString();
    EXPECT_EQ(q.text.count("\r\n"), 2) << q.text.toStdString(); // and a line of the one more: the blank line
    EXPECT_EQ(q.buttons, PromptButtons::Ok);
    EXPECT_EQ(q.icon, PromptIcon::None);
    EXPECT_EQ(q.title, "");
    EXPECT_EQ(rs.XdfDocTitleTag, "title");
    EXPECT_EQ(rs.XdfDefaultCss, "css");

    load("DOC_TYPE_TAG=crlf\r\nNAV_LEVEL1=last");
    EXPECT_EQ(rs.XdfDocTypeTag, "crlf");
    EXPECT_EQ(rs.XdfNavLevel[1], "last");
}

TEST_F(XdfTest, ThousandsOfJunkLinesGiveOneMessageAndAreAllLogged)
{
    const QByteArray before = TestHome::ReadFile(AppPaths::ErrorLogPath());
    QByteArray junk = "DOC_ID_TAG=id\r\n";
    for (int i = 0; i < 2000; ++i)
        junk += "rommel " + QByteArray::number(i) + "\r\n";
    load(junk + "DOC_TITLE_TAG=title\r\n");
    ASSERT_EQ(m_prompter.questions().size(), 1u);
    EXPECT_TRUE(m_prompter.questions()[0].text.contains("Line: rommel 0\r\n"));
    EXPECT_TRUE(m_prompter.questions()[0].text.contains("1999"));
    EXPECT_EQ(rs.XdfDocTitleTag, "title");
    const QByteArray log = TestHome::ReadFile(AppPaths::ErrorLogPath()).mid(before.size());
    EXPECT_EQ(log.count(" - LoadXdf,"), 2000);
    EXPECT_TRUE(log.contains("rommel 1999"));
    // Later tests write under a file size limit.
    ASSERT_TRUE(TestHome::WriteFile(AppPaths::ErrorLogPath(), before));
}

TEST_F(XdfTest, AMissingFileChangesNothing)
{
    rs.XdfDefaultCss = QStringLiteral("kept");
    rs.NavLevelCount = 2;
    const QByteArray log = TestHome::ReadFile(AppPaths::ErrorLogPath());
    LoadXdf(m_dir.filePath(QStringLiteral("absent.xdf")));
    EXPECT_EQ(rs.XdfDefaultCss, "kept");
    EXPECT_EQ(rs.NavLevelCount, 2);
    EXPECT_TRUE(m_prompter.questions().empty());
    EXPECT_TRUE(TestHome::ReadFile(AppPaths::ErrorLogPath()) == log);
}

} // namespace

TEST(XdfPaths, ANavigationPathThatIsNoPatternIsLoggedWithItsKeyAndFile)
{
    ResetRunState();
    QFile::remove(AppPaths::ErrorLogPath());
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/kapot.xdf");
    ASSERT_TRUE(TestHome::WriteFile(path, "NAV_LEVEL1=rubriek/titel/head\nNAV_LEVEL2=artikel[[/head\n"));
    LoadXdf(path);
    EXPECT_EQ(::Run().XdfNavLevel[1], QStringLiteral("rubriek/titel/head"));
    EXPECT_TRUE(::Run().XdfNavLevel[2].isEmpty());
    EXPECT_EQ(::Run().NavLevelCount, 1);
    const QByteArray log = TestHome::ReadFile(AppPaths::ErrorLogPath());
    EXPECT_TRUE(log.contains("NAV_LEVEL2 = artikel[[/head")) << log.toStdString();
    EXPECT_TRUE(log.contains("kapot.xdf")) << log.toStdString();

    // Paths that could make a query run for minutes are refused the same way; quoted text is free.
    ResetRunState();
    ASSERT_TRUE(TestHome::WriteFile(path, "NAV_LEVEL1=rubriek[count(//*) > 1]/titel/head\n"
                                          "NAV_LEVEL2=artikel[@soort $eq$ 'a//b(c)']/titel/head\n"
                                          "NAV_LEVEL3=descendant::head\nNAV_LEVEL4=../head\n"));
    LoadXdf(path);
    EXPECT_TRUE(::Run().XdfNavLevel[1].isEmpty());
    EXPECT_EQ(::Run().XdfNavLevel[2], QStringLiteral("artikel[@soort $eq$ 'a//b(c)']/titel/head"));
    EXPECT_TRUE(::Run().XdfNavLevel[3].isEmpty());
    EXPECT_TRUE(::Run().XdfNavLevel[4].isEmpty());
    ResetRunState();
}
