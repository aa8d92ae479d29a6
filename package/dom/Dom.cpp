#include "package/dom/Dom.h"

#include "package/dom/DomInternal.h"

#include <string>

namespace {

std::string Utf8(const QString& s)
{
    return s.toStdString();
}

QString FromUtf8(const char* s)
{
    return QString::fromUtf8(s);
}

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

bool IsTextNode(pugi::xml_node n)
{
    return n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata;
}

bool HasValue(pugi::xml_node n)
{
    switch (n.type()) {
    case pugi::node_pcdata:
    case pugi::node_cdata:
    case pugi::node_comment:
    case pugi::node_pi:
        return true;
    default:
        return false;
    }
}

// All text and CDATA below root, in document order, the free-node holder left out.
void AppendDescendantText(pugi::xml_node root, const DomTree& tree, std::string& out)
{
    pugi::xml_node cur = root.first_child();
    while (cur) {
        if (IsTextNode(cur)) {
            out += cur.value();
        } else if (cur.first_child() && !tree.isHolder(cur)) {
            cur = cur.first_child();
            continue;
        }
        while (cur != root && !cur.next_sibling())
            cur = cur.parent();
        if (cur == root)
            break;
        cur = cur.next_sibling();
    }
}

// Attribute values escaped the way the serializer escapes them.
void AppendEscapedAttribute(const char* value, std::string& out)
{
    for (const char* p = value; *p; ++p) {
        switch (*p) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\t':
            out += "&#09;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out += *p;
        }
    }
}

pugi::xml_node SkipHolder(pugi::xml_node n, const DomTree& tree)
{
    while (n && tree.isHolder(n))
        n = n.next_sibling();
    return n;
}

} // namespace

// ---------------------------------------------------------------- DomTree

pugi::xml_node DomTree::freeHolder()
{
    // "#free" is no valid name, so no name test in a query can match it.
    if (!holder)
        holder = doc.append_child("#free");
    return holder;
}

pugi::xml_node DomTree::root() const
{
    for (pugi::xml_node c = doc.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && !isHolder(c))
            return c;
    return {};
}

bool DomTree::isFree(pugi::xml_node node) const
{
    if (!holder)
        return false;
    for (pugi::xml_node n = node; n; n = n.parent())
        if (n == holder)
            return true;
    return false;
}

DomNode DomAccess::make(const std::shared_ptr<DomDocumentData>& doc, const std::shared_ptr<DomTree>& tree,
                        pugi::xml_node node, pugi::xml_attribute attr)
{
    DomNode n;
    if (!node)
        return n;
    n.m_doc = doc;
    n.m_tree = tree;
    n.m_node = node.internal_object();
    n.m_attr = attr.internal_object();
    return n;
}

// ---------------------------------------------------------------- DomNode

bool DomNode::isNull() const
{
    return m_node == nullptr;
}

bool DomNode::operator==(const DomNode& other) const
{
    return m_tree == other.m_tree && m_node == other.m_node && m_attr == other.m_attr;
}

QString DomNode::nodeName() const
{
    if (isNull())
        return {};
    if (m_attr)
        return FromUtf8(DomAccess::attr(*this).name());
    const pugi::xml_node n = DomAccess::node(*this);
    switch (n.type()) {
    case pugi::node_element:
    case pugi::node_pi:
        return FromUtf8(n.name());
    case pugi::node_pcdata:
        return QStringLiteral("#text");
    case pugi::node_cdata:
        return QStringLiteral("#cdata-section");
    case pugi::node_comment:
        return QStringLiteral("#comment");
    case pugi::node_document:
        return QStringLiteral("#document");
    case pugi::node_declaration:
        return QStringLiteral("xml");
    case pugi::node_doctype:
        return FromUtf8(n.value()).section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    default:
        return {};
    }
}

DomNodeType DomNode::nodeType() const
{
    if (isNull())
        return DomNodeType::None;
    if (m_attr)
        return DomNodeType::Attribute;
    switch (DomAccess::node(*this).type()) {
    case pugi::node_element:
        return DomNodeType::Element;
    case pugi::node_pcdata:
        return DomNodeType::Text;
    case pugi::node_cdata:
        return DomNodeType::CData;
    case pugi::node_comment:
        return DomNodeType::Comment;
    case pugi::node_pi:
    case pugi::node_declaration:
        return DomNodeType::ProcessingInstruction;
    case pugi::node_document:
        return DomNodeType::Document;
    case pugi::node_doctype:
        return DomNodeType::DocumentType;
    default:
        return DomNodeType::None;
    }
}

