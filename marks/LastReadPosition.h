#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

// Where the reader stopped, as the usage file keeps it, and the choices made
// at the next opening; nothing here needs a window.

// A place in the navigation lists: 0-based rows of the level-1 list and of
// the level-2 list (-1 when the document has one level or none is selected).
struct ListPlace {
    int32_t level1 = -1;
    int32_t level2 = -1;
};

// The location id of a place: (level-1 row + 1) × 100 + (level-2 row + 1),
// the second part 0 in a one-level document, written with at least five
// digits. A level-2 row the two digits cannot hold is left out.
QString LocationId(const ListPlace& place, int navLevelCount);
// Reads a location id back; nothing when it is not a number.
std::optional<ListPlace> ParseLocationId(const QString& id);

// The date and time of a save in the locale's short form with a four-digit year.
QString LastReadDateText(const QDateTime& when, const QLocale& locale = QLocale());
// Reads a stored date: the locale's form as written above, its short form, or
// ISO 8601. Invalid when none fits.
QDateTime ParseLastReadDate(const QString& text, const QLocale& locale = QLocale());

// Where an opening goes, from the option "StartAtLastReadPosition", whether
// a date of the last reading is known, and the reader's answer when asked
// (ask is called only for option 0 with a date).
bool GoToLastReadPosition(int openDocumentOption, bool haveDate, const std::function<bool()>& ask);

// The question's "Don't ask again": the answer becomes the option (2 for Yes,
// 1 for No) and the options are stored.
void RememberLastReadAnswer(bool answer);

// The question of text 1096 for a stored date.
QString LastReadQuestion(const QDateTime& when);

// Opens or creates the usage file of the run state's DocumentId into DufDoc.
// A damaged file is reported, and the reader may have it set aside for a
// fresh one; false when the document cannot be opened further.
bool OpenDocumentUsageFile();
// Releases the open document's usage file.
void CloseDocumentUsageFile();
