#pragma once

#include <QString>
#include <array>
#include <vector>

// The style sheet reader and the style table it fills.
//
// A style sheet is a small text file in a restricted CSS dialect: rules of a
// selector, "{", declarations "property: value;" and "}". No comments. Only
// the first word of a selector counts ("h1 h2" styles h1; "h1, h2" is stored
// as "h1,"). Property names are compared ignoring case, selectors keep theirs.
// Values are kept as text; the affix properties lose every double quote, and
// an affix "crlf" stands for a line break when applied. The indent is read
// from "text-indent", underlining from "text-decorartion" (sic: stored sheets
// use that spelling; "text-decoration" is ignored). Unknown properties are
// ignored. A rule named "default" fills record 0, over the built-in defaults,
// and the rules after it take records 1, 2, ... again.

// The fields of a style record; Name is the selector, the others hold the
// values of the properties named in the comments.
namespace Style {
enum Field : int {
    Name = 0,
    FontFamily = 1,      // font-family
    FontSize = 2,        // font-size
    FontStyle = 3,       // font-style
    FontWeight = 4,      // font-weight
    TextAlign = 5,       // text-align
    TextIndent = 6,      // text-indent
    TextDecoration = 7,  // text-decorartion
    BackgroundColor = 8, // background-color
    Color = 9,           // color
    OpentagPrefix = 10,  // opentag-prefix: text before the element's start-tag styling
    OpentagSuffix = 11,  // opentag-suffix: text after it
    ClosetagPrefix = 12, // closetag-prefix: text at the element's end, before its styling is re-applied
    ClosetagSuffix = 13, // closetag-suffix: text after that
    FieldCount = 14,
};
} // namespace Style

// One rule of the style sheet in force: 14 fields of text, empty when not given.
struct StyleRecord {
    std::array<QString, Style::FieldCount> field;

    QString& operator[](int i) { return field.at(static_cast<size_t>(i)); }
    const QString& operator[](int i) const { return field.at(static_cast<size_t>(i)); }
};

// The style table: record 0 holds the defaults, records 1 to StyleCount() - 1
// the rules in the order they stand, and record StyleCount() is always there
// and empty, so a lookup of records 1 to StyleCount() inclusive is safe. The
// table grows with the sheet; a rule past record 32766 stops the reading.
std::vector<StyleRecord>& StyleTable();

// The record the next rule would fill.
int StyleCount();

// The opentag-suffix of the rule named exactly "pagenum": the text written just
// before a page number, which page navigation searches for. Empty when the
// sheet in force has no such rule.
const QString& PageNumSuffix();

// Writes the built-in defaults into record 0: Verdana, 14, normal, normal,
// left, indent 0, no decoration, background White, colour Black.
void SetDefaultStyles();

// Reads style sheet number index of the run state's StyleSheets (numbered from
// 1) into the style table, after resetting the table to the defaults. False
// when an error stopped the reading (for instance an index without a sheet);
// the records read until then stay.
bool LoadCSS(int index);

// The same for a style sheet text.
bool LoadCSSFromText(const QString& text);
