#pragma once

#include "package/dom/Dom.h"

#include <QString>
#include <string>

// The program's own layout of XML files: one element a line, indented with
// tabs, CR LF line ends, text alone in its element kept on the element's
// line, line breaks and tabs in text turned into blanks. With latin1, every
// character beyond ISO-8859-1 is written as a character reference and the
// result is ISO-8859-1 bytes; otherwise it is UTF-8.
struct DomFormatted {
    std::string text;
    QString unwritableName; // set when a name cannot be written in ISO-8859-1; text is then incomplete
};

// onlyChild: node is the only child of its parent (its text then needs no line of its own).
DomFormatted DomFormat(const DomNode& node, int depth, bool onlyChild, bool latin1);
