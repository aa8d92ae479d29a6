// The search over real documents: the sample newspaper and papers made here.
#include "search/tests/SearchFixture.h"

#include "package/NavIndex.h"
#include "settings/Options.h"

#include <QFile>
#include <QRegularExpression>
#include <memory>
#include <set>

namespace {

const QString kStorm = QStringLiteral("storm");

} // namespace

TEST(IsWholeWordTest, BoundariesAreAnythingButLettersDigitsAndMarks)
{
    ResetTextState();
    Txt().SearchWholeWord = false;
    EXPECT_TRUE(IsWholeWord(QStringLiteral("stormen"), kStorm, 1)); // off: every match counts

    Txt().SearchWholeWord = true;
    EXPECT_FALSE(IsWholeWord(QStringLiteral("stormen"), kStorm, 1));
    EXPECT_FALSE(IsWholeWord(QStringLiteral("najaarsstorm"), kStorm, 8));
    EXPECT_TRUE(IsWholeWord(QStringLiteral("storm is"), kStorm, 1)); // start of the text
    EXPECT_TRUE(IsWholeWord(QStringLiteral("de storm"), kStorm, 4)); // end of the text
    EXPECT_TRUE(IsWholeWord(QStringLiteral("(storm)"), kStorm, 2));
    EXPECT_TRUE(IsWholeWord(QStringLiteral("een storm."), kStorm, 5));
    // Beyond the 33 ASCII boundaries: line breaks, TAB, no-break space, typographic quotes and dashes.
    EXPECT_TRUE(IsWholeWord(QStringLiteral("storm\r\nen"), kStorm, 1));
    EXPECT_TRUE(IsWholeWord(QStringLiteral("\tstorm"), kStorm, 2));
    EXPECT_TRUE(IsWholeWord(QStringLiteral("de\u00a0storm"), kStorm, 4));
    EXPECT_TRUE(IsWholeWord(QStringLiteral("\u201cstorm\u201d"), kStorm, 2));
    EXPECT_TRUE(IsWholeWord(QStringLiteral("storm\u2014wind"), kStorm, 1));
    // Letters outside ASCII are part of the word.
    EXPECT_FALSE(IsWholeWord(QStringLiteral("stormé"), kStorm, 1));
    EXPECT_FALSE(IsWholeWord(QStringLiteral("e\u0301storm"), kStorm, 3)); // a combining mark before
    // A position outside the text is no match at all.
    EXPECT_FALSE(IsWholeWord(QStringLiteral("storm"), kStorm, 2));
}

TEST_F(SearchFixture, CaseAndWholeWordDecideWhichArticlesAreListed)
{
    openPaper({{{QStringLiteral("Een Storm trok over het land.")},
                {QStringLiteral("De STORM ging liggen.")},
                {QStringLiteral("Geen wind vandaag.")},
                // Only the second occurrence stands alone.
                {QStringLiteral("Na de stormen kwam nog een storm.")},
                {QStringLiteral("De stormvloed bleef uit.")}}});
    find(QStringLiteral("Storm"));
    EXPECT_EQ(results().size(), 4);
    EXPECT_EQ(Txt().FoundIds, (std::vector<int32_t>{101, 102, 104, 105}));
    EXPECT_EQ(level(), 0);
    EXPECT_EQ(host.focused, 0);
    EXPECT_TRUE(::Run().GlobalSearchMode);
    EXPECT_TRUE(searchHost.resultsEnabled);
    EXPECT_EQ(host.location, SetLangTxt(1092) + QStringLiteral(" - 'Storm'"));
    EXPECT_TRUE(results()[0].startsWith(QStringLiteral("Artikel 1.1 ["))) << results()[0].toStdString();

    find(QStringLiteral("Storm"), false, true);
    EXPECT_EQ(Txt().FoundIds, (std::vector<int32_t>{101}));

    find(kStorm, true);
    EXPECT_EQ(Txt().FoundIds, (std::vector<int32_t>{101, 102, 104}));
    // The row count follows every search: the results list holds the new rows only.
    EXPECT_EQ(results().size(), 3);
}