QString DomNode::nodeValue() const
{
    if (isNull())
        return {};
    if (m_attr)
        return FromUtf8(DomAccess::attr(*this).value());
    const pugi::xml_node n = DomAccess::node(*this);
    return HasValue(n) ? FromUtf8(n.value()) : QString();
}

void DomNode::setNodeValue(const QString& value)
{
    if (isNull())
        return;
    if (m_attr) {
        DomAccess::attr(*this).set_value(Utf8(value).c_str());
        return;
    }
    pugi::xml_node n = DomAccess::node(*this);
    if (HasValue(n))
        n.set_value(Utf8(value).c_str());
}

QString DomNode::text() const
{
    if (isNull())
        return {};
    if (m_attr)
        return FromUtf8(DomAccess::attr(*this).value());
    const pugi::xml_node n = DomAccess::node(*this);
    if (n.type() != pugi::node_element && n.type() != pugi::node_document)
        return FromUtf8(n.value());
    std::string out;
    AppendDescendantText(n, *m_tree, out);
    return QString::fromStdString(out);
}

void DomNode::setText(const QString& value)
{
    if (isNull() || m_attr || DomAccess::node(*this).type() != pugi::node_element) {
        setNodeValue(value);
        return;
    }
    pugi::xml_node n = DomAccess::node(*this);
    const std::string utf8 = Utf8(value);
    pugi::xml_node only = n.first_child();
    if (!utf8.empty() && only.type() == pugi::node_pcdata && !only.next_sibling()) {
        only.set_value(utf8.c_str());
        return;
    }
    // The old children move to the holder rather than being destroyed, so
    // handles to them stay valid.
    pugi::xml_node holder = m_tree->freeHolder();
    while (pugi::xml_node child = n.first_child())
        holder.append_move(child);
    if (!utf8.empty())
        n.append_child(pugi::node_pcdata).set_value(utf8.c_str());
}

QString DomNode::xml() const
{
    if (isNull())
        return {};
    std::string out;
    if (m_attr) {
        const pugi::xml_attribute a = DomAccess::attr(*this);
        out += a.name();
        out += "=\"";
        AppendEscapedAttribute(a.value(), out);
        out += '"';
        return QString::fromStdString(out);
    }
    const pugi::xml_node n = DomAccess::node(*this);
    StringWriter writer;
    if (n.type() == pugi::node_document) {
        for (pugi::xml_node c = SkipHolder(n.first_child(), *m_tree); c; c = SkipHolder(c.next_sibling(), *m_tree))
            c.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    } else {
        n.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    }
    return QString::fromStdString(writer.out);
}

DomNodeList DomNode::childNodes() const
{
    std::vector<DomNode> nodes;
    for (DomNode c = firstChild(); !c.isNull(); c = c.nextSibling())
        nodes.push_back(c);
    return DomNodeList(std::move(nodes));
}

DomAttributes DomNode::attributes() const
{
    if (nodeType() != DomNodeType::Element)
        return DomAttributes();
    return DomAttributes(*this);
}

DomNode DomNode::parentNode() const
{
    if (isNull() || m_attr)
        return {};
    const pugi::xml_node p = DomAccess::node(*this).parent();
    if (!p || m_tree->isHolder(p))
        return {};
    return DomAccess::make(m_doc, m_tree, p);
}

DomNode DomNode::ancestor(int levels) const
{
    if (isNull() || m_attr)
        return {};
    pugi::xml_node p = DomAccess::node(*this);
    for (int i = 0; i < levels && p; ++i) {
        p = p.parent();
        if (m_tree->isHolder(p))
            return {};
    }
    if (!p)
        return {};
    return DomAccess::make(m_doc, m_tree, p);
}

DomNode DomNode::firstChild() const
{
    if (isNull() || m_attr)
        return {};
    return DomAccess::make(m_doc, m_tree, SkipHolder(DomAccess::node(*this).first_child(), *m_tree));
}

DomNode DomNode::nextSibling() const
{
    if (isNull() || m_attr)
        return {};
    const pugi::xml_node n = DomAccess::node(*this);
    if (m_tree->isHolder(n.parent())) // a free node has no siblings
        return {};
    return DomAccess::make(m_doc, m_tree, SkipHolder(n.next_sibling(), *m_tree));
}

