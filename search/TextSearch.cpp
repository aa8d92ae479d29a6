#include "search/TextSearch.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "navigation/WordCount.h"
#include "package/NavIndex.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "search/SearchChoices.h"
#include "search/SearchEntries.h"
#include "search/SearchHost.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"

namespace {

// The searchable entries (indexes into SearchableEntries()) that hold phrase.
std::vector<size_t> FindEntries(const QString& phrase, int32_t originId, int32_t originCaret)
{
    const TextState& txt = Txt();
    const std::vector<SearchEntry>& entries = SearchableEntries();
    const NavIndex& index = DocumentNavIndex();
    const QString folded = phrase.toCaseFolded();
    const bool cs = txt.SearchCaseSensitive;
    const bool whole = txt.SearchWholeWord;
    const int direction = txt.SearchDirection;
    // The index numbers headings in document order, so Down and Up compare entry numbers.
    const int32_t origin = index.indexOfId(originId);
    std::vector<size_t> found;
    for (size_t i = 0; i < entries.size(); ++i) {
        const SearchEntry& entry = entries[i];
        if (direction != 0 && origin >= 0 && (direction == 1 ? entry.entry < origin : entry.entry > origin))
            continue;
        qsizetype at = FindPhrase(entry, phrase, folded, cs, whole);
        if (at < 0)
            continue;
        // In the text the reader is in, only the matches below (Down) or above
        // (Up) the caret count, as only those are coloured there.
        if (direction != 0 && entry.entry == origin && originCaret >= 0) {
            if (direction == 1) {
                while (at >= 0 && at < originCaret)
                    at = FindPhrase(entry, phrase, folded, cs, whole, at + 1);
            } else if (at + phrase.size() > originCaret) {
                at = -1;
            }
            if (at < 0)
                continue;
        }
        found.push_back(i);
    }
    return found;
}

QString OfText(qsizetype n, qsizetype count)
{
    return QStringLiteral("%1 %2 %3").arg(n).arg(SetLangTxt(1122)).arg(count);
}

} // namespace

bool IsWholeWord(const QString& text, const QString& phrase, int position)
{
    return Guarded("IsWholeWord", false, [&] {
        if (!Txt().SearchWholeWord)
            return true;
        return position >= 1 && position - 1 + phrase.size() <= text.size() &&
               StandsAlone(text, position - 1, phrase.size());
    });
}

std::vector<int32_t> FindEntryIds(const QString& phrase, int32_t originId, int32_t originCaret)
{
    std::vector<int32_t> ids;
    const std::vector<SearchEntry>& entries = SearchableEntries();
    for (const size_t i : FindEntries(phrase, originId, originCaret))
        ids.push_back(entries[i].id);
    return ids;
}

TextSearch::TextSearch(Navigator& navigator, NavList& lists, TextViewer& viewer, SearchHost& host)
    : m_navigator(navigator), m_lists(lists), m_viewer(viewer), m_host(host)
{}

void TextSearch::mnuEditFind_Click()
{
    GuardedVoid("mnuEditFind_Click", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen)
            return;
        SetStep(QStringLiteral("Show the search window"));
        // The key that closes the window is released over the main window; its
        // press went to the window, so the key handling passes it over.
        m_host.showSearchWindow();
        const QString phrase = Choices().SearchString;
        if (!phrase.isEmpty()) {
            SetStep(QStringLiteral("Search the document"));
            SearchForText(phrase);
        }
        m_host.searchMenusChanged();
    });
}

