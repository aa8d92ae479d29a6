#pragma once

// Colours are 0xBBGGRR, as the options and style sheets give them.

// How far apart two colours are to the eye: 1 (the same lightness) to 21
// (black on white), by the relative luminance of sRGB.
double ContrastRatio(int color, int background);

// The colour itself when it stands out from the background; otherwise the
// same hue made lighter (on a dark background) or darker (on a light one)
// until it does. Marks and matches are drawn in their chosen colours on every
// sheet, including a high-contrast one that a blue would all but vanish on.
int ReadableColour(int color, int background);
