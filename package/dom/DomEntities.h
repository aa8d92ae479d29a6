#pragma once

#include <QString>
#include <cstddef>
#include <string>

// The general entities a document declares in its internal DTD subset, and
// the check that every named reference is one of them or one of the five
// predefined ones. The parser knows only the predefined five and leaves any
// other reference as text, so this runs on the UTF-8 text before it parses.
struct EntityResolution {
    enum class Kind { Unchanged, Rewritten, Failed } kind = Kind::Unchanged;
    std::string text;  // the text with declared references replaced (Rewritten)
    size_t offset = 0; // where the offending reference starts (Failed)
    QString reason;    // why the text is not well-formed (Failed)
};

// Scans text (UTF-8). References inside comments, CDATA sections, processing
// instructions and the DOCTYPE are left alone; so are character references.
// Expansion is bounded, so a small file cannot declare its way to gigabytes.
EntityResolution ResolveEntities(const char* text, size_t size);
