#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

// Finding a phrase in text without regard to case, as comparing both folded
// character by character does, without making a folded copy of the text.

// Whether text holds a surrogate, the half of a character beyond the first
// 65,536; looked through in vector steps.
bool HoldsSurrogates(QStringView text);

// The case fold of the unit at i of text (n units), as folding the text whole
// gives it: a pair of surrogates is folded as one character.
inline char16_t FoldedAt(const char16_t* s, qsizetype n, qsizetype i)
{
    const char16_t c = s[i];
    if (c < 0x80)
        return char16_t(c - u'A') < 26 ? char16_t(c | 0x20) : c;
    if (!QChar::isSurrogate(c))
        return char16_t(QChar::toCaseFolded(char32_t(c)));
    if (QChar::isHighSurrogate(c)) {
        if (i + 1 < n && QChar::isLowSurrogate(s[i + 1]))
            return QChar::highSurrogate(QChar::toCaseFolded(QChar::surrogateToUcs4(c, s[i + 1])));
    } else if (i > 0 && QChar::isHighSurrogate(s[i - 1])) {
        return QChar::lowSurrogate(QChar::toCaseFolded(QChar::surrogateToUcs4(s[i - 1], c)));
    }
    return c;
}

// The first position from `from` where the text folded unit by unit (a pair
// of surrogates as one character) holds `folded`, a phrase folded with
// QString::toCaseFolded, or -1.
qsizetype IndexOfFolded(QStringView text, QStringView folded, qsizetype from);
