#pragma once

// Shared by the DOM layer's sources only; no one outside package/dom includes it.

#include "package/dom/Dom.h"

#include <pugixml.hpp>

#include <list>
#include <string>
#include <unordered_map>

// One parsed tree. A reload gives the document a fresh tree, so nodes taken
// from the previous content keep their storage until the last of them goes.
//
// pugixml has no detached nodes and cannot move a node between documents, so
// nodes that are not in the tree (made by createElement/createTextNode/
// createAttribute, removed by removeChild, replaced by setText) live under a
// hidden holder element, a child of the document node. Everything that walks
// or queries the document skips it; moving nodes in and out of it keeps their
// identity, so handles stay valid whatever happens to the tree.
struct DomTree {
    pugi::xml_document doc;
    pugi::xml_node holder; // null until the first free node is needed
    // The size of the last layout of the whole tree, to size the next one.
    mutable size_t layoutSize = 0;

    pugi::xml_node freeHolder();
    // The document element.
    pugi::xml_node root() const;
    bool isHolder(pugi::xml_node node) const { return holder && node == holder; }
    // True for the holder and everything under it.
    bool isFree(pugi::xml_node node) const;
};

// Compiled queries by pattern text (plus variable names), least recently used
// dropped first. A variable set must outlive the query compiled against it,
// so each entry owns its own.
class DomQueryCache {
public:
    struct Entry {
        pugi::xpath_variable_set vars;
        std::unique_ptr<pugi::xpath_query> query; // null when the pattern does not compile to a node set
    };

    static constexpr size_t Capacity = 64;

    // The entry for that pattern and those variable names, compiled on first use.
    Entry& get(const std::string& xpath, const std::vector<std::string>& varNames);
    size_t size() const { return m_entries.size(); }

private:
    using Lru = std::list<std::pair<std::string, std::unique_ptr<Entry>>>;
    Lru m_lru; // most recently used first
    std::unordered_map<std::string, Lru::iterator> m_entries;
};

struct DomDocumentData {
    std::shared_ptr<DomTree> tree = std::make_shared<DomTree>();
    DomParseError error;
    DomQueryCache queries;
};

// Bridges the public handles and pugixml.
struct DomAccess {
    static DomNode make(const std::shared_ptr<DomDocumentData>& doc, const std::shared_ptr<DomTree>& tree,
                        pugi::xml_node node, pugi::xml_attribute attr = {});
    static pugi::xml_node node(const DomNode& n)
    {
        return pugi::xml_node(static_cast<pugi::xml_node_struct*>(n.m_node));
    }
    static pugi::xml_attribute attr(const DomNode& n)
    {
        return pugi::xml_attribute(static_cast<pugi::xml_attribute_struct*>(n.m_attr));
    }
    static const std::shared_ptr<DomTree>& tree(const DomNode& n) { return n.m_tree; }
    static const std::shared_ptr<DomDocumentData>& data(const DomNode& n) { return n.m_doc; }
    static const std::shared_ptr<DomDocumentData>& data(const DomDocument& d) { return d.m_data; }
    static DomDocument document(std::shared_ptr<DomDocumentData> data) { return DomDocument(std::move(data)); }
};

// Loading (DomLoad.cpp): parses UTF-8 or any supported encoding into tree,
// filling error on failure. ignoreDeclaration is for text already decoded.
bool DomParseInto(DomTree& tree, const char* bytes, size_t size, bool ignoreDeclaration, DomParseError& error);

// Queries (DomQuery.cpp): runs a pattern relative to a node.
std::vector<DomNode> DomRunQuery(const DomNode& context, const QString& pattern,
                                 const std::vector<std::pair<QString, QString>>& vars, bool firstOnly);

// Whether a pattern handed to getElementsByTagName is a query rather than a name.
bool DomIsPattern(const QString& nameOrPattern);
// "a[@x='1']/* | b" -> "//a[@x='1']/* | //b": each branch of the union searched anywhere.
QString DomAnywherePattern(const QString& pattern);
