#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// What the reading view remembers about the unit it shows: the text build,
// the font-size steps, and the matches of the active search. One instance
// (Txt()); the text display writes it, navigation and search read and set it.
struct TextState {
    // Points added to every style-sheet size; View > Larger and Smaller change it by 5.
    int16_t FontSizeOffset = 0;
    // The element name of the last start tag, lower-cased.
    QString CurrentElement;
    // The id of the heading whose unit is shown.
    int32_t CurrentHeadId = 0;

    // The phrase of the active search; empty when no search is active.
    QString SearchText;
    // Start positions of the matches of SearchText in the shown text.
    std::vector<int32_t> FoundPositions;
    // Index into FoundPositions of the current match.
    int CurrentFound = 0;
    // The next text built starts at its last match instead of its first.
    bool StartAtLastMatch = false;
    // The heading id of each row of the search-results list (navigation list 0).
    std::vector<int32_t> FoundIds;
    // The entry that was shown when the search ran: only its text is searched
    // from or up to the last read position; 0 when the direction is all.
    int32_t SearchOriginId = 0;
    // The entry a search of the current article colours; 0 when there is none.
    int32_t LocalSearchHeadId = 0;

    // The search window's choices that the text build reads.
    bool SearchWholeWord = false;
    bool SearchCaseSensitive = false;
    // 0 the whole text, 1 from the last read position down, 2 from the top up to it.
    int SearchDirection = 0;
};

// The one text state of this process.
TextState& Txt();
// Puts it back to its start values (used by tests).
void ResetTextState();
