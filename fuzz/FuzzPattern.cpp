// Descriptor patterns as the navigation queries use them: translated, checked,
// and run against a small document. Nothing may crash or run away.

#include "fuzz/FuzzSupport.h"
#include "package/dom/Dom.h"
#include "package/dom/DomPattern.h"

namespace {
DomDocument* g_doc = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    g_doc = new DomDocument;
    g_doc->loadXML(QByteArray("<krant><rubriek><titel><head id='0100'>A</head></titel>"
                              "<artikel><titel><head id='0101'>B</head></titel><p>x &amp; y</p></artikel>"
                              "</rubriek></krant>"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString pattern = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)TranslateXslPattern(pattern);
    QString reason;
    if (PatternCompiles(QStringLiteral("//") + pattern, &reason))
        (void)g_doc->selectNodes(QStringLiteral("//") + pattern);
    else
        FuzzSupport::Check(!reason.isEmpty());
    return 0;
}
