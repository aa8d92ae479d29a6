#pragma once

#include <QString>

// The phrase rule of the reading keys: a phrase ends at one of ".?!;:" that is
// followed by a space or by a line break (CR LF). Positions are those of
// TextViewer::Text(). Reading aloud splits the text by the same rule, so a
// phrase heard is a phrase the keys move by.

// Whether c ends a phrase when a space or a line break follows it.
bool IsPhraseDelimiter(QChar c);
// Where the phrase after a delimiter at j starts (after the space or the whole
// CR LF), or -1 when j ends no phrase.
int PhraseStartAfter(const QString& text, int j);
// The last phrase start before position `before`, or 0 (the start of the text).
int PhraseStartBefore(const QString& text, int before);
// Whether a phrase starts at position.
bool IsPhraseStart(const QString& text, int position);
// The first phrase start after position; the end of the text when none follows.
int NextPhraseStart(const QString& text, int position);
