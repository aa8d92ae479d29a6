// Bookmarks and annotations over the real samples: the open pipeline, the
// lists, the text in a real QTextDocument and the usage file on disk.
#include "marks/MarkSteps.h"

#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/RunState.h"
#include "marks/LastReadSteps.h"
#include "marks/UsageFile.h"
#include "navigation/NavList.h"
#include "navigation/NavigationHost.h"
#include "navigation/Navigator.h"
#include "package/DocumentOpening.h"
#include "package/NavIndex.h"
#include "render/ColourContrast.h"
#include "render/TextAssembly.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "settings/Options.h"
#include "tests/support/FreshState.h"
#include "tests/support/ReadingFixture.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// Two sections of three articles; line breaks and a character outside the
// BMP stand before the words the marks go on.
QByteArray PaperWithClefs()
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<krant><meta><krant-id>CLEF-1</krant-id>"
                     "<krantnaam>Sleutelkrant</krantnaam></meta>";
    for (int section = 1; section <= 2; ++section) {
        xml += "<rubriek><titel><head>Rubriek " + QByteArray::number(section) + "</head></titel>";
        for (int a = 1; a <= 3; ++a) {
            xml += "<artikel><titel><head>Artikel " + QByteArray::number(section) + "." + QByteArray::number(a) +
                   "</head></titel><p>Muziek \xF0\x9D\x84\x9E in de zaal.</p><p>Tweede alinea.</p>"
                   "<p>De stormwaarschuwing kwam laat in artikel " +
                   QByteArray::number(section * 10 + a) + ".</p></artikel>";
        }
        xml += "</rubriek>";
    }
    return xml + "</krant>";
}

// The usage file of the open document as it is on disk.
StoredMarks OnDisk()
{
    DomDocument doc;
    EXPECT_TRUE(doc.load(UsageFilePathFor(::Run().DocumentId)));
    return ReadMarks(doc);
}

class MarkStepsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareForReading());
        QDir(AppPaths::DufDir()).removeRecursively();
        assembly.ColourMarks = HighLightMarks;
    }
    void TearDown() override
    {
        CloseDocumentUsageFile();
        ResetProgramState(StoredSettings::Clear);
        MarksChanged();
        ForgetShownMarks();
    }

    void open(const QString& path)
    {
        const OpenOutcome outcome = OpenDocumentFile(path, false, {});
        ASSERT_TRUE(outcome.opened()) << int(outcome.result);
        ASSERT_TRUE(OpenDocumentUsageFile());
        MarksChanged();
        nav.ShowFirstLevel();
        RestoreLastReadPosition(nav, lists, viewer, [](const QString&) { return true; });
    }
    void openNewspaper() { open(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml")); }
    void openClefs()
    {
        const QString path = AppPaths::UserDir() + QStringLiteral("/clefs.xml");
        ASSERT_TRUE(TestHome::WriteFile(path, PaperWithClefs()));
        open(path);
    }
    void openBook()
    {
        const QString temp = AppPaths::TempDir() + QLatin1Char('/');
        for (const char* name : {"boek.xml", "boek.xdf"})
            ASSERT_TRUE(QFile::copy(AppPaths::SamplesDir() + QStringLiteral("/boek/") + QLatin1String(name),
                                    temp + QLatin1String(name)));
        ASSERT_TRUE(LoadDocumentFromWorkingFolder(QStringLiteral("/somewhere/boek.zip"), false).opened());
        ASSERT_TRUE(OpenDocumentUsageFile());
        MarksChanged();
        nav.ShowFirstLevel();
    }
    void close()
    {
        SaveLastReadPosition(lists, viewer);
        CloseDocumentUsageFile();
        for (int i = 0; i < lists.count(); ++i)
            lists.clear(i);
        ::Run().DocumentOpen = false;
        MarksChanged();
    }
    // Into the text of row1 of the first list and row2 of the second, the caret at caret.
    void readTo(int row1, int row2, int caret)
    {
        ::Run().CurrentLevel = 1;
        lists.setListIndex(1, row1);
        nav.LevelDown();
        if (::Run().NavLevelCount > 1) {
            lists.setListIndex(2, row2);
            nav.LevelDown();
        }
        ASSERT_EQ(::Run().CurrentLevel, 9);
        viewer.setSelStart(caret);
    }
    MarkSpot spot() const
    {
        const std::optional<MarkSpot> s = CurrentMarkSpot(nav, lists, viewer);
        EXPECT_TRUE(s.has_value());
        return s.value_or(MarkSpot());
    }
    int caretAt(int position)
    {
        viewer.setSelStart(position);
        return viewer.SelStart();
    }
    ToggleResult toggleAt(int caret)
    {
        viewer.setSelStart(caret);
        return ToggleBookmark(spot(), viewer.Text());
    }
    // The character formatting at a position of the shown text.
    QTextCharFormat formatAt(int position)
    {
        viewer.setSelStart(position);
        viewer.setSelLength(1);
        const QTextCharFormat format = viewer.SelCharFormat();
        viewer.setSelStart(position);
        return format;
    }
    bool coloured(int position, int colour)
    {
        return TextViewer::FromQColor(formatAt(position).foreground().color()) == colour;
    }
    static QString errorLog() { return QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath())); }

    ScriptedPrompter prompter;
    NavList lists{3};
    TextViewer viewer;
    TextAssembly assembly{viewer};
    RecordingHost host;
    Navigator nav{lists, viewer, assembly, host};
};