TEST_F(SearchFixture, WordsOfNeighbouringElementsDoNotRunTogether)
{
    // The DOM's text of this article is "...naar het NoordenIJsverenigingen...".
    openNewspaper();
    find(QStringLiteral("NoordenIJs"));
    EXPECT_TRUE(results().isEmpty());
    ASSERT_EQ(prompter.questions().size(), 1u);

    prompter.clear();
    find(QStringLiteral("Noorden"), true, true);
    ASSERT_FALSE(Txt().FoundIds.empty());
    EXPECT_EQ(Txt().FoundIds.front(), 101);
}

// The invariant between the list and the text: an entry is listed exactly when
// its text, as the reading view builds it, holds a match the view colours.
// Checked for every word of the sample newspaper, with case and whole word on and off.
TEST_F(SearchFixture, ListedExactlyWhenTheBuiltTextHasAMatch)
{
    openNewspaper();
    const std::vector<SearchEntry>& entries = SearchableEntries();
    ASSERT_EQ(entries.size(), 52u);
    std::vector<QString> shown;
    std::set<QString> words;
    static const QRegularExpression word(QStringLiteral("\\w+"), QRegularExpression::UseUnicodePropertiesOption);
    for (const SearchEntry& entry : entries) {
        assembly.LoadText(entry.id, 0, QString());
        shown.push_back(viewer.Text());
        // The search's own text for the entry is the view's.
        EXPECT_EQ(entry.text, shown.back()) << entry.id;
        for (const auto& m : word.globalMatch(shown.back()))
            words.insert(m.captured());
    }
    ASSERT_GT(words.size(), 3000u);

    std::vector<std::unique_ptr<TextViewer>> views;
    for (const QString& text : shown) {
        views.push_back(std::make_unique<TextViewer>());
        views.back()->setText(text);
        ASSERT_EQ(views.back()->Text(), text);
    }
    int checked = 0;
    for (const int options : {0, 1, 2, 3}) {
        Txt().SearchWholeWord = options & 1;
        Txt().SearchCaseSensitive = options & 2;
        const int findOptions =
            (options & 1 ? TextViewer::FindWholeWord : 0) | (options & 2 ? TextViewer::FindMatchCase : 0);
        for (const QString& w : words) {
            // Upper case tells a case-insensitive search from a sensitive one.
            const QString phrase = options & 2 ? w : w.toUpper();
            const std::vector<int32_t> ids = FindEntryIds(phrase, 0, -1);
            std::vector<int32_t> expected;
            for (size_t i = 0; i < entries.size(); ++i) {
                // The view's own find decides wherever the phrase occurs at all.
                if (shown[i].contains(phrase, Qt::CaseInsensitive) && views[i]->Find(phrase, 0, -1, findOptions) >= 0)
                    expected.push_back(entries[i].id);
            }
            ASSERT_EQ(ids, expected) << phrase.toStdString() << " options " << options;
            ++checked;
        }
    }
    EXPECT_GT(checked, 12000);
}

