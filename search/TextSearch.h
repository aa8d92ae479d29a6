#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class NavList;
class Navigator;
class SearchHost;
class TextViewer;

// Whether the match of phrase at the 1-based position of text stands as a
// whole word; true whenever whole-word search is off. A boundary is anything
// but a letter, digit or mark, as in the reading view's own find.
bool IsWholeWord(const QString& text, const QString& phrase, int position);

// The ids of the searchable entries holding phrase with the current choices,
// in document order, limited by direction to the entries from (Down) or up to
// (Up) the entry the reader is at. originId is that entry and originCaret the
// reader's position in its text, or -1 when the reader is not in a text.
std::vector<int32_t> FindEntryIds(const QString& phrase, int32_t originId, int32_t originCaret);

// Searching the document and stepping through the matches: the Find, Find
// next and previous, Search results, Escape search mode and Personal
// interests commands, over the navigator's lists and text.
class TextSearch {
public:
    TextSearch(Navigator& navigator, NavList& lists, TextViewer& viewer, SearchHost& host);

    void mnuEditFind_Click();
    void mnuEditFindNext_Click();
    void mnuEditFindPrevious_Click();
    void mnuNavigateSearchResults_Click();
    void mnuNavigateEscapeSearchMode_Click();
    void mnuEditPersonalInterests_Click();

    // Searches with the search window's choices; true when entries were listed.
    bool SearchForText(const QString& text);
    // Leaves the search mode: the lists back at the entry last shown, the text
    // (when the reader is in one) rebuilt without the matches.
    void EscapeSearchmode();

    // "Match 3 of 12" while a text with matches is shown, else empty.
    QString MatchPlace() const;
    // "Result 2 of 40" while the results list has rows, else empty.
    QString ResultPlace() const;

private:
    void SelectMatch();
    void NoMoreMatches();

    Navigator& m_navigator;
    NavList& m_lists;
    TextViewer& m_viewer;
    SearchHost& m_host;
};
