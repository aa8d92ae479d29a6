#pragma once

#include <QStringView>

// The files this program reads trim blanks (spaces, and for some tabs too) and
// nothing else: a no-break space or a line break is part of the value.
enum class Blanks { Spaces, SpacesAndTabs };

inline QStringView TrimBlanks(QStringView text, Blanks blanks = Blanks::Spaces)
{
    const auto blank = [blanks](QChar c) { return c == u' ' || (c == u'\t' && blanks == Blanks::SpacesAndTabs); };
    while (!text.isEmpty() && blank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}