TEST_F(SearchFixture, FindNextAndPreviousStepThroughMatchesAndResults)
{
    openPaper({{{QStringLiteral("storm een"), QStringLiteral("storm twee")},
                {QStringLiteral("rustig")},
                {QStringLiteral("laatste storm")}}});
    find(kStorm);
    ASSERT_EQ(Txt().FoundIds, (std::vector<int32_t>{101, 103}));

    // From the list, Find next opens the selected result on its first match.
    search.mnuEditFindNext_Click();
    ASSERT_EQ(level(), 9);
    ASSERT_EQ(Txt().FoundPositions.size(), 2u);
    EXPECT_EQ(viewer.SelStart(), Txt().FoundPositions[0]);
    EXPECT_EQ(viewer.SelLength(), 5);
    EXPECT_EQ(search.MatchPlace(), QStringLiteral("Match 1 of 2"));
    EXPECT_EQ(search.ResultPlace(), QStringLiteral("Result 1 of 2"));

    search.mnuEditFindNext_Click();
    EXPECT_EQ(viewer.SelStart(), Txt().FoundPositions[1]);
    EXPECT_EQ(::Run().LastReadPosition, Txt().FoundPositions[1]);
    EXPECT_EQ(search.MatchPlace(), QStringLiteral("Match 2 of 2"));

    // At the last match: go on in the next result? No stays, Yes moves.
    prompter.answer(PromptAnswer::No);
    search.mnuEditFindNext_Click();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1099));
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1092));
    EXPECT_EQ(lists.ListIndex(0), 0);
    prompter.answer(PromptAnswer::Yes);
    search.mnuEditFindNext_Click();
    EXPECT_EQ(lists.ListIndex(0), 1);
    EXPECT_EQ(Txt().CurrentHeadId, 103);
    EXPECT_EQ(search.ResultPlace(), QStringLiteral("Result 2 of 2"));

    // The last match of the last result.
    prompter.clear();
    search.mnuEditFindNext_Click();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1101));
    EXPECT_EQ(prompter.questions()[0].buttons, PromptButtons::Ok);

    // Back: the previous result opens on its last match, and only that one build does.
    prompter.clear();
    prompter.answer(PromptAnswer::Yes);
    search.mnuEditFindPrevious_Click();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1100));
    EXPECT_EQ(Txt().CurrentHeadId, 101);
    EXPECT_EQ(Txt().CurrentFound, 1);
    EXPECT_FALSE(Txt().StartAtLastMatch);
    search.mnuEditFindPrevious_Click();
    EXPECT_EQ(Txt().CurrentFound, 0);
    prompter.clear();
    search.mnuEditFindPrevious_Click();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1101));
    // A later build starts at the first match again.
    nav.GoArticle(2);
    EXPECT_EQ(Txt().CurrentFound, 0);

    // Backspace (level up) from a result goes back to the results list.
    nav.LevelUp();
    EXPECT_EQ(level(), 0);
    EXPECT_EQ(host.focused, 0);
}

TEST_F(SearchFixture, JumpToTheFirstResult)
{
    openNewspaper();
    find(kStorm, true, false, 0, 0, 1);
    ASSERT_FALSE(Txt().FoundIds.empty());
    EXPECT_EQ(level(), 9);
    EXPECT_EQ(Txt().CurrentHeadId, Txt().FoundIds.front());
    ASSERT_FALSE(Txt().FoundPositions.empty());
    EXPECT_EQ(viewer.Text().mid(viewer.SelStart(), 5).toLower(), kStorm);
    EXPECT_TRUE(host.location.startsWith(SetLangTxt(1092) + QStringLiteral(" - 'storm' / ")))
        << host.location.toStdString();
}

TEST_F(SearchFixture, NoHitsLeavesTheReaderWhereTheyWereWithTheOldSearchEnded)
{
    openPaper({{{QStringLiteral("storm")}, {QStringLiteral("wind")}}});
    openEntry(0, 1);
    const QString before = viewer.Text();
    host.focused = -1;
    find(QStringLiteral("sneeuw"));
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1098));
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1097));
    EXPECT_EQ(prompter.questions()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(level(), 9);
    EXPECT_EQ(host.focused, 9);
    EXPECT_EQ(viewer.Text(), before);
    EXPECT_TRUE(Txt().SearchText.isEmpty());
    EXPECT_FALSE(searchHost.resultsEnabled);
    // The article keys still move the reader through the document.
    nav.GoArticle(0);
    EXPECT_EQ(Txt().CurrentHeadId, 101);

    // A search with hits, then one without: the old search ends, the reader is back in the lists.
    find(kStorm);
    ASSERT_EQ(level(), 0);
    prompter.clear();
    find(QStringLiteral("sneeuw"));
    EXPECT_FALSE(::Run().GlobalSearchMode);
    EXPECT_TRUE(Txt().FoundIds.empty());
    EXPECT_TRUE(results().isEmpty());
    EXPECT_EQ(level(), 1);
    EXPECT_EQ(lists.ListIndex(1), 0);
    EXPECT_EQ(lists.ListIndex(2), 0); // the entry last shown

    // Yes opens the search window again, where the phrase is still there.
    prompter.clear();
    prompter.answer(PromptAnswer::Yes);
    const int shownBefore = searchHost.windowShown;
    QString offered;
    searchHost.inWindow = [&offered] {
        offered = Choices().SearchString;
        Choices().SearchString.clear(); // Cancel
    };
    search.SearchForText(QStringLiteral("sneeuw"));
    EXPECT_EQ(searchHost.windowShown, shownBefore + 1);
    EXPECT_EQ(offered, QStringLiteral("sneeuw"));
}

