#pragma once

#include <QString>

// What the search window was last left with, besides the whole-word, case and
// direction choices that the text build reads from the text state (Txt()).
// The window edits this one object and the search reads it, so the search
// needs no window and keeps the reader's choices between uses.
struct SearchChoices {
    // The phrase in the window; empty after Cancel.
    QString SearchString;
    // 0 the whole document, 1 the article that is shown.
    int SearchScope = 0;
    // 0 list all results, 1 jump to the first.
    int ShowResults = 0;
};

// The one set of search choices of this process.
SearchChoices& Choices();
// Back to the choices of a window never used (tests).
void ResetSearchChoices();
