#pragma once

#include "package/dom/Dom.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// Bookmarks and annotations as the usage file keeps them, read into plain
// records. Elements that cannot be read (junk numbers, missing children,
// duplicate ids) are skipped with a line in `problems`; they stay in the file.

// A place a mark is made at: the location id of the entry whose text is
// shown (L × 100 + S) and a caret position in that text.
struct MarkPlace {
    int32_t location = 0;
    int32_t position = 0;
};

struct StoredBookmark {
    QString id;
    int64_t idValue = 0;
    bool user = true; // false for the last-read bookmark
    MarkPlace place;
    QString title;
    QString date;
    QString snippet; // the marked text as it was when the mark was made
};

struct StoredAnnotation {
    QString id;
    int64_t idValue = 0;
    MarkPlace place; // position -1: made outside the text
    int32_t length = 0;
    QString title;
    QString date;
    QString text;
    QString snippet;
};

struct StoredMarks {
    std::vector<StoredBookmark> bookmarks;     // document order; the last-read one included when it has a place
    std::vector<StoredAnnotation> annotations; // document order
    QStringList problems;                      // one line per element skipped
};

// Reads every mark below the usage file's root element.
StoredMarks ReadMarks(const DomDocument& usage);
// The number of user bookmarks and of annotations, counted without reading them.
int CountUserBookmarks(const DomDocument& usage);
int CountAnnotationElements(const DomDocument& usage);

// One more than the largest id among the root's children of that name, as
// decimal text. Ids that are no number are passed over.
QString NewMarkId(const DomNode& root, const QString& elementName);

// The row a mark has in its list: title and date.
QString MarkRowText(const QString& title, const QString& date);

// Text of an element that comes back exactly as written: line breaks, tabs
// and blanks at the ends survive the file's layout, which trims text and
// makes blanks of them. A text changed by hand in the file wins over the
// exact copy kept beside it.
void SetExactText(DomNode element, const QString& text);
QString ExactText(const DomNode& element);

// The next (or previous) mark in reading order from a place: the nearest by
// location id, then by position. Positions below 0 are never a target in
// their own entry. Index into places, or nothing.
std::optional<size_t> NearestMark(const std::vector<MarkPlace>& places, const MarkPlace& from, bool next);

// The snippet kept for a mark: up to MaxSnippet characters of the text from
// position, ending before a line break.
constexpr int MaxSnippet = 16;
QString SnippetAt(const QString& text, int32_t position, int32_t length);
// Where a mark stands in text: its stored position, unless the snippet is not
// found there but is found elsewhere, then the nearest place it is found.
int32_t LocateMark(const QString& text, int32_t position, const QString& snippet);

// Child element names of the two kinds of mark.
namespace MarkNames {
inline const QString Bookmark = QStringLiteral("bookmark");
inline const QString Annotation = QStringLiteral("annotation");
} // namespace MarkNames

// New elements, appended to root. Returns the new element.
DomNode AppendBookmark(DomNode& root, const QString& id, const QString& date, const MarkPlace& place,
                       const QString& title, const QString& snippet);
DomNode AppendAnnotation(DomNode& root, const QString& id, const QString& date, const MarkPlace& place, int32_t length,
                         const QString& title, const QString& text, const QString& snippet);
// An annotation's title, text and date after an edit; its place stays.
void UpdateAnnotationElement(DomNode& element, const QString& date, const QString& title, const QString& text);

// The location id as stored: at least five digits.
QString LocationText(int32_t location);