TEST_F(MarkStepsTest, TogglingAddsThenAsksTwiceAndEachCancelKeepsTheBookmark)
{
    openNewspaper();
    readTo(2, 1, 0);
    const QString entry = lists.entries(2)[1];
    EXPECT_EQ(toggleAt(120), ToggleResult::Added);
    EXPECT_TRUE(prompter.questions().empty());
    StoredMarks disk = OnDisk();
    ASSERT_EQ(disk.bookmarks.size(), 1u);
    EXPECT_EQ(disk.bookmarks[0].id, QStringLiteral("1"));
    EXPECT_EQ(disk.bookmarks[0].place.location, 302);
    EXPECT_EQ(disk.bookmarks[0].place.position, 120);
    // The heading's own text, without the word count the list adds.
    EXPECT_EQ(disk.bookmarks[0].title, entry.section(QStringLiteral(" ["), 0, 0) + QStringLiteral("120"));
    readTo(2, 1, 0);
    EXPECT_TRUE(coloured(120, Opts().BookmarkColor)) << "coloured once the text is built again";
    EXPECT_FALSE(coloured(121, Opts().BookmarkColor));

    prompter.answer(PromptAnswer::Cancel);
    EXPECT_EQ(toggleAt(120), ToggleResult::Kept);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].title, QStringLiteral("Bookmark already set"));

    prompter.clear();
    prompter.answer(PromptAnswer::Ok);
    prompter.answer(PromptAnswer::Cancel);
    EXPECT_EQ(toggleAt(120), ToggleResult::Kept);
    ASSERT_EQ(prompter.questions().size(), 2u);
    // The question names the bookmark at the caret, not a row of a list never shown.
    EXPECT_TRUE(prompter.questions()[1].text.contains(disk.bookmarks[0].title))
        << prompter.questions()[1].text.toStdString();
    EXPECT_EQ(OnDisk().bookmarks.size(), 1u);

    prompter.answer(PromptAnswer::Ok);
    prompter.answer(PromptAnswer::Ok);
    EXPECT_EQ(toggleAt(120), ToggleResult::Removed);
    EXPECT_TRUE(OnDisk().bookmarks.empty());
    EXPECT_EQ(UserBookmarkCount(), 0);
}

TEST_F(MarkStepsTest, TheLastReadPlaceIsNoBookmarkToRemoveButIsATargetToGoTo)
{
    openNewspaper();
    readTo(1, 0, 60);
    close();
    openNewspaper();
    ASSERT_EQ(::Run().CurrentLevel, 9);
    ASSERT_EQ(viewer.SelStart(), 60);
    EXPECT_EQ(toggleAt(60), ToggleResult::Added);
    EXPECT_TRUE(prompter.questions().empty()) << "no question about a bookmark the reader never set";
    const LastReadBookmark lastRead = ReadLastReadBookmark(*::Run().DufDoc);
    EXPECT_EQ(lastRead.position, QStringLiteral("60"));

    viewer.setSelStart(10);
    const std::optional<MarkTarget> next = NextBookmark(spot().place, true);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->place.position, 60);
}

