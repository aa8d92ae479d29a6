#include "render/TextState.h"

namespace {
TextState g_text;
}

TextState& Txt()
{
    return g_text;
}

void ResetTextState()
{
    g_text = TextState{};
}
