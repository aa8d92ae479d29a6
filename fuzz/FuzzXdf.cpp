// The descriptor reader on any file. Messages about bad lines go to the
// silent prompter, which answers at once.

#include "app/core/RunState.h"
#include "fuzz/FuzzSupport.h"
#include "package/modXdf.h"

namespace {
QString g_path;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    g_path = FuzzSupport::Root().path() + QStringLiteral("/fuzz.xdf");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ResetRunState();
    FuzzSupport::WriteFile(g_path, data, size);
    LoadXdf(g_path);
    FuzzSupport::Check(Run().NavLevelCount >= 0 && Run().NavLevelCount <= 6);
    return 0;
}
