#pragma once

#include <cstddef>
#include <vector>

// Which whitespace-only text between tags the tree keeps.
//
// A document's tree keeps blanks without a line break (the space between two
// inline elements) and any whitespace in an element that holds other text
// (mixed content); whitespace-only text with a line break in an element that
// holds no other text is indentation of a pretty-printed file and goes.
// Character references count as text.
//
// The parser drops all whitespace-only text by itself, which is what makes it
// fast; deciding beforehand, in one pass over the UTF-8 text, is much cheaper
// than keeping every run and taking the indentation out of the tree after.
// The runs to keep get their first byte overwritten with a marker so the
// parser takes them for text; once the tree is built in place, the parsed
// values are put right again.
struct KeptWhitespace {
    size_t offset; // where the run starts
    char first;    // its first byte as written
    bool crlf;     // it starts with a CR LF pair
};

// The runs to keep in text (size bytes, UTF-8, need not end in NUL). Only
// reads the text.
std::vector<KeptWhitespace> FindKeptWhitespace(const char* text, size_t size);

// Overwrites the first byte of each run to keep with the marker.
void MarkKeptWhitespace(char* text, const std::vector<KeptWhitespace>& kept);

// After an in-place parse of the marked text with end-of-line handling: the
// parsed values of the kept runs, which still start at their offsets, read as
// the parser would have read the unmarked runs.
void RestoreKeptWhitespace(char* parsed, const std::vector<KeptWhitespace>& kept);