TEST_F(MarkStepsTest, NextAndPreviousGoInReadingOrderAcrossArticlesAndShowTheTarget)
{
    openNewspaper();
    readTo(2, 1, 0);
    // Carets the text takes (none between the two characters of a line break).
    const int late = caretAt(900);
    const int early = caretAt(300);
    ASSERT_EQ(toggleAt(late), ToggleResult::Added);
    ASSERT_EQ(toggleAt(early), ToggleResult::Added);
    readTo(4, 0, 0);
    ASSERT_EQ(toggleAt(5), ToggleResult::Added);
    readTo(0, 0, 0);
    ASSERT_EQ(toggleAt(200), ToggleResult::Added); // made last, first in the paper

    readTo(2, 1, 100);
    std::optional<MarkTarget> target = NextBookmark(spot().place, true);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->place.location, 302);
    EXPECT_EQ(target->place.position, early);
    ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
    EXPECT_EQ(viewer.SelStart(), early);
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_EQ(host.focused, 9);

    target = NextBookmark(spot().place, true);
    ASSERT_TRUE(target);
    ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
    EXPECT_EQ(viewer.SelStart(), late);
    target = NextBookmark(spot().place, true);
    ASSERT_TRUE(target);
    ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
    EXPECT_EQ(lists.ListIndex(1), 4);
    EXPECT_EQ(lists.ListIndex(2), 0);
    EXPECT_EQ(viewer.SelStart(), 5);
    EXPECT_TRUE(coloured(5, Opts().BookmarkColor));
    EXPECT_FALSE(NextBookmark(spot().place, true)) << "nothing after the last";

    target = NextBookmark(spot().place, false);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->place.position, late);
    readTo(1, 0, 0);
    target = NextBookmark(spot().place, false);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->place.location, 101);
    EXPECT_EQ(target->place.position, 200);
}

TEST_F(MarkStepsTest, AMarkGoesOnTheShownTextAndAJumpShowsItsTargetNotTheSearchResult)
{
    openNewspaper();
    readTo(0, 0, 0);
    const int32_t shownId = nav.SelectedId(2);
    // The lists move on while the text of a search result stays shown.
    lists.setListIndex(1, 4);
    nav.LoadLevelTitles(2);
    lists.setListIndex(2, 2);
    ASSERT_EQ(Txt().CurrentHeadId, shownId);
    ASSERT_EQ(toggleAt(33), ToggleResult::Added);
    EXPECT_EQ(OnDisk().bookmarks[0].place.location, 101);

    // In search mode the results list names another text: the jump shows the mark's own.
    ::Run().GlobalSearchMode = true;
    Txt().SearchText = QStringLiteral("de");
    Txt().FoundIds = {nav.SelectedId(2)};
    lists.setEntries(0, {QStringLiteral("result")});
    lists.setListIndex(0, 0);
    const std::optional<MarkTarget> target = BookmarkTarget(QStringLiteral("1"));
    ASSERT_TRUE(target);
    ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
    EXPECT_EQ(Txt().CurrentHeadId, shownId);
    EXPECT_EQ(viewer.SelStart(), 33);
    EXPECT_FALSE(::Run().GlobalSearchMode);

    // Outside the text a bookmark goes on the start of the entry that would be opened.
    ::Run().CurrentLevel = 2;
    lists.setListIndex(2, 1);
    viewer.setSelStart(50);
    const MarkSpot outside = spot();
    EXPECT_FALSE(outside.inText);
    EXPECT_EQ(outside.place.location, 102);
    EXPECT_EQ(outside.place.position, 0);
}

