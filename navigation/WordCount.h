#pragma once

#include <QString>

class DomDocument;

// The length suffix of navigation list entries: " [N]" where N counts the
// spaces and line breaks in a heading's article (not its words), so a reader
// can judge an article before opening it.

// The suffix for the heading with this id in navigation list listLevel, or
// empty text when the option is off, that list is not the deepest one (nor
// the search results, list 0), or no such heading exists. Reads the run state
// and the options.
QString WordCount(const QString& id, int listLevel = 0);
// The same for a heading node in hand, without looking it up by its id.
class DomNode;
QString WordCount(const DomNode& heading, int listLevel);

// An entry text without its suffix. Leaves the text alone when the option is
// off, at level 1, or when it carries no suffix.
QString NoWordCount(const QString& text);

// The counting itself: line breaks plus the spaces on every line.
int CountSpacesAndBreaks(const QString& text);

// The element counted for a heading path: the heading raised by one parent per
// "/" in the path; null for more than three separators.
class DomNode;
DomNode CountedElement(const DomNode& heading, const QString& path);
