#pragma once

#include <QString>
#include <QStringView>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <cstdint>
#include <optional>

class TextViewer;

// The style applier of modCss2RTF: the one place where a style-sheet property
// becomes formatting at the caret of the text view. The text is built by
// setting the caret's formatting and then inserting text there, piece after
// piece. While the reader overrules the style sheet (Opts().OverRuleCss), font,
// size and colours come from the options instead. (It lives apart from the
// style sheet reader so that the reader builds without the text view.)

// The properties the text assembly applies, in the order it applies them.
enum class StyleProperty {
    Text,            // "text": inserts SetText(value)
    FontFamily,      // "font-family"
    FontSize,        // "font-size"
    FontStyle,       // "font-style"
    FontWeight,      // "font-weight"
    TextAlign,       // "text-align"
    TextIndent,      // "text-ident" (sic: the name the assembly has always passed)
    TextDecoration,  // "text-decoration"
    BackgroundColor, // "background-color"
    Color,           // "color"
    Unknown,         // any other name: does nothing
};

// The property a name stands for, compared ignoring case.
StyleProperty StylePropertyOf(QStringView name);

// What properties do to the view, worked out from their values: the
// formatting they add at the caret and the view background they set. The text
// assembly works out each style record once and applies it whole at every tag.
struct StyleEffect {
    QTextCharFormat charFormat;
    QTextBlockFormat blockFormat;
    std::optional<int> viewBackground; // 0xBBGGRR
};

// Adds what one property does (other than "text") to effect. Raises the error
// that MarkUpRTF logs when the value cannot be applied; an empty value adds nothing.
void AddStyleEffect(StyleEffect& effect, StyleProperty property, const QString& value, QStringView elementName);
// Applies an effect at the caret of the view.
void ApplyStyleEffect(TextViewer& viewer, const StyleEffect& effect);

// Applies one property at the caret. An empty value does nothing, with or
// without overrule. elementName matters only for "font-size" under overrule
// ("head" 3x, "chapeau" 2x, "onderkop" 1.5x the reader's size, case-sensitive).
// A value that cannot be applied (an unknown colour, a size without a leading
// digit, an indent with neither a number nor "px") costs one error-log entry
// and leaves the formatting in force.
void MarkUpRTF(TextViewer& viewer, const QString& property, const QString& value, QStringView elementName = {});
void MarkUpRTF(TextViewer& viewer, StyleProperty property, const QString& value, QStringView elementName = {});

// The colour value (0xBBGGRR, in decimal) of a colour name from NamedColours,
// any case; a number N stands for field N of style record 1 (of record 0 when
// that is empty). Empty text when no colour has that name.
QString SetColor(const QString& value);
// CR LF for "crlf" (any case), else the value unchanged.
QString SetText(const QString& value);
// The default record's font for empty text or " 0", else the text unchanged.
QString SetFontName(const QString& text);
// A size in whole points: the number the text is, or its longest leading
// number ("12px" 12); the default record's size for empty text. 0 (and one
// error-log entry) when the text does not start with a digit.
int16_t SetFontSize(const QString& text);