TEST_F(MarkStepsTest, AThirteenCharacterNoteIsStoredColouredUnderlinedAndFoundFromItsRange)
{
    openNewspaper();
    readTo(2, 1, 0);
    const int start = 50;
    const QString words = viewer.Text().mid(start, 13);
    viewer.setSelStart(start);
    viewer.setSelLength(13);
    const MarkSpot here = spot();
    ASSERT_TRUE(SaveNewAnnotation(here, viewer.SelLength(), words, QStringLiteral("Call the harbour."), viewer.Text()));
    // A bookmark inside the note is coloured too, but is no note of its own.
    ASSERT_EQ(toggleAt(70), ToggleResult::Added);
    const StoredMarks disk = OnDisk();
    ASSERT_EQ(disk.annotations.size(), 1u);
    EXPECT_EQ(disk.annotations[0].place.position, start);
    EXPECT_EQ(disk.annotations[0].length, 13);
    EXPECT_EQ(disk.annotations[0].title, words);

    readTo(2, 1, 0);
    const int colour = Opts().AnnotationColor;
    for (int p = start; p < start + 13; ++p) {
        EXPECT_TRUE(coloured(p, colour)) << p;
        EXPECT_TRUE(formatAt(p).fontUnderline()) << p;
    }
    EXPECT_FALSE(formatAt(start + 13).fontUnderline());
    EXPECT_EQ(AnnotationAt(start - 1), nullptr);
    ASSERT_NE(AnnotationAt(start), nullptr);
    EXPECT_EQ(AnnotationAt(start + 12)->id, QStringLiteral("1"));
    EXPECT_EQ(AnnotationAt(start + 13), nullptr);
    ASSERT_TRUE(coloured(70, Opts().BookmarkColor));
    EXPECT_FALSE(formatAt(70).fontUnderline());

    // An adjacent note and an overlapping later one: the stored ranges tell them apart.
    viewer.setSelStart(start + 13);
    ASSERT_TRUE(SaveNewAnnotation(spot(), 5, QStringLiteral("next"), QStringLiteral("n"), viewer.Text()));
    viewer.setSelStart(start + 10);
    ASSERT_TRUE(SaveNewAnnotation(spot(), 2, QStringLiteral("inner"), QStringLiteral("i"), viewer.Text()));
    readTo(2, 1, 0);
    EXPECT_EQ(AnnotationAt(start + 9)->id, QStringLiteral("1"));
    EXPECT_EQ(AnnotationAt(start + 10)->id, QStringLiteral("3"));
    EXPECT_EQ(AnnotationAt(start + 13)->id, QStringLiteral("2"));

    // Editing changes the title, text and date only; deleting asks with the title.
    ASSERT_TRUE(UpdateAnnotation(QStringLiteral("1"), QStringLiteral("Storm"), QStringLiteral("line\n\tnext ")));
    const StoredAnnotation edited = OnDisk().annotations[0];
    EXPECT_EQ(edited.text, QStringLiteral("line\n\tnext "));
    EXPECT_EQ(edited.title, QStringLiteral("Storm"));
    EXPECT_EQ(edited.place.position, start);
    prompter.answer(PromptAnswer::Cancel);
    EXPECT_FALSE(DeleteAnnotation(QStringLiteral("1")));
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, QStringLiteral("Do you want to delete the annotation Storm?"));
    prompter.answer(PromptAnswer::Ok);
    EXPECT_TRUE(DeleteAnnotation(QStringLiteral("1")));
    EXPECT_EQ(OnDisk().annotations.size(), 2u);
}

