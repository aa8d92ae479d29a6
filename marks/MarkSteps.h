#pragma once

#include "marks/MarkStore.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class NavList;
class Navigator;
class TextViewer;

// Bookmarks and annotations of the open document, over the navigation lists,
// the text and the usage file of the run state. The windows call these and
// play the sounds; questions go through Prompt().

// Where a mark made now goes: the entry whose text is shown (a search
// result's too) at the caret; outside the text, the start of the entry that
// would be opened. The title is the entry's text.
struct MarkSpot {
    MarkPlace place;
    int32_t headingId = 0;
    QString entryTitle;
    bool inText = false;
};
// Nothing when no entry is at hand or its place has no location id (logged).
std::optional<MarkSpot> CurrentMarkSpot(const Navigator& navigator, const NavList& lists, const TextViewer& viewer);

// The heading whose text a location id names (the first one down to the
// deepest level); 0 when the document has no such entry.
int32_t HeadingOfLocation(int32_t location);
// The location id of a heading; nothing when it has none.
std::optional<int32_t> LocationOfHeading(int32_t headingId);

// The marks of the open usage file, read once and kept until a change.
const StoredMarks& OpenDocumentMarks();
// Call after anything changed the open usage file's DOM.
void MarksChanged();
// How many user bookmarks and annotations can be gone to.
int UserBookmarkCount();
int AnnotationCount();

// The marks of the shown text where they stand in it (after the text moved
// under a mark, where its snippet is found again).
struct ShownMark {
    QString id;
    int32_t start = 0;
    int32_t length = 0;
};
struct ShownMarks {
    int32_t headingId = 0;
    int32_t location = 0;
    std::vector<ShownMark> bookmarks;
    std::vector<ShownMark> annotations; // document order
};
const ShownMarks& Shown();
void ForgetShownMarks();

// Colours the bookmarks (one character, no underline) and then the
// annotations (coloured and underlined) of the text just built for heading
// headId, and remembers where they stand. Marks past the text are logged.
void HighLightMarks(TextViewer& viewer, int32_t headId);

// The annotation of the shown text the caret is in (the last made of
// overlapping ones), from the stored ranges; null when none.
const ShownMark* AnnotationAt(int32_t caret);
const StoredAnnotation* FindAnnotation(const QString& id);
const StoredBookmark* FindBookmark(const QString& id);

// Bookmark at the spot, or the question whether to remove the one there.
enum class ToggleResult { Added, Removed, Kept, Failed };
ToggleResult ToggleBookmark(const MarkSpot& spot, const QString& shownText);
// Asks (1705 with the bookmark's row text) and removes it; true when removed and saved.
bool DeleteBookmark(const QString& id);

// The next or previous bookmark (the last-read one included) or annotation in
// reading order from the spot.
struct MarkTarget {
    MarkPlace place;
    QString id;
    QString snippet;
};
std::optional<MarkTarget> NextBookmark(const MarkPlace& from, bool next);
std::optional<MarkTarget> NextAnnotation(const MarkPlace& from, bool next);
std::optional<MarkTarget> BookmarkTarget(const QString& id);
std::optional<MarkTarget> AnnotationTarget(const QString& id);

// A new note at the spot over length characters (outside the text: position -1, length 0).
bool SaveNewAnnotation(const MarkSpot& spot, int32_t length, const QString& title, const QString& text,
                       const QString& shownText);
bool UpdateAnnotation(const QString& id, const QString& title, const QString& text);
// Asks (1611 with the title) and removes it; true when removed and saved.
bool DeleteAnnotation(const QString& id);

// Ends a search, selects the target's entries, builds its text with the caret
// on the mark and shows it. False (logged) when the entry is not there.
bool ShowMarkTarget(Navigator& navigator, TextViewer& viewer, const MarkTarget& target);

// Rows of the two lists: the mark's id and its row text, in document order.
struct MarkRow {
    QString id;
    QString text;
};
std::vector<MarkRow> BookmarkRows();
std::vector<MarkRow> AnnotationRows();
