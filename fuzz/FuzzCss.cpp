// The style sheet reader on any sheet, read the way style sheet files are
// (UTF-8, else Windows-1252), through LoadCSS as the program calls it.

#include "app/core/RunState.h"
#include "fuzz/FuzzSupport.h"
#include "render/modCss2RTF.h"
#include "settings/modFilesFolders.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using FuzzSupport::Check;
    RunState& rs = Run();
    rs.StyleSheets = {{QStringLiteral("fuzz"),
                       DecodeText(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)))}};
    LoadCSS(1);
    // The table always ends with the empty record StyleCount.
    const int count = StyleCount();
    Check(count >= 0 && count < 32768);
    Check(StyleTable().size() == static_cast<size_t>(count) + 1);
    if (count > 0) {
        for (const QString& field : StyleTable().back().field)
            Check(field.isEmpty());
    }
    return 0;
}