DomDocument DomNode::ownerDocument() const
{
    if (!m_doc)
        return DomDocument();
    return DomAccess::document(m_doc);
}

bool DomNode::hasChildNodes() const
{
    return !firstChild().isNull();
}

DomNode DomNode::appendChild(const DomNode& newChild)
{
    if (isNull() || m_attr || newChild.isNull() || newChild.m_attr)
        return {};
    pugi::xml_node parent = DomAccess::node(*this);
    const pugi::xml_node child = DomAccess::node(newChild);
    if (child.type() == pugi::node_document)
        return {};
    if (parent.type() == pugi::node_document) {
        // One root element only.
        if (child.type() != pugi::node_element)
            return {};
        const pugi::xml_node root = m_tree->root();
        if (root && !(root == child))
            return {};
    } else if (parent.type() != pugi::node_element) {
        return {};
    }
    // Within one tree the node moves (append_move refuses to move a node
    // into its own subtree); from another document it is copied in.
    const pugi::xml_node added = newChild.m_tree == m_tree ? parent.append_move(child) : parent.append_copy(child);
    return DomAccess::make(m_doc, m_tree, added);
}

DomNode DomNode::removeChild(const DomNode& child)
{
    if (isNull() || m_attr || child.isNull() || child.m_attr || child.m_tree != m_tree)
        return {};
    const pugi::xml_node c = DomAccess::node(child);
    if (c.parent() != DomAccess::node(*this) || m_tree->isHolder(c))
        return {};
    return DomAccess::make(m_doc, m_tree, m_tree->freeHolder().append_move(c));
}

void DomNode::setAttribute(const QString& name, const QString& value)
{
    if (isNull() || m_attr || name.isEmpty())
        return;
    pugi::xml_node n = DomAccess::node(*this);
    if (n.type() != pugi::node_element)
        return;
    const std::string key = Utf8(name);
    pugi::xml_attribute a = n.attribute(key.c_str());
    if (!a)
        a = n.append_attribute(key.c_str());
    a.set_value(Utf8(value).c_str());
}

void DomNode::setAttribute(const char* name, const char* value)
{
    if (isNull() || m_attr || !name || !*name)
        return;
    pugi::xml_node n = DomAccess::node(*this);
    if (n.type() != pugi::node_element)
        return;
    pugi::xml_attribute a = n.attribute(name);
    if (!a)
        a = n.append_attribute(name);
    a.set_value(value);
}

QString DomNode::getAttribute(const QString& name) const
{
    if (isNull() || m_attr)
        return {};
    return FromUtf8(DomAccess::node(*this).attribute(Utf8(name).c_str()).value());
}

DomNodeList DomNode::selectNodes(const QString& pattern) const
{
    return DomNodeList(DomRunQuery(*this, pattern, {}, false));
}

DomNode DomNode::selectSingleNode(const QString& pattern) const
{
    std::vector<DomNode> found = DomRunQuery(*this, pattern, {}, true);
    return found.empty() ? DomNode() : found.front();
}

DomNodeList DomNode::selectNodes(const QString& pattern, const std::vector<std::pair<QString, QString>>& vars) const
{
    return DomNodeList(DomRunQuery(*this, pattern, vars, false));
}

DomNode DomNode::selectSingleNode(const QString& pattern, const std::vector<std::pair<QString, QString>>& vars) const
{
    std::vector<DomNode> found = DomRunQuery(*this, pattern, vars, true);
    return found.empty() ? DomNode() : found.front();
}

// ---------------------------------------------------------------- DomNodeList

DomNode DomNodeList::item(int i) const
{
    if (i < 0 || i >= length())
        return {};
    return m_nodes[static_cast<size_t>(i)];
}

DomNode DomNodeList::nextNode()
{
    if (m_cursor >= nodes().size())
        return {};
    return m_nodes[m_cursor++];
}

// ---------------------------------------------------------------- DomAttributes

int DomAttributes::length() const
{
    if (m_element.isNull())
        return 0;
    int count = 0;
    for (pugi::xml_attribute a = DomAccess::node(m_element).first_attribute(); a; a = a.next_attribute())
        ++count;
    return count;
}

DomNode DomAttributes::item(int i) const
{
    if (m_element.isNull() || i < 0)
        return {};
    const pugi::xml_node n = DomAccess::node(m_element);
    pugi::xml_attribute a = n.first_attribute();
    for (; a && i > 0; --i)
        a = a.next_attribute();
    if (!a)
        return {};
    return DomAccess::make(DomAccess::data(m_element), DomAccess::tree(m_element), n, a);
}

