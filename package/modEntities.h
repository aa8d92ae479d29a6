#pragma once

#include <QString>
#include <QStringView>
#include <array>

// The character entity table: 256 rows, one per character code 0 to 255, each
// holding the reference as written in documents ("&eacute;") and its
// character. Loaded once at start-up from ISOLat1.ent in the data folder.
//
// ISOLat1.ent is a text file (UTF-8, or Windows-1252 when not valid UTF-8;
// lines end with CR LF or LF, the last line is read without one too). Each
// line: the code in decimal, "|", the reference, "|", the character. An
// empty character field stands for the code's own character, for codes whose
// character a line cannot hold (line breaks, other controls, "|").

struct EntityRow {
    QString reference; // as written in documents, with its "&" and ";"
    QString character; // empty when the file gives none
};

// Reads ISOLat1.ent from the data folder into the table, replacing what was
// there. A line without "|" is shown to the reader (text 1850) and skipped.
// A line whose code is not a number from 0 to 255 ends the loading through the
// error log; the rows read so far stay. A line for code 34 always gives
// "&quot;" and the double quote. A missing file leaves the table empty.
void LoadEntityMapping();

// The table as loaded.
const std::array<EntityRow, 256>& EntityTable();

// The text with every character reference and every known entity reference
// replaced by its character. What is not a reference stays as written: an "&"
// without a name and ";" after it ("Smith & Sons"), and a named reference the
// table does not know. A reference is "&", a name of up to 64 characters
// without blanks, "&", ";", "<" or ">", and ";".
QString ReplaceEntities(QStringView text);

// The character of one reference ("&" to ";" inclusive), or empty text.
// "&#N;" (decimal) or "&#xN;" (hexadecimal) gives the character of row N
// when the table has one for N, otherwise code point N itself, as UTF-16; a
// code point that is not a character (0, a surrogate, above U+10FFFF) gives
// U+FFFD. A named reference gives the character of the first row from 31 on
// whose reference matches exactly (case counts), or empty text when none does.
QString XChangeEntity(QStringView reference);