TEST_F(SearchFixture, DownAndUpFromTheEntryTheReaderIsAt)
{
    std::vector<std::vector<QStringList>> sections;
    for (int s = 0; s < 5; ++s)
        sections.push_back({{QStringLiteral("storm")}, {QStringLiteral("storm")}});
    openPaper(sections);
    // Level-1 entry 3 selected: Down searches from its articles on, Up up to it.
    lists.setListIndex(1, 2);
    find(kStorm, false, false, 0, 1);
    EXPECT_EQ(Txt().FoundIds, (std::vector<int32_t>{301, 302, 401, 402, 501, 502}));
    nav.GoMainIndex();
    lists.setListIndex(1, 2);
    find(kStorm, false, false, 0, 2);
    EXPECT_EQ(Txt().FoundIds, (std::vector<int32_t>{101, 102, 201, 202}));
}

TEST_F(SearchFixture, DownAndUpInTheShownTextCountOnlyTheMatchesPastTheCaret)
{
    openPaper({{{QStringLiteral("storm aan het begin"), QStringLiteral("midden"), QStringLiteral("eind")},
                {QStringLiteral("storm")}}});
    openEntry(0, 0);
    const int middle = int(viewer.Text().indexOf(QStringLiteral("midden")));
    viewer.setSelStart(middle);
    ::Run().LastReadPosition = middle;
    // Its only match is above the caret: Down leaves it out, Up keeps it.
    find(kStorm, false, false, 0, 1);
    EXPECT_EQ(Txt().FoundIds, (std::vector<int32_t>{102}));

    nav.GoMainIndex();
    openEntry(0, 0);
    ::Run().LastReadPosition = middle;
    find(kStorm, false, false, 0, 2);
    ASSERT_EQ(Txt().FoundIds, (std::vector<int32_t>{101}));
    search.mnuEditFindNext_Click();
    ASSERT_EQ(Txt().FoundPositions.size(), 1u);
    EXPECT_LT(Txt().FoundPositions[0], middle);
}

TEST_F(SearchFixture, SearchingTheShownArticle)
{
    openPaper({{{QStringLiteral("storm en storm")}, {QStringLiteral("geen wind")}, {QStringLiteral("storm")}}});
    openEntry(0, 0);
    const QString location = host.location;
    find(kStorm, false, false, 1);
    EXPECT_TRUE(::Run().LocalSearchMode);
    EXPECT_FALSE(::Run().GlobalSearchMode);
    EXPECT_EQ(level(), 9);
    ASSERT_EQ(Txt().FoundPositions.size(), 2u);
    EXPECT_EQ(viewer.SelStart(), Txt().FoundPositions[0]);
    // The location line is that of the article, not of a search.
    EXPECT_EQ(host.location, location);
    EXPECT_TRUE(location.startsWith(QStringLiteral("Rubriek 1 / Artikel 1.1")));

    // Find next stays within the article.
    search.mnuEditFindNext_Click();
    EXPECT_EQ(Txt().CurrentFound, 1);
    search.mnuEditFindNext_Click();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1101));

    // Backspace goes to the document's list, not to a results list.
    nav.LevelUp();
    EXPECT_EQ(level(), 2);
    nav.LevelDown();
    EXPECT_EQ(Txt().FoundPositions.size(), 2u);
    // Another article ends the search of this one, and says nothing about it.
    prompter.clear();
    nav.GoArticle(2);
    EXPECT_EQ(Txt().CurrentHeadId, 102);
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_FALSE(::Run().LocalSearchMode);
    EXPECT_TRUE(Txt().SearchText.isEmpty());
    nav.GoArticle(2);
    EXPECT_EQ(Txt().CurrentHeadId, 103);
    EXPECT_TRUE(Txt().FoundPositions.empty());

    // A phrase the article does not hold: said so, and no search is left behind.
    prompter.clear();
    const QString shown = viewer.Text();
    find(QStringLiteral("sneeuw"), false, false, 1);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1097));
    EXPECT_FALSE(::Run().LocalSearchMode);
    EXPECT_TRUE(Txt().SearchText.isEmpty());
    EXPECT_EQ(viewer.Text(), shown);
    EXPECT_EQ(level(), 9);

    // Without a text shown, "Current Article" searches the whole document.
    nav.LevelUp();
    find(kStorm, false, false, 1);
    EXPECT_EQ(Txt().FoundIds, (std::vector<int32_t>{101, 103}));
}

