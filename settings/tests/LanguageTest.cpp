#include "settings/modLanguage.h"

#include "app/core/AppPaths.h"
#include "settings/tests/LanguageFixture.h"
#include "tests/support/ScriptedPrompter.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// Error-log lines written for the named procedure.
int LoggedLines(const QString& procedure)
{
    const QString log = QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath()));
    return static_cast<int>(log.count(QStringLiteral(" - ") + procedure + QLatin1Char(',')));
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_languages.isValid());
        SetLanguageAppliedHook([this] { ++m_applied; });
    }
    void TearDown() override { SetLanguageAppliedHook({}); }

    void write(const QString& name, const QByteArray& bytes) { ASSERT_TRUE(m_languages.write(name + ".lng", bytes)); }

    TempLanguages m_languages;
    ScriptedPrompter m_prompter;
    int m_applied = 0;
};

TEST_F(LanguageTest, ReadsNumberedTextsAndSkipsComments)
{
    write("Basic", "; a comment line\r\n"
                   "\r\n"
                   "  10 |  Open  the   book  \r\n"
                   ";11|commented out\r\n"
                   "12|a|b | c\r\n"
                   "13|first\r\n"
                   "+13|second\r\n");
    LoadLang("Basic");
    EXPECT_EQ(T(10), "Open  the   book");
    EXPECT_EQ(T(11), "");
    EXPECT_EQ(T(12), "a|b | c");
    EXPECT_EQ(T(13), "second");
    EXPECT_EQ(CurrentLanguage(), "Basic");
    EXPECT_EQ(m_applied, 1);
    EXPECT_TRUE(m_prompter.questions().empty());
}

TEST_F(LanguageTest, ExpandsParameterAndLineBreaksWhenFetched)
{
    write("Params", "20|Open %s, then %s.\\nDone\n21|no marker\n22|100%S %s\n");
    LoadLang("Params");
    EXPECT_EQ(T(20, "X"), "Open X, then X.\r\nDone");
    EXPECT_EQ(SetLangTxt(20), "Open , then .\r\nDone");
    EXPECT_EQ(T(21, "ignored"), "no marker");
    EXPECT_EQ(T(22, "p"), "100%S p"); // the marker is case-sensitive
}

TEST_F(LanguageTest, ReadsLfAndCrLfFilesAndALastLineWithoutBreak)
{
    write("CrLf", "30|crlf one\r\n31|crlf two");
    LoadLang("CrLf");
    EXPECT_EQ(T(30), "crlf one");
    EXPECT_EQ(T(31), "crlf two");

    write("Lf", "32|lf one\n33|lf two\n34|last");
    LoadLang("Lf");
    EXPECT_EQ(T(32), "lf one");
    EXPECT_EQ(T(33), "lf two");
    EXPECT_EQ(T(34), "last");
}

TEST_F(LanguageTest, DecodesWindows1252AndUtf8Files)
{
    write("Ansi", "40|caf\xE9 \x80 \x93quoted\x94\r\n");
    LoadLang("Ansi");
    EXPECT_EQ(T(40), QString::fromUtf8("café € “quoted”"));

    write("Utf8", "\xEF\xBB\xBF"
                  "41|caf\xC3\xA9\r\n");
    LoadLang("Utf8");
    EXPECT_EQ(T(41), QString::fromUtf8("café"));
    EXPECT_TRUE(m_prompter.questions().empty()); // the byte-order mark does not spoil the first line
}

TEST_F(LanguageTest, MissingFileChangesNothingButStillApplies)
{
    write("Known", "50|kept\r\n");
    LoadLang("Known");
    LoadLang("NoSuchLanguage");
    EXPECT_EQ(T(50), "kept");
    EXPECT_EQ(CurrentLanguage(), "Known");
    EXPECT_EQ(m_applied, 2);
    EXPECT_TRUE(m_prompter.questions().empty());
}

TEST_F(LanguageTest, SwitchingLanguageKeepsTextsTheNewFileLacks)
{
    write("First", "60|one\r\n61|two\r\n");
    write("Second", "60|een\r\n");
    LoadLang("First");
    LoadLang("Second");
    EXPECT_EQ(T(60), "een");
    EXPECT_EQ(T(61), "two");
    EXPECT_EQ(CurrentLanguage(), "Second");
}

TEST_F(LanguageTest, MalformedLinesAreReportedAndSkipped)
{
    write("Bad", "1850|Bad line: %s\r\n"
                 "no bar here\r\n"
                 "12a|letters\r\n"
                 "1.5|fraction\r\n"
                 " |no number\r\n"
                 "70|good\r\n");
    const int logged = LoggedLines("LoadLang");
    LoadLang("Bad");
    // One message: the first bad line and how many more followed; the log names each.
    ASSERT_EQ(m_prompter.questions().size(), 1u);
    const auto& q = m_prompter.questions()[0];
    EXPECT_TRUE(q.text.startsWith("Bad line: 2no bar here\r\n")) << q.text.toStdString();
    EXPECT_TRUE(q.text.contains('3')) << q.text.toStdString();
    EXPECT_EQ(q.icon, PromptIcon::Critical);
    EXPECT_EQ(q.buttons, PromptButtons::Ok);
    EXPECT_EQ(LoggedLines("LoadLang"), logged + 4);
    EXPECT_EQ(T(70), "good");
    EXPECT_EQ(m_applied, 1);
}

TEST_F(LanguageTest, NumberOutOfRangeStopsLoadingThroughTheErrorLog)
{
    write("Base", "80|old 80\r\n81|old 81\r\n");
    for (const char* number : {"2001", "-1", "70000"}) {
        SCOPED_TRACE(number);
        LoadLang("Base");
        m_applied = 0;
        const int logged = LoggedLines("LoadLang");
        write("Broken", "80|new 80\r\n" + QByteArray(number) + "|x\r\n81|new 81\r\n");
        LoadLang("Broken");
        EXPECT_EQ(T(80), "new 80");
        EXPECT_EQ(T(81), "old 81");
        EXPECT_EQ(m_applied, 0);
        EXPECT_EQ(CurrentLanguage(), "Base");
        EXPECT_EQ(LoggedLines("LoadLang"), logged + 1);
    }
    const QString log = QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath()));
    EXPECT_TRUE(log.contains("LoadLang,Store the text of line 2 of the language file,9,Subscript out of range,"));
    EXPECT_TRUE(m_prompter.questions().empty());
}

TEST_F(LanguageTest, FetchingOutsideTheTableIsEmptyAndLogged)
{
    write("Edge", "0|zero\r\n2000|last\r\n");
    LoadLang("Edge");
    EXPECT_EQ(T(0), "zero");
    EXPECT_EQ(T(2000), "last");
    const int logged = LoggedLines("SetLangTxt");
    EXPECT_EQ(T(2001), "");
    EXPECT_EQ(T(-1, "p"), "");
    EXPECT_EQ(LoggedLines("SetLangTxt"), logged + 2);
}

TEST_F(LanguageTest, ShowLanguageListsFilesAndFoldersEndingInLng)
{
    write("Nederlands", "");
    ASSERT_TRUE(m_languages.write("english.LNG", ""));
    ASSERT_TRUE(m_languages.write("notes.txt", ""));
    ASSERT_TRUE(m_languages.write("Deutsch.lng/inside.txt", "")); // a folder named like a language file
    EXPECT_EQ(ShowLanguage(), QStringList({"Deutsch", "english", "Nederlands"}));
}

} // namespace
