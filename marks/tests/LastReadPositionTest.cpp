// Location ids, dates, the decision at opening, and the usage file's step of opening.
#include "marks/LastReadPosition.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "settings/modLanguage.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(LocationId, ListRowsBecomeFiveDigitIdsAndBack)
{
    EXPECT_EQ(LocationId({2, 6}, 2), QStringLiteral("00307"));
    EXPECT_EQ(LocationId({11, 5}, 1), QStringLiteral("01200")); // one level: no second part
    EXPECT_EQ(LocationId({1, 14}, 2), QStringLiteral("00215"));
    EXPECT_EQ(LocationId({3, -1}, 1), QStringLiteral("00400"));
    // Past 327 sections the number no longer fits 16 bits.
    EXPECT_EQ(LocationId({399, 0}, 2), QStringLiteral("40001"));
    EXPECT_EQ(LocationId({40000, 98}, 2), QStringLiteral("4000199"));

    const auto place = ParseLocationId(QStringLiteral("00215"));
    ASSERT_TRUE(place);
    EXPECT_EQ(place->level1, 1);
    EXPECT_EQ(place->level2, 14);
    const auto single = ParseLocationId(QStringLiteral("00400"));
    ASSERT_TRUE(single);
    EXPECT_EQ(single->level1, 3);
    EXPECT_EQ(single->level2, -1);
    const auto wide = ParseLocationId(QStringLiteral("4000199"));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->level1, 40000);
    EXPECT_EQ(wide->level2, 98);
    EXPECT_FALSE(ParseLocationId(QStringLiteral("abc")));
    EXPECT_FALSE(ParseLocationId(QStringLiteral("-0307")));
}

TEST(LastReadDate, WrittenWithAFourDigitYearAndReadBackInEachForm)
{
    const QDateTime when(QDate(2026, 12, 5), QTime(14, 30));
    for (const char* name : {"nl_NL", "en_US", "de_DE", "en_GB"}) {
        const QLocale locale{QString::fromLatin1(name)};
        const QString text = LastReadDateText(when, locale);
        EXPECT_TRUE(text.contains(QStringLiteral("2026"))) << name << " " << text.toStdString();
        EXPECT_EQ(ParseLastReadDate(text, locale), when) << name << " " << text.toStdString();
    }
    const QLocale dutch(QStringLiteral("nl_NL"));
    EXPECT_EQ(LastReadDateText(when, dutch), QStringLiteral("05-12-2026 14:30"));
    // Another program's two-digit year is this century, not the last.
    const QLocale american(QStringLiteral("en_US"));
    const QDateTime twoDigits = ParseLastReadDate(american.toString(when, QLocale::ShortFormat), american);
    EXPECT_EQ(twoDigits.date(), QDate(2026, 12, 5));
    EXPECT_EQ(ParseLastReadDate(QStringLiteral("2026-12-05T14:30:00"), dutch), when);
    EXPECT_EQ(ParseLastReadDate(QStringLiteral("2026-12-05T14:30:00.250"), american).date(), QDate(2026, 12, 5));
    EXPECT_FALSE(ParseLastReadDate(QStringLiteral("gisteren"), dutch).isValid());
    EXPECT_FALSE(ParseLastReadDate(QStringLiteral("31-02-2026 10:00"), dutch).isValid());
    EXPECT_FALSE(ParseLastReadDate(QString(), dutch).isValid());
}

TEST(GoToLastReadPosition, FollowsTheOptionAndAsksOnlyWhenItShould)
{
    int asked = 0;
    auto yes = [&] { return ++asked, true; };
    auto no = [&] { return ++asked, false; };
    EXPECT_TRUE(GoToLastReadPosition(AskForPosition, true, yes));
    EXPECT_FALSE(GoToLastReadPosition(AskForPosition, true, no));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(GoToLastReadPosition(AskForPosition, false, no)); // no date: not asked
    EXPECT_FALSE(GoToLastReadPosition(StartAtBeginning, true, yes));
    EXPECT_TRUE(GoToLastReadPosition(StartAtLastRead, true, no));
    EXPECT_TRUE(GoToLastReadPosition(StartAtLastRead, false, no));
    EXPECT_EQ(asked, 2);
}

class LastReadOpeningTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        LoadLang(QStringLiteral("English"));
        ::Run().DocumentId = QStringLiteral("paper-0412");
        path = AppPaths::DufDir() + QStringLiteral("/paper-0412.duf");
    }
    void TearDown() override
    {
        CloseDocumentUsageFile();
        QDir(AppPaths::DufDir()).removeRecursively();
    }
    ScriptedPrompter prompter;
    QString path;
};

TEST_F(LastReadOpeningTest, TheAnswerRemembered)
{
    RememberLastReadAnswer(false);
    EXPECT_EQ(Opts().OpenDocument, StartAtBeginning);
    EXPECT_EQ(GetSetting(QStringLiteral("StartAtLastReadPosition")), QStringLiteral("1"));
    RememberLastReadAnswer(true);
    EXPECT_EQ(GetSetting(QStringLiteral("StartAtLastReadPosition")), QStringLiteral("2"));
    // What is stored is what the next run reads.
    Opts().SetDefaults();
    LoadSettings();
    EXPECT_EQ(Opts().OpenDocument, StartAtLastRead);
}

TEST_F(LastReadOpeningTest, ADamagedFileIsReportedAndKeptWhenTheReaderSaysNo)
{
    const QByteArray damaged("<usage><bookmark id=\"0\"></usage>");
    ASSERT_TRUE(TestHome::WriteFile(path, damaged));
    prompter.answer(PromptAnswer::Ok);
    prompter.answer(PromptAnswer::No);
    EXPECT_FALSE(OpenDocumentUsageFile());
    EXPECT_FALSE(::Run().DufDoc);
    ASSERT_EQ(prompter.questions().size(), 2u);
    const auto& message = prompter.questions()[0];
    EXPECT_EQ(message.icon, PromptIcon::Critical);
    EXPECT_TRUE(message.title.isEmpty());
    const QStringList lines = message.text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Could not load the file 'paper-0412.duf'!"));
    EXPECT_TRUE(lines[1].contains(QRegularExpression(QStringLiteral("^\\d+ - \\S")))) << lines[1].toStdString();
    EXPECT_EQ(prompter.questions()[1].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.questions()[1].defaultAnswer, PromptAnswer::No);
    EXPECT_EQ(TestHome::ReadFile(path), damaged);
    EXPECT_EQ(QDir(AppPaths::DufDir()).entryList(QDir::Files).size(), 1);
}

TEST_F(LastReadOpeningTest, AFreshFileWhenTheReaderSaysYesWithTheDamagedOneKept)
{
    const QByteArray damaged("not xml at all");
    ASSERT_TRUE(TestHome::WriteFile(path, damaged));
    prompter.answer(PromptAnswer::Ok);
    prompter.answer(PromptAnswer::Yes);
    EXPECT_TRUE(OpenDocumentUsageFile());
    ASSERT_TRUE(::Run().DufDoc);
    EXPECT_EQ(TestHome::ReadFile(path), TestHome::ReadFile(AppPaths::DefaultDir() + QStringLiteral("/default.duf")));
    const QStringList aside =
        QDir(AppPaths::DufDir()).entryList({QStringLiteral("paper-0412.duf.damaged-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(TestHome::ReadFile(AppPaths::DufDir() + QLatin1Char('/') + aside[0]), damaged);
}

} // namespace
