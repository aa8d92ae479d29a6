#pragma once

#include "library/modSort.h"

#include <QString>
#include <vector>

// What the open-book window lists, worked out from the library table: flat,
// or grouped on bookshelves with the shelves first, then the documents on no
// shelf; inside a shelf an entry to go back up, then its documents.

enum class OpenBookEntryKind { Shelf, Up, Document, Placeholder };

struct OpenBookEntry {
    OpenBookEntryKind kind = OpenBookEntryKind::Placeholder;
    QString text;
    int row = -1;  // the table row of a document
    QString shelf; // the shelf a shelf entry stands for
};

// rows: how many table rows hold an entry. shelf: the shelf shown, empty at
// the top level. neverOpened is what a document never opened shows instead
// of its date, upText the up entry's caption, placeholder the text of an
// empty list.
std::vector<OpenBookEntry> BuildOpenBookEntries(const VariantTable& table, int rows, bool grouped, const QString& shelf,
                                                const QString& neverOpened, const QString& upText,
                                                const QString& placeholder);

// A document entry's text: the title and, in brackets, when it was last opened.
QString DocumentEntryText(const VariantTable& table, int row, const QString& neverOpened);

// One item of the File menu's recent list.
struct RecentDocument {
    QString caption; // "&1 title", the title's own "&" doubled
    QString title;
    QString location;
    QString id;
};

// The (at most) four first rows of a table sorted by last opening.
std::vector<RecentDocument> RecentDocuments(const VariantTable& table, int rows);