TEST_F(MarkStepsTest, MarksOnSeveralArticlesComeBackOnTheSameCharactersAfterReopening)
{
    openClefs();
    struct Made {
        int row1, row2, at;
        QString text;
    };
    std::vector<Made> made;
    for (auto [row1, row2] : {std::pair{0, 1}, std::pair{1, 2}}) {
        readTo(row1, row2, 0);
        ASSERT_TRUE(viewer.Text().contains(QStringLiteral("\r\n")));
        const int at = int(viewer.Text().indexOf(QStringLiteral("stormwaarschuwing")));
        ASSERT_GT(at, viewer.Text().indexOf(QChar(0xD834)));
        ASSERT_EQ(toggleAt(at), ToggleResult::Added);
        viewer.setSelStart(at + 5);
        ASSERT_TRUE(SaveNewAnnotation(spot(), 12, QStringLiteral("w"), QStringLiteral("note"), viewer.Text()));
        made.push_back({row1, row2, at, viewer.Text().mid(at, 17)});
    }
    close();
    ResetRunState();
    ResetTextState();
    openClefs();

    for (const Made& m : made) {
        readTo(m.row1, m.row2, 0);
        EXPECT_EQ(viewer.Text().mid(m.at, 17), m.text);
        EXPECT_TRUE(coloured(m.at, Opts().BookmarkColor));
        EXPECT_TRUE(formatAt(m.at + 5).fontUnderline());
        EXPECT_TRUE(formatAt(m.at + 16).fontUnderline());
        EXPECT_FALSE(formatAt(m.at + 17).fontUnderline());
    }
    readTo(0, 0, 0);
    std::optional<MarkTarget> target = NextAnnotation(spot().place, true);
    ASSERT_TRUE(target);
    ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
    EXPECT_EQ(viewer.SelStart(), made[0].at + 5);
    EXPECT_EQ(lists.ListIndex(2), 1);
    target = NextBookmark(spot().place, true);
    ASSERT_TRUE(target);
    ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
    EXPECT_EQ(lists.ListIndex(1), 1);
    EXPECT_EQ(lists.ListIndex(2), 2);
    EXPECT_EQ(viewer.SelStart(), made[1].at);
}

TEST_F(MarkStepsTest, TheBooksMarksEndIn00AndAJumpSelectsTheChapter)
{
    openBook();
    ASSERT_EQ(::Run().NavLevelCount, 1);
    readTo(3, -1, 0);
    ASSERT_EQ(toggleAt(44), ToggleResult::Added);
    EXPECT_EQ(OnDisk().bookmarks[0].place.location, 400);
    readTo(0, -1, 0);
    const std::optional<MarkTarget> target = NextBookmark(spot().place, true);
    ASSERT_TRUE(target);
    ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
    EXPECT_EQ(lists.ListIndex(1), 3);
    EXPECT_EQ(viewer.SelStart(), 44);
}

