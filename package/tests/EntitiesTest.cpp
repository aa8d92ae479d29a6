#include "package/modEntities.h"

#include "app/core/AppPaths.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Points the data folder at a temporary folder, so a test can write its own
// ISOLat1.ent; afterwards the shipped table is loaded again.
class EntitiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_data.isValid());
        qputenv("QB_DATA_DIR", m_data.path().toLocal8Bit());
        AppPaths::Init();
    }
    void TearDown() override
    {
        qunsetenv("QB_DATA_DIR");
        AppPaths::Init();
        LoadEntityMapping();
    }

    void load(const QByteArray& bytes)
    {
        ASSERT_TRUE(TestHome::WriteFile(AppPaths::DataDir() + "/ISOLat1.ent", bytes));
        LoadEntityMapping();
    }

    static int LoggedLines(const QString& procedure)
    {
        const QString log = QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath()));
        return static_cast<int>(log.count(" - " + procedure + ","));
    }

    QTemporaryDir m_data;
    ScriptedPrompter m_prompter;
};

TEST(ShippedEntityTable, HasEveryLatin1RowAndTheMarkupCharacters)
{
    ScriptedPrompter prompter;
    LoadEntityMapping();
    EXPECT_TRUE(prompter.questions().empty());
    const auto& rows = EntityTable();
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(rows[code].reference.isEmpty());
        const QString own = code == 0 ? QString(QChar(0xFFFD)) : QString(QChar(code));
        EXPECT_EQ(XChangeEntity(QString("&#%1;").arg(code)), own);
        if (code >= 31) {
            EXPECT_EQ(XChangeEntity(rows[code].reference), own) << rows[code].reference.toStdString();
        }
    }
    EXPECT_EQ(rows[233].reference, "&eacute;");
    EXPECT_EQ(rows[160].reference, "&nbsp;");
    EXPECT_EQ(rows[255].reference, "&yuml;");
    EXPECT_EQ(ReplaceEntities(u"&lt;p class=&quot;a&quot;&gt;Jansen &amp; Zonen&apos;s caf&eacute;&lt;/p&gt;"),
              u"<p class=\"a\">Jansen & Zonen's café</p>");
}

TEST_F(EntitiesTest, RowsByCodeNamesFromRow31On)
{
    load("30|&thirty;|x\r\n"
         "31|&tone;|y\r\n"
         "40|&dup;|first\r\n"
         "50|&dup;|second\r\n"
         " 201 |&Eacute;|\xC3\x89\r\n"
         "233|&eacute;|\xC3\xA9\r\n"
         "65|&A;\r\n");
    EXPECT_TRUE(m_prompter.questions().empty());
    EXPECT_EQ(XChangeEntity(u"&thirty;"), "");
    EXPECT_EQ(XChangeEntity(u"&#30;"), "x");
    EXPECT_EQ(XChangeEntity(u"&tone;"), "y");
    EXPECT_EQ(XChangeEntity(u"&dup;"), "first");
    EXPECT_EQ(XChangeEntity(u"&Eacute;"), u"\u00C9");
    EXPECT_EQ(XChangeEntity(u"&eacute;"), u"\u00E9");
    EXPECT_EQ(XChangeEntity(u"&EACUTE;"), "");
    // A row without a character stands for its own code.
    EXPECT_EQ(XChangeEntity(u"&A;"), "A");
    // Codes without a row are their own character, by decimal or hexadecimal reference.
    EXPECT_EQ(XChangeEntity(u"&#66;"), "B");
    EXPECT_EQ(XChangeEntity(u"&#0066;"), "B");
    EXPECT_EQ(XChangeEntity(u"&#x42;"), "B");
    EXPECT_EQ(XChangeEntity(u"&#X30;"), "0");
    EXPECT_EQ(XChangeEntity(u"&#x1e;"), "x"); // row 30, by its hexadecimal code
}

TEST_F(EntitiesTest, AQuoteLineAlwaysGivesQuot)
{
    load("34|&dq;|z\r\n38|&amp;|&\r\n");
    EXPECT_EQ(EntityTable()[34].reference, "&quot;");
    EXPECT_EQ(EntityTable()[34].character, "\"");
    EXPECT_EQ(XChangeEntity(u"&quot;"), "\"");
    EXPECT_EQ(XChangeEntity(u"&dq;"), "");
    EXPECT_EQ(ReplaceEntities(u"&quot;a&quot; &amp; b"), "\"a\" & b");
}

