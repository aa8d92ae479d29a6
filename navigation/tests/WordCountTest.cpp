#include "navigation/WordCount.h"
#include "app/core/RunState.h"
#include "settings/Options.h"

#include <gtest/gtest.h>

namespace {

class WordCountTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRunState();
        Opts().SetDefaults();
        Opts().ShowWordCount = true;
        RunState& rs = ::Run();
        rs.XdfNavLevel[1] = QStringLiteral("rubriek/titel/head");
        rs.XdfNavLevel[2] = QStringLiteral("artikel/titel/head");
        rs.NavLevelCount = 2;
        rs.CurrentLevel = 2;
        ASSERT_TRUE(rs.XmlDoc.loadXML(
            QStringLiteral("<krant><rubriek><titel><head id='100'>Sport</head></titel>"
                           "<artikel><titel><head id='101'>Een twee</head></titel><p>drie vier vijf</p></artikel>"
                           "<artikel><titel><head id='102'>Kort</head></titel></artikel>"
                           "</rubriek></krant>")));
    }
    void TearDown() override
    {
        Opts().SetDefaults();
        ResetRunState();
    }
};

TEST(CountSpacesAndBreaks, CountsSpacesAndLineBreaksNotWords)
{
    EXPECT_EQ(CountSpacesAndBreaks(QStringLiteral("one two three")), 2);
    EXPECT_EQ(CountSpacesAndBreaks(QStringLiteral("one two three\r\nfour five six")), 5);
    EXPECT_EQ(CountSpacesAndBreaks(QStringLiteral("one two three\nfour five six")), 5);
    // Double spaces count twice; a lone word counts nothing.
    EXPECT_EQ(CountSpacesAndBreaks(QStringLiteral("a  b")), 2);
    EXPECT_EQ(CountSpacesAndBreaks(QStringLiteral("word")), 0);
}

TEST_F(WordCountTest, CountsTheWholeArticleAtTheDeepestLevelOnly)
{
    // The article: "Een twee" + "drie vier vijf" joined without a separator.
    EXPECT_EQ(WordCount(QStringLiteral("101")), QStringLiteral(" [3]"));
    EXPECT_EQ(WordCount(QStringLiteral("102")), QStringLiteral(" [0]"));
    // No such heading, or an id that is not a number: no suffix and nothing injected.
    EXPECT_EQ(WordCount(QStringLiteral("999")), QString());
    EXPECT_EQ(WordCount(QStringLiteral("1 or 1=1")), QString());

    // Counts go by the list being filled, wherever the reader is (the text, after a section crossing).
    ::Run().CurrentLevel = 9;
    EXPECT_EQ(WordCount(QStringLiteral("101"), 2), QStringLiteral(" [3]"));
    EXPECT_EQ(WordCount(QStringLiteral("101"), 1), QString());
    Opts().ShowWordCount = false;
    EXPECT_EQ(WordCount(QStringLiteral("101")), QString());
}

TEST_F(WordCountTest, CountedElementFollowsTheSeparatorsOfThePath)
{
    const DomNode head = ::Run().XmlDoc.selectSingleNode(QStringLiteral("//head[@id = 101]"));
    EXPECT_EQ(CountedElement(head, QStringLiteral("head")).getAttribute(QStringLiteral("id")), QStringLiteral("101"));
    EXPECT_EQ(CountedElement(head, QStringLiteral("titel/head")).nodeName(), QStringLiteral("titel"));
    EXPECT_EQ(CountedElement(head, QStringLiteral("artikel/titel/head")).nodeName(), QStringLiteral("artikel"));
    EXPECT_EQ(CountedElement(head, QStringLiteral("a/b/c/d")).nodeName(), QStringLiteral("rubriek"));
    EXPECT_TRUE(CountedElement(head, QStringLiteral("a/b/c/d/e")).isNull());
}

TEST_F(WordCountTest, NoWordCountCutsAtTheLastSuffix)
{
    EXPECT_EQ(NoWordCount(QStringLiteral("Oma's taart [12]")), QStringLiteral("Oma's taart"));
    // A title that itself holds " [" loses everything from the last one.
    EXPECT_EQ(NoWordCount(QStringLiteral("Uitslagen [regio] [40]")), QStringLiteral("Uitslagen [regio]"));
    // A title without a count is the title.
    EXPECT_EQ(NoWordCount(QStringLiteral("Zonder telling")), QStringLiteral("Zonder telling"));
    // At level 1, or with the option off, texts stay whole.
    ::Run().CurrentLevel = 1;
    EXPECT_EQ(NoWordCount(QStringLiteral("Sport [3]")), QStringLiteral("Sport [3]"));
    ::Run().CurrentLevel = 2;
    Opts().ShowWordCount = false;
    EXPECT_EQ(NoWordCount(QStringLiteral("Sport [3]")), QStringLiteral("Sport [3]"));
}

} // namespace