DomNode DomAttributes::getNamedItem(const QString& name) const
{
    if (m_element.isNull())
        return {};
    const pugi::xml_node n = DomAccess::node(m_element);
    const pugi::xml_attribute a = n.attribute(Utf8(name).c_str());
    if (!a)
        return {};
    return DomAccess::make(DomAccess::data(m_element), DomAccess::tree(m_element), n, a);
}

void DomAttributes::setNamedItem(const DomNode& attribute)
{
    if (m_element.isNull() || attribute.nodeType() != DomNodeType::Attribute)
        return;
    const pugi::xml_attribute source = DomAccess::attr(attribute);
    if (DomAccess::node(attribute) == DomAccess::node(m_element))
        return; // already one of this element's attributes
    // Copies name and value: the attribute handle keeps pointing at its own
    // (free) copy, as pugixml cannot move attributes.
    pugi::xml_node n = DomAccess::node(m_element);
    pugi::xml_attribute target = n.attribute(source.name());
    if (!target)
        target = n.append_attribute(source.name());
    target.set_value(source.value());
}

// ---------------------------------------------------------------- DomDocument

DomDocument::DomDocument() : m_data(std::make_shared<DomDocumentData>()) {}

const DomParseError& DomDocument::parseError() const
{
    return m_data->error;
}

DomNode DomDocument::documentElement() const
{
    return DomAccess::make(m_data, m_data->tree, m_data->tree->root());
}

DomNode DomDocument::asNode() const
{
    return DomAccess::make(m_data, m_data->tree, m_data->tree->doc);
}

DomNode DomDocument::createElement(const QString& name)
{
    if (name.isEmpty())
        return {};
    const std::string key = Utf8(name);
    return DomAccess::make(m_data, m_data->tree, m_data->tree->freeHolder().append_child(key.c_str()));
}

DomNode DomDocument::createAttribute(const QString& name)
{
    if (name.isEmpty())
        return {};
    pugi::xml_node holder = m_data->tree->freeHolder();
    const std::string key = Utf8(name);
    return DomAccess::make(m_data, m_data->tree, holder, holder.append_attribute(key.c_str()));
}

DomNode DomDocument::createTextNode(const QString& text)
{
    pugi::xml_node t = m_data->tree->freeHolder().append_child(pugi::node_pcdata);
    t.set_value(Utf8(text).c_str());
    return DomAccess::make(m_data, m_data->tree, t);
}

QString DomDocument::xml() const
{
    return asNode().xml();
}

pugi::xml_document& DomDocument::native()
{
    return m_data->tree->doc;
}

const pugi::xml_document& DomDocument::native() const
{
    return m_data->tree->doc;
}

std::string_view DomTextVisitor::Element::attribute(const char* name) const
{
    const pugi::xml_node n(static_cast<pugi::xml_node_struct*>(const_cast<void*>(m_node)));
    return n.attribute(name).value();
}

void WalkText(const DomNode& node, DomTextVisitor& visitor)
{
    if (node.isNull() || node.m_attr)
        return;
    const pugi::xml_node root = DomAccess::node(node);
    const DomTree& tree = *node.m_tree;
    auto start = [&](pugi::xml_node n) {
        if (n.type() == pugi::node_element)
            visitor.startElement(n.name(), DomTextVisitor::Element(n.internal_object()));
    };
    auto end = [&](pugi::xml_node n) {
        if (n.type() == pugi::node_element)
            visitor.endElement(n.name());
    };
    if (IsTextNode(root)) {
        visitor.text(root.value(), !root.previous_sibling(), !root.next_sibling());
        return;
    }
    start(root);
    // Without recursion: a deep document must not exhaust the stack.
    pugi::xml_node cur = root.first_child();
    while (cur) {
        if (IsTextNode(cur)) {
            visitor.text(cur.value(), !cur.previous_sibling(), !cur.next_sibling());
        } else if (cur.type() == pugi::node_element && !tree.isHolder(cur)) {
            start(cur);
            if (cur.first_child()) {
                cur = cur.first_child();
                continue;
            }
            end(cur);
        }
        while (cur != root && !cur.next_sibling()) {
            cur = cur.parent();
            if (cur != root)
                end(cur);
        }
        if (cur == root)
            break;
        cur = cur.next_sibling();
    }
    end(root);
}
