#pragma once

// Geometry of the main window in twips, the unit the layout rule is written
// in; 15 twips make one pixel.
constexpr int TwipsPerPixel = 15;

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipRect&) const = default;
};

// Where Form_Resize puts the reading surface for a window of inner size
// width x height twips: the text view, every navigation list and the
// background label share this rectangle. No value when the window is too
// narrow, in which case nothing moves.
struct MainLayout {
    TwipRect surface;
    int titleLeft = 0;
    int titleWidth = 0;
};

bool ComputeMainLayout(int width, int height, int topBandHeight, int bottomBandHeight, MainLayout& out);

inline int ToPixels(int twips) { return twips / TwipsPerPixel; }
inline int ToTwips(int pixels) { return pixels * TwipsPerPixel; }
