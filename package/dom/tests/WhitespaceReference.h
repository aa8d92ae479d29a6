#pragma once

// The plain way to the tree a document should have: keep every whitespace-only
// text while parsing, then take out the indentation. Slow on large documents,
// obviously right on small ones; the fast marking is checked against it.

#include "package/dom/DomWhitespace.h"

#include <pugixml.hpp>

#include <cstring>
#include <sstream>
#include <string>

namespace WhitespaceReference {

inline void TidyChildren(pugi::xml_node parent)
{
    bool hasBreakOnlyText = false;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_cdata)
            return;
        if (c.type() != pugi::node_pcdata)
            continue;
        bool lineBreak = false;
        for (const char* p = c.value(); *p; ++p) {
            if (*p == '\n' || *p == '\r')
                lineBreak = true;
            else if (*p != ' ' && *p != '\t')
                return;
        }
        hasBreakOnlyText = hasBreakOnlyText || lineBreak;
    }
    if (!hasBreakOnlyText)
        return;
    for (pugi::xml_node c = parent.first_child(); c;) {
        const pugi::xml_node next = c.next_sibling();
        if (c.type() == pugi::node_pcdata && std::strpbrk(c.value(), "\r\n"))
            parent.remove_child(c);
        c = next;
    }
}

inline void Tidy(pugi::xml_node node)
{
    if (node.type() == pugi::node_element || node.type() == pugi::node_document)
        TidyChildren(node);
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        Tidy(c);
}

inline std::string Print(const pugi::xml_document& doc)
{
    std::ostringstream out;
    doc.print(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

// Both trees of the text, printed; ok tells whether both parsed.
struct Trees {
    bool referenceOk = false;
    bool markedOk = false;
    std::string reference;
    std::string marked;
};

inline Trees Build(const std::string& text)
{
    Trees t;
    pugi::xml_document reference;
    t.referenceOk = static_cast<bool>(reference.load_buffer(
        text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata, pugi::encoding_utf8));
    if (t.referenceOk) {
        Tidy(reference);
        t.reference = Print(reference);
    }
    std::string copy = text;
    const auto kept = FindKeptWhitespace(copy.data(), copy.size());
    MarkKeptWhitespace(copy.data(), kept);
    pugi::xml_document marked;
    t.markedOk = static_cast<bool>(
        marked.load_buffer_inplace(copy.data(), copy.size(), pugi::parse_default, pugi::encoding_utf8));
    if (t.markedOk) {
        RestoreKeptWhitespace(copy.data(), kept);
        t.marked = Print(marked);
    }
    return t;
}

// Inputs where the two may rightly differ: character references, which count
// as text for the marking, and bytes the parser stops at.
inline bool Comparable(const std::string& text)
{
    return text.find("&#") == std::string::npos && text.find('\0') == std::string::npos &&
           text.find('\x01') == std::string::npos;
}

} // namespace WhitespaceReference
