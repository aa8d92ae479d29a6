#include "app/ui/MainLayout.h"

bool ComputeMainLayout(int width, int height, int topBandHeight, int bottomBandHeight, MainLayout& out)
{
    if (width < 200)
        return false;
    out.surface.left = 100;
    out.surface.top = topBandHeight + 250;
    out.surface.width = width - 200;
    out.surface.height = height - topBandHeight - bottomBandHeight;
    if (out.surface.height < 0)
        out.surface.height = 0;
    out.titleLeft = out.surface.left;
    out.titleWidth = out.surface.width;
    return true;
}
