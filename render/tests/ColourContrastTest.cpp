// Marks in their chosen colours on every sheet, readable on each.
#include "render/ColourContrast.h"

#include <gtest/gtest.h>

namespace {

constexpr int Black = 0x000000, White = 0xFFFFFF, Blue = 0xFF0000, Yellow = 0x00FFFF, Red = 0x0000FF, Green = 0x008000;

int Channel(int color, int shift)
{
    return (color >> shift) & 0xFF;
}

} // namespace

TEST(ColourContrast, RatiosOfKnownPairs)
{
    EXPECT_NEAR(ContrastRatio(Black, White), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(White, Black), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(Blue, Blue), 1.0, 1e-9);
    // Pure blue on black is the case of the high-contrast sheet.
    EXPECT_NEAR(ContrastRatio(Blue, Black), 2.44, 0.01);
}

TEST(ColourContrast, AColourThatStandsOutIsKept)
{
    EXPECT_EQ(ReadableColour(Blue, White), Blue);
    EXPECT_EQ(ReadableColour(Green, Black), Green);
    EXPECT_EQ(ReadableColour(Red, White), Red);
}

TEST(ColourContrast, AFaintColourIsLightenedOrDarkenedKeepingItsHue)
{
    // Blue on black: lighter, still blue, and readable.
    const int onBlack = ReadableColour(Blue, Black);
    EXPECT_NE(onBlack, Blue);
    EXPECT_GE(ContrastRatio(onBlack, Black), 3.0);
    EXPECT_GT(Channel(onBlack, 16), Channel(onBlack, 0));
    EXPECT_GT(Channel(onBlack, 16), Channel(onBlack, 8));
    // Yellow on white: darker, still yellow.
    const int onWhite = ReadableColour(Yellow, White);
    EXPECT_GE(ContrastRatio(onWhite, White), 3.0);
    EXPECT_EQ(Channel(onWhite, 0), Channel(onWhite, 8));
    EXPECT_LT(Channel(onWhite, 16), Channel(onWhite, 0));
    // A mark in the page's own colour becomes the opposite.
    EXPECT_GE(ContrastRatio(ReadableColour(Black, Black), Black), 3.0);
    EXPECT_GE(ContrastRatio(ReadableColour(White, White), White), 3.0);
    // A mid grey page: whichever way is needed, the result stands out.
    for (const int page : {0x777777, 0x888888, 0x3050A0})
        for (const int mark : {Blue, Yellow, Red, Green, page})
            EXPECT_GE(ContrastRatio(ReadableColour(mark, page), page), 3.0) << std::hex << mark << " on " << page;
}