bool TextSearch::SearchForText(const QString& text)
{
    return Guarded("SearchForText", false, [&] {
        RunState& rs = Run();
        TextState& txt = Txt();
        const SearchChoices& choices = Choices();
        if (text.isEmpty() || !rs.DocumentOpen)
            return false;

        if (choices.SearchScope == 1 && rs.CurrentLevel == 9) {
            SetStep(QStringLiteral("Search the shown article"));
            // The article's own search replaces any other; the lists follow the text shown.
            const int32_t shown = txt.CurrentHeadId;
            const bool wasGlobal = rs.GlobalSearchMode || rs.PersonalInterestMode;
            m_navigator.EndSearch();
            if (wasGlobal) {
                m_navigator.SelectEntryById(shown);
                m_host.setSearchResultsEnabled(false);
            }
            rs.LocalSearchMode = true;
            txt.SearchText = text;
            txt.LocalSearchHeadId = shown;
            txt.SearchOriginId = shown;
            m_navigator.LoadText(rs.CurrentLevel, 0, QString());
            rs.CurrentLevel = 9;
            m_navigator.ShowInfo(rs.CurrentLevel, true);
            m_host.searchPlaceChanged();
            return false;
        }

        SetStep(QStringLiteral("Search the entries"));
        int32_t originId = 0;
        int32_t caret = -1;
        if (rs.CurrentLevel == 9) {
            originId = txt.CurrentHeadId;
            caret = std::max(rs.LastReadPosition, 0);
        } else if (rs.CurrentLevel == 0) {
            const int row = m_lists.ListIndex(0);
            if (row >= 0 && size_t(row) < txt.FoundIds.size())
                originId = txt.FoundIds[size_t(row)];
        } else if (rs.CurrentLevel >= 1) {
            originId = m_navigator.SelectedId(rs.CurrentLevel);
        }
        const std::vector<size_t> hits = FindEntries(text, originId, caret);

        if (hits.empty()) {
            SetStep(QStringLiteral("Nothing found"));
            EscapeSearchmode();
            m_host.setSearchResultsEnabled(false);
            if (Prompt().MsgBox(SetLangTxt(1098), PromptButtons::YesNo, PromptIcon::Question, SetLangTxt(1097)) ==
                PromptAnswer::Yes)
                mnuEditFind_Click();
            else if (rs.CurrentLevel >= 0)
                // Back where the reader was, and told so.
                m_navigator.ShowInfo(rs.CurrentLevel, true);
            return false;
        }

        SetStep(QStringLiteral("List the results"));
        // A new search replaces the old one; the document's lists stay where they are.
        m_navigator.EndSearch();
        const std::vector<SearchEntry>& entries = SearchableEntries();
        const NavIndex& index = DocumentNavIndex();
        const bool counts = Opts().ShowWordCount;
        QStringList rows;
        rows.reserve(qsizetype(hits.size()));
        txt.FoundIds.reserve(hits.size());
        for (const size_t i : hits) {
            const SearchEntry& entry = entries[i];
            const DomNode& heading = index.at(entry.entry).heading;
            QString row = heading.text().simplified();
            if (counts) {
                if (!entry.wordCount)
                    entry.wordCount = WordCount(heading, 0);
                row += *entry.wordCount;
            }
            rows << row;
            txt.FoundIds.push_back(entry.id);
        }
        txt.SearchText = text;
        txt.SearchOriginId = txt.SearchDirection != 0 && caret >= 0 ? originId : 0;
        m_lists.setEntries(0, rows);
        m_lists.setListIndex(0, 0);
        rs.GlobalSearchMode = true;
        m_host.setSearchResultsEnabled(true);

        if (choices.ShowResults == 0) {
            rs.CurrentLevel = 0;
            m_navigator.ShowInfo(rs.CurrentLevel, true);
        } else {
            m_navigator.LoadText(0, 0, QString());
            rs.CurrentLevel = 9;
            m_navigator.ShowInfo(rs.CurrentLevel, true);
        }
        m_host.searchPlaceChanged();
        return true;
    });
}

void TextSearch::SelectMatch()
{
    const TextState& txt = Txt();
    const int32_t at = txt.FoundPositions[size_t(txt.CurrentFound)];
    m_viewer.setSelStart(at);
    m_viewer.setSelLength(int(txt.SearchText.size()));
    Run().LastReadPosition = at;
    m_host.searchPlaceChanged(true);
}

void TextSearch::NoMoreMatches()
{
    Prompt().MsgBox(SetLangTxt(1101), PromptButtons::Ok, PromptIcon::None, QString());
}

void TextSearch::mnuEditFindNext_Click()
{
    GuardedVoid("mnuEditFindNext_Click", [&] {
        RunState& rs = Run();
        TextState& txt = Txt();
        if (!rs.DocumentOpen)
            return;
        if (rs.CurrentLevel == 0) {
            m_navigator.LevelDown();
            m_host.searchPlaceChanged();
            return;
        }
        SetStep(QStringLiteral("Select the next match"));
        if (rs.CurrentLevel != 9 || txt.FoundPositions.empty() || txt.SearchText.isEmpty()) {
            NoMoreMatches();
            return;
        }
        if (txt.CurrentFound < int(txt.FoundPositions.size()) - 1) {
            ++txt.CurrentFound;
            SelectMatch();
            return;
        }
        // A search of one article ends with it; the results go on in the next entry.
        const int row = m_lists.ListIndex(0);
        const bool later =
            rs.GlobalSearchMode && !rs.LocalSearchMode && row >= 0 && row < m_lists.entries(0).size() - 1;
        if (!later) {
            NoMoreMatches();
            return;
        }
        if (Prompt().MsgBox(SetLangTxt(1099), PromptButtons::YesNo, PromptIcon::Question, SetLangTxt(1092)) ==
            PromptAnswer::Yes) {
            txt.StartAtLastMatch = false;
            m_navigator.GoArticle(2);
        }
        m_host.searchPlaceChanged();
    });
}