TEST_F(MarkStepsTest, MarksBeyondTheTwoPartNumbersKeepTheirOwnEntryAndReadingOrder)
{
    // A third level, and a section of 100 articles: neither fits a two-part number.
    const QString temp = AppPaths::TempDir() + QLatin1Char('/');
    QByteArray book = "<boek><info><titel>Drie niveaus</titel><id>DRIE-1</id></info><deel><titel><head>Deel 1</head>"
                      "</titel><hoofdstuk><titel><head>Hoofdstuk 1.1</head></titel>";
    for (const char* par : {"A", "B", "C"})
        book += QByteArray("<par><titel><head>Paragraaf ") + par + "</head></titel><p>Tekst van paragraaf " + par +
                " over de storm.</p></par>";
    book += "</hoofdstuk></deel></boek>";
    ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("boek.xml"), book));
    ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("boek.xdf"),
                                    "DOC_ID_TAG=id\nDOC_TITLE_TAG=titel\nNAV_LEVEL1=deel/titel/head\n"
                                    "NAV_LEVEL2=hoofdstuk/titel/head\nNAV_LEVEL3=par/titel/head\n"));
    ASSERT_TRUE(LoadDocumentFromWorkingFolder(QStringLiteral("/somewhere/boek.zip"), false).opened());
    ASSERT_TRUE(OpenDocumentUsageFile());
    MarksChanged();
    nav.ShowFirstLevel();
    ASSERT_EQ(::Run().NavLevelCount, 3);
    const auto readParagraph = [&](int row) {
        ::Run().CurrentLevel = 1;
        lists.setListIndex(1, 0);
        nav.LevelDown();
        lists.setListIndex(2, 0);
        nav.LevelDown();
        lists.setListIndex(3, row);
        nav.LevelDown();
        ASSERT_EQ(::Run().CurrentLevel, 9);
    };
    readParagraph(2);
    ASSERT_EQ(toggleAt(4), ToggleResult::Added);
    readParagraph(1);
    ASSERT_EQ(toggleAt(6), ToggleResult::Added);
    EXPECT_GE(spot().place.location, NavIndex::WideIdBase);
    readParagraph(0);
    std::optional<MarkTarget> target = NextBookmark(spot().place, true);
    ASSERT_TRUE(target);
    ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
    EXPECT_EQ(lists.ListIndex(3), 1) << "the paragraph of the mark, not the chapter's first";
    EXPECT_TRUE(viewer.Text().contains(QStringLiteral("paragraaf B")));
    EXPECT_EQ(viewer.SelStart(), 6);
    close();

    QByteArray paper = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<krant><meta><krant-id>LANG-1</krant-id>"
                       "<krantnaam>Lange rubriek</krantnaam></meta>";
    for (int section = 1; section <= 2; ++section) {
        paper += "<rubriek><titel><head>Rubriek " + QByteArray::number(section) + "</head></titel>";
        for (int a = 1; a <= (section == 1 ? 100 : 2); ++a)
            paper += "<artikel><titel><head>Artikel " + QByteArray::number(section) + "." + QByteArray::number(a) +
                     "</head></titel><p>Tekst van artikel " + QByteArray::number(a) + ".</p></artikel>";
        paper += "</rubriek>";
    }
    const QString path = AppPaths::UserDir() + QStringLiteral("/lang.xml");
    ASSERT_TRUE(TestHome::WriteFile(path, paper + "</krant>"));
    open(path);
    readTo(1, 0, 0);
    ASSERT_EQ(toggleAt(2), ToggleResult::Added); // 201, made first
    readTo(0, 99, 0);
    ASSERT_EQ(toggleAt(3), ToggleResult::Added); // the 100th article: its own id
    EXPECT_GE(spot().place.location, NavIndex::WideIdBase);
    readTo(0, 1, 0);
    ASSERT_EQ(toggleAt(1), ToggleResult::Added); // 102
    readTo(0, 0, 0);
    std::vector<std::pair<int, int>> visited; // (section row, article row)
    for (target = NextBookmark(spot().place, true); target; target = NextBookmark(spot().place, true)) {
        ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
        visited.emplace_back(lists.ListIndex(1), lists.ListIndex(2));
        ASSERT_LE(visited.size(), 3u);
    }
    EXPECT_EQ(visited, (std::vector<std::pair<int, int>>{{0, 1}, {0, 99}, {1, 0}}));
    target = NextBookmark(spot().place, false);
    ASSERT_TRUE(target);
    ASSERT_TRUE(ShowMarkTarget(nav, viewer, *target));
    EXPECT_EQ(lists.ListIndex(2), 99);
    EXPECT_EQ(viewer.SelStart(), 3);
}

