#pragma once

#include "marks/LastReadPosition.h"

#include <QString>
#include <functional>

class NavList;
class Navigator;
class TextViewer;

// The last-read position's steps of opening and closing a document, over the
// navigation lists and the text.

// Asks the reader the question (text 1096 with its date); true for Yes.
using AskLastReadPosition = std::function<bool(const QString& question)>;

// Stores where the reader is into the usage file's last-read bookmark: the
// entry of the shown text (also a search result's), else the lists'
// selections, and the caret while the text is shown.
void SaveLastReadPosition(const NavList& lists, const TextViewer& viewer);

// After the first level is shown: reads the last-read bookmark, asks or
// follows the option, and selects the stored entries, building the text at
// the stored caret when there is one. An entry that no longer exists gives
// the first entry, a caret past the text its end (both logged). True when
// the focus was moved (the question was asked or a place was restored).
bool RestoreLastReadPosition(Navigator& navigator, NavList& lists, const TextViewer& viewer,
                             const AskLastReadPosition& ask);

// Where a heading of the navigation index stands in the lists; nothing when
// the id is not one of the open document's headings.
std::optional<ListPlace> ListPlaceOfHeading(int32_t headingId);