TEST_F(SearchFixture, LeavingSearchMode)
{
    openPaper({{{QStringLiteral("storm")}, {QStringLiteral("wind")}}, {{QStringLiteral("storm")}}});
    openEntry(0, 1);
    // From the results list: level 1, the lists at the entry last shown.
    find(kStorm);
    search.EscapeSearchmode();
    EXPECT_EQ(level(), 1);
    EXPECT_EQ(host.focused, 1);
    EXPECT_EQ(lists.ListIndex(1), 0);
    EXPECT_EQ(lists.ListIndex(2), 1);
    EXPECT_FALSE(::Run().GlobalSearchMode);
    EXPECT_TRUE(results().isEmpty());

    // From a result's text: the same text at the reader's place, no matches.
    find(kStorm);
    lists.setListIndex(0, 1);
    nav.LevelDown();
    ASSERT_EQ(Txt().CurrentHeadId, 201);
    const int place = Txt().FoundPositions[0] + 2;
    viewer.setSelStart(place);
    ::Run().LastReadPosition = place;
    search.EscapeSearchmode();
    EXPECT_EQ(level(), 9);
    EXPECT_EQ(Txt().CurrentHeadId, 201);
    EXPECT_EQ(viewer.SelStart(), place);
    EXPECT_EQ(viewer.SelLength(), 0);
    EXPECT_TRUE(Txt().FoundPositions.empty());
    EXPECT_EQ(lists.ListIndex(1), 1);
    // No search active: nothing changes.
    search.EscapeSearchmode();
    EXPECT_EQ(level(), 9);

    // From a document list while the article's own search is on: the list stays.
    find(kStorm, false, false, 1);
    ASSERT_TRUE(::Run().LocalSearchMode);
    nav.LevelUp();
    ASSERT_EQ(level(), 2);
    search.EscapeSearchmode();
    EXPECT_EQ(level(), 2);
    EXPECT_FALSE(::Run().LocalSearchMode);

    // The table of contents leaves the search entirely; the next text is the reader's choice.
    find(kStorm);
    nav.GoMainIndex();
    EXPECT_FALSE(::Run().GlobalSearchMode);
    EXPECT_TRUE(Txt().SearchText.isEmpty());
    EXPECT_TRUE(Txt().FoundIds.empty());
    lists.setListIndex(1, 0);
    nav.LevelDown();
    lists.setListIndex(2, 1);
    nav.LevelDown();
    EXPECT_EQ(Txt().CurrentHeadId, 102);
    EXPECT_TRUE(prompter.questions().empty());
}

