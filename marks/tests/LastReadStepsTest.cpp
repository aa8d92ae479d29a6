// Closing and opening again: the real samples and a generated paper read
// through the open pipeline, real lists and text, a real usage file.
#include "marks/LastReadSteps.h"

#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/RunState.h"
#include "marks/UsageFile.h"
#include "render/TextState.h"
#include "settings/Options.h"
#include "tests/support/ReadingFixture.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// Two sections; the second holds 15 articles, the last of them long.
QByteArray GeneratedPaper()
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<krant><meta><krant-id>LANG-1</krant-id>"
                     "<krantnaam>Lange krant</krantnaam></meta>";
    for (int section = 1; section <= 2; ++section) {
        xml += "<rubriek><titel><head>Rubriek " + QByteArray::number(section) + "</head></titel>";
        const int articles = section == 1 ? 3 : 15;
        for (int a = 1; a <= articles; ++a) {
            xml += "<artikel><titel><head>Artikel " + QByteArray::number(section) + "." + QByteArray::number(a) +
                   "</head></titel>";
            const int paragraphs = a == 15 ? 800 : 2;
            for (int p = 0; p < paragraphs; ++p)
                xml += "<p>Alinea " + QByteArray::number(p) + " met wat tekst om de regel te vullen, en nog wat.</p>";
            xml += "</artikel>";
        }
        xml += "</rubriek>";
    }
    return xml + "</krant>";
}

class LastReadStepsTest : public ReadingFixture {
protected:
    void TearDown() override
    {
        CloseDocumentUsageFile();
        ResetProgramState(StoredSettings::Clear);
    }

    // Opening as the window does it: read, usage file, first level, last-read position.
    void open(const QString& path) { show(OpenDocumentFile(path, false, {})); }
    // The book with its own descriptor, as a package brings them.
    void openBook()
    {
        const QString temp = AppPaths::TempDir() + QLatin1Char('/');
        for (const char* name : {"boek.xml", "boek.xdf"})
            ASSERT_TRUE(QFile::copy(AppPaths::SamplesDir() + QStringLiteral("/boek/") + QLatin1String(name),
                                    temp + QLatin1String(name)));
        show(LoadDocumentFromWorkingFolder(QStringLiteral("/somewhere/boek.zip"), false));
    }
    void show(const OpenOutcome& outcome)
    {
        ASSERT_TRUE(outcome.opened()) << int(outcome.result);
        ASSERT_TRUE(OpenDocumentUsageFile());
        nav.ShowFirstLevel();
        RestoreLastReadPosition(nav, lists, viewer, [this](const QString& question) {
            questions << question;
            return answer;
        });
    }
    void openGenerated()
    {
        const QString path = AppPaths::UserDir() + QStringLiteral("/lang.xml");
        ASSERT_TRUE(TestHome::WriteFile(path, GeneratedPaper()));
        open(path);
    }
    // As File > Close: the position saved, then the lists emptied.
    void close()
    {
        SaveLastReadPosition(lists, viewer);
        CloseDocumentUsageFile();
        for (int i = 0; i < lists.count(); ++i)
            lists.clear(i);
        ::Run().DocumentOpen = false;
    }
    // Into entry row1 of the first list and row2 of the second, then the text at caret.
    void readTo(int row1, int row2, int caret)
    {
        openEntry(row1, row2);
        viewer.setSelStart(caret);
    }
    LastReadBookmark stored() const
    {
        UsageFile file;
        file.Open(UsageFilePathFor(::Run().DocumentId), AppPaths::DefaultDir() + QStringLiteral("/default.duf"));
        return file.LastRead();
    }
    static QString errorLog() { return QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath())); }
    QString newspaper() const { return AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml"); }

    QStringList questions;
    bool answer = true;
};

TEST_F(LastReadStepsTest, TheNewspaperReopensInTheSameArticleAtTheSameCaretWhenTheReaderSaysYes)
{
    open(newspaper());
    EXPECT_TRUE(questions.isEmpty()); // a fresh file has no date: nothing to ask
    EXPECT_EQ(::Run().CurrentLevel, 1);
    readTo(2, 1, 120);
    const QString article = lists.entries(2)[1];
    close();
    EXPECT_EQ(stored().id, QStringLiteral("00302"));
    EXPECT_EQ(stored().position, QStringLiteral("120"));

    open(newspaper());
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith(QStringLiteral("You last read this document on ")));
    EXPECT_TRUE(questions[0].contains(QString::number(QDate::currentDate().year())));
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_EQ(lists.ListIndex(1), 2);
    EXPECT_EQ(lists.ListIndex(2), 1);
    EXPECT_EQ(lists.entries(2)[1], article);
    EXPECT_EQ(viewer.SelStart(), 120);
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(host.focused, 9);
}

