// The language-file reader on any file: Languages/fuzz.lng in a private data
// folder. Messages about bad lines go to the silent prompter.

#include "fuzz/FuzzSupport.h"
#include "settings/modLanguage.h"

namespace {
QString g_path;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init(true);
    QDir().mkpath(AppPaths::LanguagesDir());
    g_path = AppPaths::LanguagesDir() + QStringLiteral("/fuzz.lng");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::WriteFile(g_path, data, size);
    LoadLang(QStringLiteral("fuzz"));
    // Fetching a text with a parameter expands it without failing.
    SetLangTxt(static_cast<int>(size % 2001), QStringLiteral("%s"));
    return 0;
}
