#include "app/core/RunState.h"

namespace {
RunState g_run;
}

RunState& Run()
{
    return g_run;
}

void ResetRunState()
{
    g_run = RunState{};
}