void TextSearch::mnuEditFindPrevious_Click()
{
    GuardedVoid("mnuEditFindPrevious_Click", [&] {
        RunState& rs = Run();
        TextState& txt = Txt();
        if (!rs.DocumentOpen)
            return;
        if (rs.CurrentLevel == 0) {
            // From the list, the selected result opens at its last match.
            txt.StartAtLastMatch = true;
            m_navigator.LevelDown();
            txt.StartAtLastMatch = false;
            m_host.searchPlaceChanged();
            return;
        }
        SetStep(QStringLiteral("Select the previous match"));
        if (rs.CurrentLevel != 9 || txt.FoundPositions.empty() || txt.SearchText.isEmpty()) {
            NoMoreMatches();
            return;
        }
        if (txt.CurrentFound > 0) {
            --txt.CurrentFound;
            SelectMatch();
            return;
        }
        const int row = m_lists.ListIndex(0);
        const bool earlier = rs.GlobalSearchMode && !rs.LocalSearchMode && row >= 1;
        if (!earlier) {
            NoMoreMatches();
            return;
        }
        if (Prompt().MsgBox(SetLangTxt(1100), PromptButtons::YesNo, PromptIcon::Question, SetLangTxt(1092)) ==
            PromptAnswer::Yes) {
            txt.StartAtLastMatch = true;
            m_navigator.GoArticle(0);
            txt.StartAtLastMatch = false;
        }
        m_host.searchPlaceChanged();
    });
}

void TextSearch::mnuNavigateSearchResults_Click()
{
    GuardedVoid("mnuNavigateSearchResults_Click", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen || !rs.GlobalSearchMode || m_lists.entries(0).isEmpty())
            return;
        rs.CurrentLevel = 0;
        m_navigator.ShowInfo(rs.CurrentLevel, true);
        m_host.searchMenusChanged();
        m_host.searchPlaceChanged();
    });
}

void TextSearch::mnuNavigateEscapeSearchMode_Click()
{
    EscapeSearchmode();
    m_navigator.LevelUp();
}

void TextSearch::EscapeSearchmode()
{
    GuardedVoid("EscapeSearchmode", [&] {
        RunState& rs = Run();
        if (!rs.GlobalSearchMode && !rs.LocalSearchMode && !rs.PersonalInterestMode)
            return;
        const int32_t shown = Txt().CurrentHeadId;
        m_navigator.EndSearch();
        m_host.setSearchResultsEnabled(false);
        SetStep(QStringLiteral("Set correct path/position"));
        if (shown != 0)
            m_navigator.SelectEntryById(shown);
        SetStep(QStringLiteral("Set correct navlevel"));
        // Back to a text only from a text; from the results list to the first level.
        if (rs.CurrentLevel == 9)
            m_navigator.LoadText(rs.CurrentLevel, rs.LastReadPosition, QString());
        else if (rs.CurrentLevel == 0)
            rs.CurrentLevel = 1;
        m_navigator.ShowInfo(rs.CurrentLevel, true);
        m_host.searchMenusChanged();
    });
}

void TextSearch::mnuEditPersonalInterests_Click()
{
    GuardedVoid("mnuEditPersonalInterests_Click", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen)
            return;
        const QString phrase = Opts().PersonalInterests;
        if (phrase.trimmed().isEmpty()) {
            Prompt().MsgBox(SetLangTxt(1112), PromptButtons::Ok, PromptIcon::Information, SetLangTxt(1111));
            return;
        }
        SetStep(QStringLiteral("Search the personal interest"));
        if (SearchForText(phrase)) {
            rs.PersonalInterestMode = true;
            // The location line names the personal-interest search.
            m_navigator.ShowInfo(rs.CurrentLevel, true);
        }
        m_host.searchMenusChanged();
    });
}

QString TextSearch::MatchPlace() const
{
    const TextState& txt = Txt();
    if (Run().CurrentLevel != 9 || txt.SearchText.isEmpty() || txt.FoundPositions.empty())
        return {};
    return SetLangTxt(1120, OfText(txt.CurrentFound + 1, qsizetype(txt.FoundPositions.size())));
}

QString TextSearch::ResultPlace() const
{
    const RunState& rs = Run();
    const int row = m_lists.ListIndex(0);
    const qsizetype rows = m_lists.entries(0).size();
    if (!rs.GlobalSearchMode || rows == 0 || row < 0)
        return {};
    return SetLangTxt(1121, OfText(row + 1, rows));
}