TEST_F(MarkStepsTest, AHandEditedFileOpensShowsTheGoodMarksLogsTheRestAndKeepsThem)
{
    const QByteArray junk = R"(<?xml version="1.0" encoding="iso-8859-1"?>
<usage>
	<bookmark id="abc" type="user"><bmk-id>00302</bmk-id><bmk-position>3</bmk-position></bookmark>
	<bookmark id="7" type="user"><bmk-date>d</bmk-date><bmk-id>00302</bmk-id><bmk-position>10</bmk-position><bmk-descriptivetitle>good</bmk-descriptivetitle></bookmark>
	<bookmark id="8" type="user"><bmk-id>00302</bmk-id><bmk-position>99999999</bmk-position></bookmark>
	<bookmark id="9" type="user"><bmk-id>-302</bmk-id><bmk-position>4</bmk-position></bookmark>
	<annotation id="2" type="user"><ann-id>00302</ann-id><ann-position>20</ann-position><ann-poslength>999999</ann-poslength><ann-text>to the end</ann-text></annotation>
	<annotation id="2" type="user"><ann-id>00302</ann-id><ann-position>30</ann-position><ann-poslength>2</ann-poslength></annotation>
	<annotation id="q" type="user"><ann-id>00302</ann-id></annotation>
</usage>
)";
    // The newspaper's id names its usage file; it is written before the first opening.
    openNewspaper();
    const QString path = UsageFilePathFor(::Run().DocumentId);
    close();
    ASSERT_TRUE(TestHome::WriteFile(path, junk));
    openNewspaper();
    readTo(2, 1, 0);
    EXPECT_TRUE(coloured(10, Opts().BookmarkColor));
    EXPECT_TRUE(formatAt(int(viewer.Text().size()) - 5).fontUnderline()) << "cut at the text's end";
    ASSERT_EQ(Shown().annotations.size(), 1u);
    const QString log = errorLog();
    EXPECT_TRUE(log.contains(QStringLiteral("'abc'"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("past the text's end"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("same id"))) << log.toStdString();

    ASSERT_EQ(toggleAt(12), ToggleResult::Added);
    const QString written = QString::fromLatin1(TestHome::ReadFile(path));
    EXPECT_TRUE(written.contains(QStringLiteral("id=\"abc\"")));
    EXPECT_TRUE(written.contains(QStringLiteral("id=\"q\"")));
    EXPECT_TRUE(written.contains(QStringLiteral("<bookmark id=\"10\" type=\"user\">"))) << written.toStdString();
}

TEST_F(MarkStepsTest, ASaveThatFailsIsToldPlaysNothingAndLeavesMemoryAsTheFile)
{
    openNewspaper();
    readTo(2, 1, 0);
    ASSERT_EQ(toggleAt(10), ToggleResult::Added);
    // The folder of usage files turns into a file: no lock, no save.
    const QString folder = AppPaths::DufDir();
    const QString path = UsageFilePathFor(::Run().DocumentId);
    const QByteArray before = TestHome::ReadFile(path);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(TestHome::WriteFile(folder, "not a folder"));

    EXPECT_EQ(toggleAt(20), ToggleResult::Failed);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_TRUE(prompter.questions()[0].text.startsWith(QStringLiteral("Your bookmarks and annotations could not")));
    EXPECT_EQ(UserBookmarkCount(), 1);
    EXPECT_EQ(CountUserBookmarks(*::Run().DufDoc), 1);

    QFile::remove(folder);
    ASSERT_TRUE(TestHome::WriteFile(path, before));
}

TEST_F(MarkStepsTest, ListsHoldEveryMarkPastTheOldRowLimit)
{
    openNewspaper();
    readTo(2, 1, 0);
    const int count = 300;
    ASSERT_TRUE(ChangeDocumentUsageFile([&](DomNode& root) {
        for (int i = 0; i < count; ++i)
            AppendBookmark(root, NewMarkId(root, MarkNames::Bookmark), QStringLiteral("d"), {302, i},
                           QStringLiteral("b%1").arg(i), QString());
    }));
    MarksChanged();
    const std::vector<MarkRow> rows = BookmarkRows();
    ASSERT_EQ(rows.size(), size_t(count));
    EXPECT_EQ(rows[280].id, QStringLiteral("281"));
    EXPECT_EQ(rows[280].text, QStringLiteral("b280 (d)"));
    prompter.answer(PromptAnswer::Ok);
    EXPECT_TRUE(DeleteBookmark(rows[280].id));
    EXPECT_EQ(OnDisk().bookmarks.size(), size_t(count - 1));
}

} // namespace

TEST_F(MarkStepsTest, OnADarkPageAFaintMarkColourIsDrawnLighterAndTheOptionStays)
{
    openNewspaper();
    readTo(2, 1, 0);
    ASSERT_EQ(toggleAt(120), ToggleResult::Added);
    // Blue on the white page stands out as it is.
    readTo(2, 1, 0);
    EXPECT_TRUE(coloured(120, Opts().BookmarkColor));

    // The reader's own colours: a black page, as a high-contrast sheet has.
    Opts().OverRuleCss = true;
    Opts().BackGroundColorIndex = 1;
    readTo(2, 1, 0);
    ASSERT_EQ(viewer.BackColor(), 0x000000);
    const int drawn = TextViewer::FromQColor(formatAt(120).foreground().color());
    EXPECT_NE(drawn, Opts().BookmarkColor);
    EXPECT_EQ(drawn, ReadableColour(Opts().BookmarkColor, 0x000000));
    EXPECT_GE(ContrastRatio(drawn, 0x000000), 3.0);
    EXPECT_EQ(Opts().BookmarkColor, 0xFF0000) << "the chosen colour itself is kept";
}
