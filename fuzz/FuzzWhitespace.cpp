// The whitespace marking against the plain way (keep every whitespace-only
// text while parsing, then take out the indentation): both must give the same
// tree for any text, and the marking must stay inside its buffer.

#include "fuzz/FuzzSupport.h"
#include "package/dom/tests/WhitespaceReference.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const WhitespaceReference::Trees t = WhitespaceReference::Build(text);
    if (WhitespaceReference::Comparable(text)) {
        FuzzSupport::Check(t.referenceOk == t.markedOk);
        FuzzSupport::Check(t.reference == t.marked);
    }
    return 0;
}
