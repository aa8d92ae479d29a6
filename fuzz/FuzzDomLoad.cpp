// The DOM load on any bytes: encodings, DTD subsets with entity declarations
// and references. A loaded document must serialize and be searchable.

#include "fuzz/FuzzSupport.h"
#include "package/dom/Dom.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DomDocument doc;
    const bool ok = doc.loadXML(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (ok) {
        const DomNode root = doc.documentElement();
        (void)root.xml();
        (void)root.text();
        (void)doc.selectNodes(QStringLiteral("//*[@id]"));
    } else {
        FuzzSupport::Check(doc.parseError().errorCode != 0);
        FuzzSupport::Check(doc.parseError().line >= 0 && doc.parseError().linepos >= 0);
    }
    return 0;
}
