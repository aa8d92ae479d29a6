#include "render/ColourContrast.h"

#include <algorithm>
#include <cmath>

namespace {

// What a mark, a cue drawn on text that is readable by itself, needs to be
// told apart from the page: the least asked of anything that is not text
// itself. It keeps the standard colours on the standard sheets.
constexpr double LeastContrast = 3.0;

double Linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(int color)
{
    return 0.2126 * Linear(color & 0xFF) + 0.7152 * Linear((color >> 8) & 0xFF) + 0.0722 * Linear((color >> 16) & 0xFF);
}

int Mix(int color, int toward, double share)
{
    int mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int from = (color >> shift) & 0xFF;
        const int to = (toward >> shift) & 0xFF;
        mixed |= int(std::lround(from + (to - from) * share)) << shift;
    }
    return mixed;
}

} // namespace

double ContrastRatio(int color, int background)
{
    const double a = Luminance(color) + 0.05;
    const double b = Luminance(background) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

int ReadableColour(int color, int background)
{
    if (ContrastRatio(color, background) >= LeastContrast)
        return color;
    // Toward white on a dark page, toward black on a light one; white on black always stands out.
    const int toward = Luminance(background) < 0.18 ? 0xFFFFFF : 0x000000;
    for (int step = 1; step <= 10; ++step) {
        const int mixed = Mix(color, toward, step / 10.0);
        if (ContrastRatio(mixed, background) >= LeastContrast)
            return mixed;
    }
    return toward;
}