TEST_F(SearchFixture, PersonalInterests)
{
    openNewspaper();
    Opts().PersonalInterests = QStringLiteral("   ");
    search.mnuEditPersonalInterests_Click();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1112));
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1111));
    EXPECT_EQ(prompter.questions()[0].icon, PromptIcon::Information);
    EXPECT_EQ(level(), 1);

    Opts().PersonalInterests = QStringLiteral("schaatsen");
    search.mnuEditPersonalInterests_Click();
    EXPECT_TRUE(::Run().PersonalInterestMode);
    EXPECT_FALSE(results().isEmpty());
    EXPECT_EQ(level(), 0);
    EXPECT_EQ(host.location, SetLangTxt(1111) + QStringLiteral(" - 'schaatsen'"));
    nav.LevelDown();
    EXPECT_TRUE(host.location.startsWith(SetLangTxt(1111) + QStringLiteral(" - 'schaatsen' / ")));
    nav.LevelUp();
    EXPECT_EQ(level(), 0);
    search.mnuNavigateEscapeSearchMode_Click();
    EXPECT_FALSE(::Run().PersonalInterestMode);
    EXPECT_EQ(level(), 1);

    // A phrase without hits asks as a search does.
    prompter.clear();
    Opts().PersonalInterests = QStringLiteral("zzzz");
    search.mnuEditPersonalInterests_Click();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1098));
    EXPECT_FALSE(::Run().PersonalInterestMode);
}

TEST_F(SearchFixture, MoreResultsAndMatchesThanTheOldLimits)
{
    std::vector<std::vector<QStringList>> sections(2);
    for (int a = 0; a < 80; ++a)
        sections[0].push_back({QStringLiteral("storm nummer %1").arg(a)});
    for (int a = 0; a < 100; ++a)
        sections[1].push_back({QStringLiteral("storm nummer %1").arg(a)});
    QString many;
    for (int i = 0; i < 300; ++i)
        many += QStringLiteral("storm ");
    sections[1].push_back({many});
    openPaper(sections);
    find(kStorm);
    ASSERT_EQ(results().size(), 181);
    // Articles past the 98th of a section have ids the classic numbering cannot write.
    EXPECT_EQ(Txt().FoundIds.back(), NavIndex::WideIdBase + 2);
    lists.setListIndex(0, 180);
    nav.LevelDown();
    EXPECT_EQ(Txt().FoundPositions.size(), 300u);
    for (int i = 0; i < 299; ++i)
        search.mnuEditFindNext_Click();
    EXPECT_EQ(search.MatchPlace(), QStringLiteral("Match 300 of 300"));
    EXPECT_EQ(search.ResultPlace(), QStringLiteral("Result 181 of 181"));
    EXPECT_TRUE(prompter.questions().empty());
}

TEST_F(SearchFixture, ABookOfOneLevelIsSearchedByChapter)
{
    // The sample book in the working folder with its own descriptor, as a package brings it.
    const QString temp = AppPaths::TempDir() + QLatin1Char('/');
    const QString book = AppPaths::SamplesDir() + QStringLiteral("/boek/");
    ASSERT_TRUE(QFile::copy(book + QStringLiteral("boek.xml"), temp + QStringLiteral("boek.xml")));
    ASSERT_TRUE(QFile::copy(book + QStringLiteral("boek.xdf"), temp + QStringLiteral("boek.xdf")));
    ASSERT_TRUE(LoadDocumentFromWorkingFolder(QStringLiteral("/elders/boek.zip"), false).opened());
    nav.ShowFirstLevel();
    ASSERT_EQ(::Run().NavLevelCount, 1);
    const int chapters = int(lists.entries(1).size());
    ASSERT_GT(chapters, 2);

    find(QStringLiteral("Jelle"), true, true);
    ASSERT_FALSE(results().isEmpty());
    EXPECT_EQ(Txt().FoundIds.front(), 100);
    // Opened from the list: the chapter's text, on its first match.
    nav.LevelDown();
    EXPECT_EQ(Txt().CurrentHeadId, 100);
    ASSERT_FALSE(Txt().FoundPositions.empty());
    EXPECT_EQ(viewer.Text().mid(viewer.SelStart(), 5), QStringLiteral("Jelle"));

    // Down from the second chapter leaves the first out.
    nav.GoMainIndex();
    lists.setListIndex(1, 1);
    find(QStringLiteral("Jelle"), true, true, 0, 1);
    ASSERT_FALSE(Txt().FoundIds.empty());
    EXPECT_GE(Txt().FoundIds.front(), 200);
}