TEST_F(EntitiesTest, LinesWithoutBarAreShownAndSkipped)
{
    const int before = LoggedLines("LoadEntityMapping");
    load("65|&A;|A\r\n\r\nno bar here\r\n66|&B;|B");
    // One message for all: the first bad line and how many more there were.
    ASSERT_EQ(m_prompter.questions().size(), 1u);
    // No language is loaded yet when the table is read: a built-in text stands in.
    EXPECT_TRUE(m_prompter.questions()[0].text.contains("line 2\r\n"));
    EXPECT_FALSE(m_prompter.questions()[0].text.contains("no bar here"));
    EXPECT_EQ(m_prompter.questions()[0].icon, PromptIcon::Critical);
    EXPECT_EQ(m_prompter.questions()[0].buttons, PromptButtons::Ok);
    EXPECT_EQ(LoggedLines("LoadEntityMapping"), before + 2);
    // The last line is read without a line break, and LF ends lines too.
    EXPECT_EQ(XChangeEntity(u"&B;"), "B");
    load("65|&A;|A\n66|&B;|B\n");
    EXPECT_EQ(XChangeEntity(u"&A;"), "A");
    EXPECT_EQ(XChangeEntity(u"&B;"), "B");
}

TEST_F(EntitiesTest, ABadCodeEndsTheLoadingKeepingTheRowsBefore)
{
    for (const QByteArray& bad : {QByteArray("2x6"), QByteArray("256"), QByteArray("-1")}) {
        const int before = LoggedLines("LoadEntityMapping");
        load("65|&A;|a\r\n" + bad + "|&bad;|b\r\n67|&C;|c\r\n");
        EXPECT_EQ(LoggedLines("LoadEntityMapping"), before + 1) << bad.constData();
        EXPECT_EQ(XChangeEntity(u"&A;"), "a");
        EXPECT_EQ(XChangeEntity(u"&bad;"), "");
        EXPECT_EQ(XChangeEntity(u"&C;"), "");
    }
}

TEST_F(EntitiesTest, WithoutATableNumericReferencesStillDecode)
{
    LoadEntityMapping(); // no file in the data folder
    EXPECT_EQ(EntityTable()[65].reference, "");
    EXPECT_EQ(ReplaceEntities(u"caf&#233; &amp; &eacute;"), u"caf\u00E9 &amp; &eacute;");
}

TEST(ReplaceEntities, LeavesWhatIsNoReferenceAsWritten)
{
    LoadEntityMapping();
    EXPECT_EQ(ReplaceEntities(u"x"), "x");
    EXPECT_EQ(ReplaceEntities(u""), "");
    EXPECT_EQ(ReplaceEntities(u"no references"), "no references");
    // A whole run of text must never vanish because of a stray "&".
    EXPECT_EQ(ReplaceEntities(u"Smith & Sons"), "Smith & Sons");
    EXPECT_EQ(ReplaceEntities(u"Smith & Sons; Jones &amp; Co"), "Smith & Sons; Jones & Co");
    EXPECT_EQ(ReplaceEntities(u"a &; b &#; c &#x; d &#12a; e&"), "a &; b &#; c &#x; d &#12a; e&");
    // A name the table does not know stays in the text.
    EXPECT_EQ(ReplaceEntities(u"1 &euro; 2"), "1 &euro; 2");
    // One pass: the result of a replacement is not read again.
    EXPECT_EQ(ReplaceEntities(u"&amp;lt;"), "&lt;");
    EXPECT_EQ(ReplaceEntities(u"x&amp;y"), "x&y");
    EXPECT_EQ(ReplaceEntities(u"&amp;&amp;"), "&&");
}

TEST(ReplaceEntities, DecodesEveryUnicodeCodePoint)
{
    LoadEntityMapping();
    EXPECT_EQ(ReplaceEntities(u"&#8364; &#x20AC; &#8220;a&#8221; &#x2013;"), u"\u20AC \u20AC \u201Ca\u201D \u2013");
    EXPECT_EQ(ReplaceEntities(u"&#x1F600;&#128512;"), u"\U0001F600\U0001F600");
    EXPECT_EQ(ReplaceEntities(u"&#xD800;&#57343;&#x110000;&#0;&#99999999999999999999;"),
              u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(ReplaceEntities, LongTextsAreReplacedWhole)
{
    LoadEntityMapping();
    const QString chunk = "Jansen &amp; Zonen ";
    const QString text = chunk.repeated(5000); // 95,000 characters
    EXPECT_EQ(ReplaceEntities(text), QString("Jansen & Zonen ").repeated(5000));
}

} // namespace
