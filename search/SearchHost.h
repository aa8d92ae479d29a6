#pragma once

// What the search asks of the main window beyond the navigator's host.
class SearchHost {
public:
    virtual ~SearchHost() = default;
    // Shows the search window modally; its choices are in Choices() and Txt() afterwards.
    virtual void showSearchWindow() = 0;
    // Navigate > Search results can act, or not.
    virtual void setSearchResultsEnabled(bool enabled) = 0;
    // The mode changed: bring the menus in line.
    virtual void searchMenusChanged() = 0;
    // The current match or result changed: show where the reader is. caretMoved:
    // the caret went to another match in the same text, which nothing else tells.
    virtual void searchPlaceChanged(bool caretMoved = false) = 0;
};
