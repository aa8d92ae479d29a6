#include "app/core/TrimBlanks.h"

#include <gtest/gtest.h>

TEST(TrimBlanksTest, OnlyBlanksAreTrimmedAndTabsOnlyWhenAsked)
{
    EXPECT_EQ(TrimBlanks(u"  a b  "), u"a b");
    EXPECT_EQ(TrimBlanks(u"\ta\t"), u"\ta\t");
    EXPECT_EQ(TrimBlanks(u" \t a \t ", Blanks::SpacesAndTabs), u"a");
    // A no-break space and line breaks are part of the value.
    EXPECT_EQ(TrimBlanks(u"\u00A0a\u00A0 "), u"\u00A0a\u00A0");
    EXPECT_EQ(TrimBlanks(u" a\r\n", Blanks::SpacesAndTabs), u"a\r\n");
    EXPECT_TRUE(TrimBlanks(u"   ").isEmpty());
    EXPECT_TRUE(TrimBlanks(u" \t ", Blanks::SpacesAndTabs).isEmpty());
}
