#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

// The DOM layer: an in-memory XML document with nodes, node lists, attribute
// maps and pattern queries. Handles share ownership of their document, so a
// node stays valid as long as anyone holds it, as with reference-counted DOM
// objects. Copying a DomDocument copies the reference, not the document.

namespace pugi {
class xml_document;
}

struct DomDocumentData;
struct DomTree;
class DomDocument;
class DomNodeList;
class DomAttributes;
class DomTextVisitor;

// DOM node type numbers.
enum class DomNodeType {
    None = 0,
    Element = 1,
    Attribute = 2,
    Text = 3,
    CData = 4,
    ProcessingInstruction = 7,
    Comment = 8,
    Document = 9,
    DocumentType = 10,
    DocumentFragment = 11,
};

// Why a load failed: code, reason, 1-based line and position in that line.
// The code is the XML parser's status number (1 file not found, 2 read
// error, 3 out of memory, 4 and up malformed markup) or EncodingErrorCode.
struct DomParseError {
    static constexpr int EncodingErrorCode = 100;    // declared encoding not supported
    static constexpr int UndeclaredEntityCode = 101; // a named reference to an entity never declared

    int errorCode = 0;
    QString reason;
    int line = 0;
    int linepos = 0;
};

class DomNode {
public:
    DomNode() = default;

    bool isNull() const;
    explicit operator bool() const { return !isNull(); }
    bool operator==(const DomNode& other) const;
    // A value that is the same for every handle of one node (for hashing).
    const void* identity() const { return m_attr ? m_attr : m_node; }

    QString nodeName() const;
    DomNodeType nodeType() const;
    // Value of an attribute, text, CDATA or comment node; empty for elements.
    QString nodeValue() const;
    void setNodeValue(const QString& value);
    // All descendant text joined, in document order.
    QString text() const;
    // Replaces the children by one text node (the value for an attribute).
    void setText(const QString& value);
    // The node serialized as UTF-8 markup: attributes in double quotes, markup
    // escaped, empty elements as <br/>, no indentation.
    QString xml() const;

    DomNodeList childNodes() const;
    DomAttributes attributes() const;
    DomNode parentNode() const;
    // The element that many levels up (parentNode() for 1), or null.
    DomNode ancestor(int levels) const;
    DomNode firstChild() const;
    DomNode nextSibling() const;
    DomDocument ownerDocument() const;
    bool hasChildNodes() const;

    // Moves or appends newChild as the last child; returns it.
    DomNode appendChild(const DomNode& newChild);
    // Removes a child of this node; returns it (detached) or a null node.
    DomNode removeChild(const DomNode& child);

    // Element attributes: add or replace; read (empty when absent).
    void setAttribute(const QString& name, const QString& value);
    // The same for a name and value already in UTF-8, as numbered ids are.
    void setAttribute(const char* name, const char* value);
    QString getAttribute(const QString& name) const;

    // Pattern queries (the XSL-pattern forms, see DomPattern.h), relative to this node.
    DomNodeList selectNodes(const QString& pattern) const;
    DomNode selectSingleNode(const QString& pattern) const;
    // The same with named values bound safely: $name in the pattern stands for
    // the string values[name]; never paste user text into a pattern.
    DomNodeList selectNodes(const QString& pattern, const std::vector<std::pair<QString, QString>>& vars) const;
    DomNode selectSingleNode(const QString& pattern, const std::vector<std::pair<QString, QString>>& vars) const;

private:
    friend class DomDocument;
    friend class DomNodeList;
    friend class DomAttributes;
    friend struct DomAccess;
    friend void WalkText(const DomNode&, DomTextVisitor&);
    std::shared_ptr<DomDocumentData> m_doc;
    std::shared_ptr<DomTree> m_tree; // the storage m_node lives in (a reload makes a new one)
    void* m_node = nullptr;          // pugi::xml_node_struct*; the element for attribute nodes
    void* m_attr = nullptr;          // pugi::xml_attribute_struct*, set for attribute nodes
};

// A fast read of a subtree's text for code that walks thousands of units: no
// node handles and no conversions, names and values as the tree holds them
// (UTF-8), valid during the call only. See WalkText.
class DomTextVisitor {
public:
    // The element whose start tag is met; its attributes are read through it.
    class Element {
    public:
        // The value of the attribute of that name; empty when it has none.
        std::string_view attribute(const char* name) const;

    private:
        friend void WalkText(const DomNode&, DomTextVisitor&);
        explicit Element(const void* node) : m_node(node) {}
        const void* m_node;
    };