TEST_F(LastReadStepsTest, NoStartsAtTheFirstEntryAndOptionsOneAndTwoAreFollowedWithoutAsking)
{
    open(newspaper());
    readTo(3, 2, 40);
    close();

    answer = false;
    open(newspaper());
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(::Run().CurrentLevel, 1);
    EXPECT_EQ(lists.ListIndex(1), 0);
    EXPECT_EQ(::Run().LastReadPosition, -1);
    // Closing at the first entry of the list stores that, with no caret.
    close();
    EXPECT_EQ(stored().id, QStringLiteral("00100"));
    EXPECT_EQ(stored().position, QString());

    open(newspaper());
    readTo(3, 2, 40);
    close();
    Opts().OpenDocument = StartAtBeginning;
    open(newspaper());
    EXPECT_EQ(lists.ListIndex(1), 0);
    EXPECT_EQ(::Run().CurrentLevel, 1);
    close();

    open(newspaper());
    readTo(3, 2, 40);
    close();
    Opts().OpenDocument = StartAtLastRead;
    open(newspaper());
    EXPECT_EQ(questions.size(), 2); // still only the two asked with option 0
    EXPECT_EQ(lists.ListIndex(1), 3);
    EXPECT_EQ(lists.ListIndex(2), 2);
    EXPECT_EQ(viewer.SelStart(), 40);
}

TEST_F(LastReadStepsTest, ClosingInTheListStoresNoCaretAndReopensInTheList)
{
    open(newspaper());
    lists.setListIndex(1, 1);
    nav.LevelDown();
    lists.setListIndex(2, 3);
    close();
    EXPECT_EQ(stored().id, QStringLiteral("00204"));
    EXPECT_TRUE(stored().position.isEmpty());

    open(newspaper());
    EXPECT_EQ(::Run().CurrentLevel, 2);
    EXPECT_EQ(lists.ListIndex(1), 1);
    EXPECT_EQ(lists.ListIndex(2), 3);
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(host.focused, 2);
}

TEST_F(LastReadStepsTest, TheBookStoresItsFourthChapterAs00400)
{
    openBook();
    ASSERT_EQ(::Run().NavLevelCount, 1);
    lists.setListIndex(1, 3);
    close();
    EXPECT_EQ(stored().id, QStringLiteral("00400"));

    openBook();
    EXPECT_EQ(::Run().CurrentLevel, 1);
    EXPECT_EQ(lists.ListIndex(1), 3);
    EXPECT_TRUE(lists.entries(2).isEmpty());
    EXPECT_FALSE(viewer.isVisible());
}

TEST_F(LastReadStepsTest, ALongArticleIsRestoredAt00215WithItsCaretAboveSixteenBits)
{
    openGenerated();
    readTo(1, 14, 5210);
    close();
    EXPECT_EQ(stored().id, QStringLiteral("00215"));
    EXPECT_EQ(stored().position, QStringLiteral("5210"));
    openGenerated();
    EXPECT_EQ(lists.ListIndex(2), 14);
    EXPECT_EQ(viewer.SelStart(), 5210);

    ASSERT_GT(viewer.Text().size(), 40000);
    viewer.setSelStart(40000);
    close();
    EXPECT_EQ(stored().position, QStringLiteral("40000"));
    openGenerated();
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_EQ(viewer.SelStart(), 40000);
    EXPECT_EQ(::Run().LastReadPosition, 40000);
}

TEST_F(LastReadStepsTest, TheShownSearchResultIsStoredNotTheListsOldSelection)
{
    open(newspaper());
    readTo(0, 0, 10);
    // A search result from another section is shown while the lists keep their selections.
    lists.setListIndex(1, 4);
    nav.LoadLevelTitles(2);
    lists.setListIndex(2, 2);
    const int32_t shownId = nav.SelectedId(2);
    lists.setListIndex(1, 0);
    nav.LoadLevelTitles(2);
    assembly.LoadText(shownId, 25, QString());
    ASSERT_EQ(Txt().CurrentHeadId, shownId);
    viewer.setSelStart(25);
    close();
    EXPECT_EQ(stored().id, QStringLiteral("00503"));
    EXPECT_EQ(stored().position, QStringLiteral("25"));
}

TEST_F(LastReadStepsTest, StalePlacesGiveTheFirstEntryOrTheTextsEndAndALogLine)
{
    open(newspaper());
    ASSERT_TRUE(DocumentUsageFile().SaveLastRead(QStringLiteral("2026-12-05T10:00:00"), QStringLiteral("09901"),
                                                 QStringLiteral("10")));
    CloseDocumentUsageFile();
    Opts().OpenDocument = StartAtLastRead;
    open(newspaper());
    EXPECT_EQ(::Run().CurrentLevel, 1);
    EXPECT_EQ(lists.ListIndex(1), 0);
    EXPECT_TRUE(errorLog().contains(QStringLiteral("09901"))) << errorLog().toStdString();

    ASSERT_TRUE(DocumentUsageFile().SaveLastRead(QStringLiteral("2026-12-05T10:00:00"), QStringLiteral("00101"),
                                                 QStringLiteral("999999")));
    CloseDocumentUsageFile();
    open(newspaper());
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_EQ(viewer.SelStart(), viewer.Text().size());
    EXPECT_TRUE(errorLog().contains(QStringLiteral("999999")));
}

TEST_F(LastReadStepsTest, AnUnreadableDateAsksNothingAndTheStoredPlaceIsTaken)
{
    open(newspaper());
    ASSERT_TRUE(DocumentUsageFile().SaveLastRead(QStringLiteral("ooit"), QStringLiteral("00203"), QStringLiteral("7")));
    CloseDocumentUsageFile();
    open(newspaper());
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(lists.ListIndex(1), 1);
    EXPECT_EQ(viewer.SelStart(), 7);
}

} // namespace
