#pragma once

#include "navigation/KeyTable.h"
#include "navigation/PageIndex.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class NavList;
class NavigationHost;
class TextAssembly;
class TextViewer;

// The reading moves over the open document of the run state: the navigation
// levels and their lists, article, phrase and paragraph moves, the table of
// contents and the abstract. Lists and text are models (NavList, TextViewer);
// the host shows them and takes the focus where the reader goes on.
class Navigator {
public:
    Navigator(NavList& lists, TextViewer& viewer, TextAssembly& assembly, NavigationHost& host);

    // A document has just been read: shows its first level with the first entry selected.
    void ShowFirstLevel();
    // Fills the list of a level (1..6) with the headings below the entry selected one level up.
    void LoadLevelTitles(int16_t level);
    // Opens the selected entry: the next level's list, or the text at the deepest level.
    void LevelDown();
    void LevelUp();
    // Shows the list of a level (0..6) or the text (9) with the location line, focused when asked.
    void ShowInfo(int16_t level, bool setFocus);
    // Works out which of level up, next and previous article can act, for the host.
    void SetNavigationOptions();
    // Shows the abstract of the article selected in the list of that level.
    void LoadAbstract(int16_t level);
    // Article 0 previous, 1 first, 2 next; phrase and paragraph 0 previous,
    // 1 start of the current one, 2 next.
    void GoArticle(int direction);
    void GoPhrase(int direction);
    void GoParaGraph(int direction);
    void GoMainIndex();
    // Builds the text of the entry selected in the lists (or of the selected
    // search result) with the caret at position or at the page mark pageText; leaves it hidden.
    void LoadText(int16_t level, int32_t position, const QString& pageText);

    // Forgets the active search: the mode flags, the phrase, its results and
    // matches. The document's lists stay as they are.
    void EndSearch();
    // Selects, level by level, the entries of the lists that lead to the
    // heading with this id; false when the document has no such heading.
    bool SelectEntryById(int32_t id);

    // Carries out a reading action that is a move; false for actions that are
    // not the navigator's (text size, the caret's activation) so the window
    // does them.
    bool Perform(ReadingAction action);

    // The selected entry's text in list `list`, or empty.
    QString SelectedEntry(int list) const;
    // The document heading shown in row `row` of navigation list `list` (1..6), as an
    // index into DocumentNavIndex(); -1 when there is none.
    int32_t EntryAt(int list, int row) const;
    // The id of the heading selected in list `list`, or 0.
    int32_t SelectedId(int list) const;

    // Printed pages: 0 asks for a page and goes there, 1 next page, 2 previous
    // page, from where the reader is. The text of the page's heading is shown
    // with the caret on the page mark.
    void GoPage(int16_t& index);
    // The id of the page last moved to; 0 before the first move in this document.
    int32_t CurrentPageId = 0;
    // How many times a page was shown, so a caller can tell a move from a message.
    int PageMoves = 0;
    // Asks the reader for a page label; nothing when cancelled. Unset: an input box.
    std::function<std::optional<QString>()> AskPageNumber;
    // The document's pages are forgotten (a document closes).
    void ResetPages();
    const PageIndex& Pages() const { return m_pages; }

private:
    // Moves the deepest list one entry on (next) or back, over the ends of
    // the lists above it; false at the document's end.
    bool StepDeepest(int deepest, bool next);
    // The mark a next (or previous) page move goes to from where the reader is; -1 when none.
    int PageFromReader(bool next);
    // Where the marks of a heading's text stand in the shown text (-1 for one not found).
    std::vector<int> MarkPositions(int32_t entry);
    // Selects the mark's heading in the lists and shows its text at the mark.
    void ShowPage(int mark);
    // The row of heading entry in list `list`, or -1.
    int RowOf(int list, int32_t entry) const;
    PageIndex m_pages;
    // The mark last moved to and the heading shown for it: a mark outside every
    // text is where the reader is until the reader leaves that heading.
    int m_lastMark = -1;
    int32_t m_lastMarkEntry = -1;

    NavList& m_lists;
    TextViewer& m_viewer;
    TextAssembly& m_assembly;
    NavigationHost& m_host;
    // For each navigation list, the heading of each row.
    std::vector<std::vector<int32_t>> m_rows;
};