    virtual ~DomTextVisitor() = default;
    virtual void startElement(std::string_view name, const Element& element) = 0;
    virtual void endElement(std::string_view name) = 0;
    // A text or CDATA node, its value ending in a NUL as the tree holds it
    // (the length is often not needed); first and last say that no sibling of
    // any kind comes before or after it.
    virtual void text(const char* value, bool first, bool last) = 0;
};

// Walks node and everything below it in document order: an element's start,
// its content, its end. A document node walks its children.
void WalkText(const DomNode& node, DomTextVisitor& visitor);

class DomNodeList {
public:
    DomNodeList() = default;
    explicit DomNodeList(std::vector<DomNode> nodes) : m_nodes(std::move(nodes)) {}
    // A list gathered only when it is first read, for lists that are often
    // made and seldom looked at.
    explicit DomNodeList(std::function<std::vector<DomNode>()> gather) : m_gather(std::move(gather)) {}

    int length() const { return static_cast<int>(nodes().size()); }
    // Node i (0-based); a null node outside the list.
    DomNode item(int i) const;
    // Cursor reading: each call returns the next node, then null nodes.
    DomNode nextNode();
    void reset() { m_cursor = 0; }

    auto begin() const { return nodes().begin(); }
    auto end() const { return nodes().end(); }

private:
    const std::vector<DomNode>& nodes() const
    {
        if (m_gather) {
            m_nodes = m_gather();
            m_gather = nullptr;
        }
        return m_nodes;
    }
    mutable std::vector<DomNode> m_nodes;
    mutable std::function<std::vector<DomNode>()> m_gather;
    size_t m_cursor = 0;
};

class DomAttributes {
public:
    DomAttributes() = default;
    explicit DomAttributes(DomNode element) : m_element(std::move(element)) {}

    int length() const;
    DomNode item(int i) const;
    // The attribute node of that name, or a null node.
    DomNode getNamedItem(const QString& name) const;
    // Adds an attribute node (made with createAttribute) or replaces its value.
    void setNamedItem(const DomNode& attribute);

private:
    DomNode m_element;
};

class DomDocument {
public:
    // An empty document.
    DomDocument();

    // Loads a file synchronously; false with parseError() set on failure.
    bool load(const QString& path);
    // Loads markup held in memory; false with parseError() set on failure.
    bool loadXML(const QByteArray& bytes);
    bool loadXML(const QString& markup);
    const DomParseError& parseError() const;

    // The root element, or a null node.
    DomNode documentElement() const;
    // The document node itself.
    DomNode asNode() const;
    DomNode createElement(const QString& name);
    // A free attribute node for DomAttributes::setNamedItem.
    DomNode createAttribute(const QString& name);
    DomNode createTextNode(const QString& text);

    // All elements of that name in document order; a pattern such as
    // "bookmark[@id='0']/*" is taken as a query anywhere in the document.
    DomNodeList getElementsByTagName(const QString& nameOrPattern) const;
    // The first of those, found without walking the rest of the document.
    DomNode firstElementByTagName(const QString& nameOrPattern) const;
    // The first element of each name (null where there is none, or the name
    // is empty), all in one walk that stops once every name is found.
    std::vector<DomNode> firstElementsByTagNames(const QStringList& namesOrPatterns) const;

    // An element found by findByPaths.
    struct PathHit {
        static constexpr int Above = 8;
        DomNode node;
        uint32_t matches = 0; // a bit (1 << index) for each path it ends
        // The identities of the elements above it, the parent first, as
        // ancestor(n).identity() gives them for n up to Above: null past the top.
        // Taken during the walk, while they are at hand; looked up later one
        // by one they cost a trip to memory each in a large document.
        std::array<const void*, Above> above{};
    };
    // One walk through the document for element paths such as
    // "rubriek/titel/head" (a head in a titel in a rubriek): every element
    // that ends one of the paths, in document order. At most 32 paths.
    std::vector<PathHit> findByPaths(const std::vector<QStringList>& paths) const;

    DomNodeList selectNodes(const QString& pattern) const { return asNode().selectNodes(pattern); }
    DomNode selectSingleNode(const QString& pattern) const { return asNode().selectSingleNode(pattern); }

    // The whole document serialized (see DomNode::xml).
    QString xml() const;

    // The underlying document, for code that needs the full library. Nodes not
    // in the tree (created, removed) sit under a hidden "#free" element that is
    // a child of its document node.
    pugi::xml_document& native();
    const pugi::xml_document& native() const;

    bool sameDocument(const DomDocument& other) const { return m_data == other.m_data; }

private:
    friend class DomNode;
    friend struct DomAccess;
    explicit DomDocument(std::shared_ptr<DomDocumentData> data) : m_data(std::move(data)) {}
    std::shared_ptr<DomDocumentData> m_data;
};
