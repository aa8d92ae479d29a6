#include "navigation/Phrases.h"

#include <algorithm>

bool IsPhraseDelimiter(QChar c)
{
    return c == u'.' || c == u'?' || c == u'!' || c == u';' || c == u':';
}

int PhraseStartAfter(const QString& text, int j)
{
    if (j < 0 || j + 1 >= text.size() || !IsPhraseDelimiter(text[j]))
        return -1;
    if (text[j + 1] == u' ')
        return j + 2;
    if (text[j + 1] == u'\r' && j + 2 < text.size() && text[j + 2] == u'\n')
        return j + 3;
    return -1;
}

int PhraseStartBefore(const QString& text, int before)
{
    for (int j = std::min(before, static_cast<int>(text.size())) - 2; j >= 0; --j) {
        const int start = PhraseStartAfter(text, j);
        if (start >= 0 && start < before)
            return start;
    }
    return 0;
}

bool IsPhraseStart(const QString& text, int position)
{
    return position >= 2 &&
           (PhraseStartAfter(text, position - 2) == position || PhraseStartAfter(text, position - 3) == position);
}

int NextPhraseStart(const QString& text, int position)
{
    // A delimiter just before the position may end in a CR LF that reaches past it.
    for (int j = std::max(position - 1, 0); j < text.size(); ++j) {
        const int start = PhraseStartAfter(text, j);
        if (start > position)
            return start;
    }
    return static_cast<int>(text.size());
}
