// The phrase rule shared by the phrase keys and reading aloud.
#include "navigation/Phrases.h"

#include <QList>
#include <gtest/gtest.h>

TEST(PhrasesTest, APhraseEndsAtAMarkFollowedByABlankOrALineBreak)
{
    const QString text = QStringLiteral("Ca. 3.5 km; \"Ja.\" Nee!\r\nKlaar:\r\n\r\nEind?");
    // Starts after "Ca. ", "km; ", "Nee!\r\n" and "Klaar:\r\n"; none inside "3.5" or after the quote.
    QList<int> starts;
    for (int p = 0; p < text.size();) {
        p = NextPhraseStart(text, p);
        starts << p;
    }
    EXPECT_EQ(starts, (QList<int>{4, 12, 24, 32, int(text.size())}));
    for (int s : starts.mid(0, 4))
        EXPECT_TRUE(IsPhraseStart(text, s)) << s;
    EXPECT_FALSE(IsPhraseStart(text, 5));
    EXPECT_EQ(PhraseStartBefore(text, 24), 12);
    EXPECT_EQ(PhraseStartBefore(text, 3), 0);
    // A mark at the very end ends no phrase: nothing follows it.
    EXPECT_EQ(PhraseStartAfter(text, int(text.size()) - 1), -1);
    // From the CR of a break after a mark, the next start is after the whole break.
    EXPECT_EQ(NextPhraseStart(text, 22), 24);
    EXPECT_EQ(NextPhraseStart(text, 24), 32);
    EXPECT_EQ(NextPhraseStart(QString(), 0), 0);
}
