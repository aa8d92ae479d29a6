#include "package/modXML.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "package/NavIndex.h"
#include "package/dom/DomFormat.h"

#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace {

const QLatin1String CrLf("\r\n");

// Elements named name (every element for "*") below root, in document order.
std::vector<DomNode> ElementsBelow(const DomNode& root, const QString& name, bool firstOnly)
{
    if (name.isEmpty())
        return {};
    // A document answers with its own index walk, which also takes the pattern forms.
    if (root.nodeType() == DomNodeType::Document) {
        if (firstOnly) {
            const DomNode first = root.ownerDocument().firstElementByTagName(name);
            return first.isNull() ? std::vector<DomNode>() : std::vector<DomNode>{first};
        }
        const DomNodeList all = root.ownerDocument().getElementsByTagName(name);
        return std::vector<DomNode>(all.begin(), all.end());
    }
    const bool all = name == QLatin1String("*");
    std::vector<DomNode> found;
    DomNode cur = root.firstChild();
    while (!cur.isNull()) {
        if (cur.nodeType() == DomNodeType::Element) {
            if (all || cur.nodeName() == name) {
                found.push_back(cur);
                if (firstOnly)
                    break;
            }
            if (DomNode child = cur.firstChild(); !child.isNull()) {
                cur = child;
                continue;
            }
        }
        // Climb until a next sibling turns up, never above root.
        for (;;) {
            if (DomNode next = cur.nextSibling(); !next.isNull()) {
                cur = next;
                break;
            }
            cur = cur.parentNode();
            if (cur.isNull() || cur == root) {
                cur = DomNode();
                break;
            }
        }
    }
    return found;
}

DomNode FirstElementBelow(const DomNode& root, const QString& name)
{
    const std::vector<DomNode> found = ElementsBelow(root, name, true);
    return found.empty() ? DomNode() : found.front();
}

// An id as a 16-bit whole number: blanks, an optional sign and digits.
int ReadId(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    const bool negative = !t.isEmpty() && t[0] == QLatin1Char('-');
    if (!t.isEmpty() && (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')))
        ++i;
    if (i == t.size())
        RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch: id \"%1\"").arg(text));
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < QLatin1Char('0') || t[i] > QLatin1Char('9'))
            RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch: id \"%1\"").arg(text));
        value = std::min<qint64>(value * 10 + (t[i].unicode() - u'0'), 1'000'000);
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        RaiseError(ErrNo::Overflow, QStringLiteral("Overflow: id \"%1\"").arg(text));
    return static_cast<int>(value);
}

// n zero-padded to width digits; wider when n needs more.
// n in decimal, zero-padded to width (wider when n needs more digits).
QString Ordinal(int n, int width = 2)
{
    char digits[16];
    int len = 0;
    unsigned v = n < 0 ? 0u : unsigned(n);
    do {
        digits[len++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0 && len < 15);
    QString out(qMax(width, len), QLatin1Char('0'));
    for (int i = 0; i < len; ++i)
        out[out.size() - 1 - i] = QLatin1Char(digits[i]);
    return out;
}

// Whether a text node would be its parent's only child.
bool IsOnlyChild(const DomNode& n)
{
    const DomNode parent = n.parentNode();
    return parent.isNull() || (parent.firstChild() == n && n.nextSibling().isNull());
}

} // namespace

QString GetXMLTagValue(const DomNode& nodeOrDoc, const QString& name)
{
    return Guarded("GetXMLTagValue", QString(), [&] {
        SetStep(QStringLiteral("Get element list"));
        if (nodeOrDoc.isNull())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set"));
        RunState& rs = Run();
        // The whole list is gathered only if someone reads it: the document
        // facts are read from the first match, usually near the top.
        rs.CurrentNodeList = DomNodeList([nodeOrDoc, name] { return ElementsBelow(nodeOrDoc, name, false); });
        rs.CurrentNode = FirstElementBelow(nodeOrDoc, name);
        if (rs.CurrentNode.isNull()) {
            SetStep(QStringLiteral("Nothing found"));
            return QString();
        }
        SetStep(QStringLiteral("Read node"));
        return rs.CurrentNode.text();
    });
}

QString GetXMLTagAttributeValue(const DomNode& node, const QString& name)
{
    return Guarded("GetXMLTagAttributeValue", QString(), [&] {
        SetStep(QStringLiteral("Read attribute"));
        const DomNode attr = node.attributes().getNamedItem(name);
        if (attr.isNull())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: no attribute \"%1\"").arg(name));
        return attr.nodeValue();
    });
}

DomNode AddAttribute(DomNode node, const QString& name, const QString& value)
{
    return Guarded("AddAttribute", DomNode(), [&] {
        SetStep(QStringLiteral("Add attribute"));
        if (node.nodeType() != DomNodeType::Element)
            RaiseError(ErrNo::NoObject,
                       QStringLiteral("Object variable not set: no element for attribute \"%1\"").arg(name));
        if (name.isEmpty())
            RaiseError(ErrNo::InvalidCall, QStringLiteral("Invalid procedure call: empty attribute name"));
        node.setAttribute(name, value);
        return node;
    });
}

QString getNewId(const DomNode& nodeOrDoc, const QString& name)
{
    return Guarded("getNewId", QString(), [&] {
        SetStep(QStringLiteral("Select the elements"));
        if (nodeOrDoc.isNull())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set"));
        if (name.isEmpty())
            RaiseError(ErrNo::InvalidCall, QStringLiteral("Invalid procedure call: empty element name"));
        RunState& rs = Run();
        rs.CurrentNodeList = nodeOrDoc.selectNodes(QStringLiteral("//") + name);
        SetStep(QStringLiteral("Read the ids"));
        int max = 0;
        for (const DomNode& n : rs.CurrentNodeList) {
            rs.CurrentNode = n;
            const DomNode id = n.attributes().getNamedItem(QStringLiteral("id"));
            if (id.isNull())
                RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: %1 without id").arg(name));
            max = std::max(max, ReadId(id.nodeValue()));
        }
        // The next id must be readable next time too.
        if (max >= std::numeric_limits<qint16>::max())
            RaiseError(ErrNo::Overflow, QStringLiteral("Overflow: no id after %1").arg(max));
        return QString::number(max + 1);
    });
}

namespace {

enum class NavKind { Level1, Level2, Page };

// A pattern that is a plain element path such as "rubriek/titel/head".
bool IsElementPath(const QString& pattern)
{
    static const QRegularExpression path(QStringLiteral("^[A-Za-z_][\\w.-]*(/[A-Za-z_][\\w.-]*)*$"));
    return path.match(pattern).hasMatch();
}

// The level-1 headings, the page marks and (for two levels) everything the
// level-2 pattern may find, in document order. Plain element paths are found
// in one walk; other patterns through a query.
struct NavigationNode {
    DomNode node;
    NavKind kind;
    // The identity of the grandparent, which holds a level-1 heading's unit,
    // when the walk found it (null: not known, or none).
    const void* grandparent = nullptr;
};

struct NavigationWalk {
    std::vector<NavigationNode> nodes;
    // For each level from 2 whose pattern is a plain path: what the pattern
    // finds below each element (the unit holding a heading one level up), in
    // document order.
    std::array<bool, 7> found{};
    std::array<QHash<const void*, std::vector<DomNode>>, 7> below;
};

// The patterns of the levels below 1 that take part in the walk.
QStringList DeeperPatterns(const RunState& rs, bool twoLevels)
{
    QStringList patterns;
    if (!twoLevels)
        return patterns;
    for (int level = 2; level <= std::min<int>(rs.NavLevelCount, 6); ++level) {
        const QString pattern = rs.XdfNavLevel[size_t(level)].trimmed();
        if (pattern.isEmpty() || (level > 2 && !IsElementPath(pattern)))
            break;
        patterns << pattern;
    }
    return patterns;
}

NavigationWalk NavigationNodes(const RunState& rs, const QString& level2, bool twoLevels)
{
    const QString level1 = rs.XdfNavLevel[1].trimmed();
    NavigationWalk walk;
    auto& nodes = walk.nodes;
    if (IsElementPath(level1) && (!twoLevels || IsElementPath(level2))) {
        // Path k (from 2) is level k's.
        std::vector<QStringList> paths{level1.split(QLatin1Char('/')), {QStringLiteral("pagenum")}};
        for (const QString& pattern : DeeperPatterns(rs, twoLevels))
            paths.push_back(pattern.split(QLatin1Char('/')));
        for (size_t level = 2; level < paths.size(); ++level)
            walk.found[level] = true;
        for (const DomDocument::PathHit& hit : rs.XmlDoc.findByPaths(paths)) {
            const auto above = [&hit](qsizetype levels) {
                return levels <= DomDocument::PathHit::Above ? hit.above[size_t(levels - 1)]
                                                             : hit.node.ancestor(int(levels)).identity();
            };
            for (size_t level = 2; level < paths.size(); ++level) {
                if (!(hit.matches & (1u << level)))
                    continue;
                // The relative path leads down from the element that many levels up.
                if (const void* unit = above(paths[level].size()))
                    walk.below[level][unit].push_back(hit.node);
            }
            if (hit.matches & 7u)
                nodes.push_back({hit.node,
                                 (hit.matches & 1u)   ? NavKind::Level1
                                 : (hit.matches & 2u) ? NavKind::Page
                                                      : NavKind::Level2,
                                 above(2)});
        }
        return walk;
    }
    const QString base = QStringLiteral("//") + rs.XdfNavLevel[1] + QStringLiteral(" | //pagenum");
    DomNodeList found;
    QSet<const void*> level1Nodes;
    if (twoLevels) {
        found = rs.XmlDoc.selectNodes(base + QStringLiteral(" | //") + level2);
        for (const DomNode& node : rs.XmlDoc.selectNodes(QStringLiteral("//") + rs.XdfNavLevel[1]))
            level1Nodes.insert(node.identity());
    }
    const bool withLevel2 = found.length() > 0 && !level1Nodes.isEmpty();
    if (!withLevel2)
        found = rs.XmlDoc.selectNodes(base);
    for (const DomNode& node : found) {
        NavKind kind = NavKind::Level1;
        if (node.nodeName().toLower() == QLatin1String("pagenum"))
            kind = NavKind::Page;
        else if (withLevel2 && !level1Nodes.contains(node.identity()))
            kind = NavKind::Level2;
        nodes.push_back({node, kind, nullptr});
    }
    return walk;
}

// Calls act on each node, each fetched from memory a few nodes ahead: in a
// large document every heading is a trip to memory, which then overlap.
template <class Act> void ForEachFetchedAhead(const std::vector<DomNode>& nodes, Act&& act)
{
    constexpr size_t Ahead = 8;
    for (size_t k = 0; k < nodes.size(); ++k) {
        if (k + Ahead < nodes.size())
            __builtin_prefetch(nodes[k + Ahead].identity());
        act(nodes[k]);
    }
}

} // namespace

void AddNodeIds()
{
    NavIndex& index = DocumentNavIndex();
    index.clear(Run().XmlDoc.asNode().identity());
    GuardedVoid("AddNodeIds", [&index] {
        RunState& rs = Run();
        SetStep(QStringLiteral("Select the navigation nodes"));
        if (rs.XdfNavLevel[1].trimmed().isEmpty())
            RaiseError(ErrNo::InvalidCall, QStringLiteral("Invalid procedure call: no navigation level 1"));
        const QString level2 = rs.XdfNavLevel[2].trimmed();
        const bool twoLevels = rs.NavLevelCount >= 2 && !level2.isEmpty();
        // Level-2 headings take part in the walk too, so that a page mark is
        // numbered after the article it stands in. Everything the relative
        // level-2 pattern finds below a grandparent is among them; the
        // others are passed over.
        const NavigationWalk walk = NavigationNodes(rs, level2, twoLevels);
        const auto& nodes = walk.nodes;
        index.reserve(nodes.size());

        const QString id = QStringLiteral("id");
        QHash<const void*, int> level2Ordinal;
        int l1 = 0, l2 = 0, page = 0;
        for (const auto& [node, kind, knownGrandparent] : nodes) {
            if (kind == NavKind::Page) {
                SetStep(QStringLiteral("Give a page number its id"));
                AddAttribute(node, id, Ordinal(l1) + Ordinal(l2) + Ordinal(page, 3));
                ++page;
                rs.HasPageNumbers = true;
                continue;
            }
            if (kind == NavKind::Level2) {
                // The pages that follow belong to this heading.
                if (const auto found = level2Ordinal.constFind(node.identity()); found != level2Ordinal.constEnd()) {
                    l2 = found.value();
                    page = 0;
                }
                continue;
            }
            SetStep(QStringLiteral("Give a level-1 node its id"));
            ++l1;
            l2 = 0;
            page = 0;
            const int32_t entry = index.add(node, 1, -1, l1);
            DomNode(node).setAttribute("id", NavIndex::IdCharsOf(index.at(entry).id).data());
            if (!twoLevels)
                continue;
            SetStep(QStringLiteral("Give the level-2 nodes their ids"));
            // The level-2 pattern is relative to the level-1 node's grandparent.
            const bool walked = knownGrandparent && walk.found[2];
            const DomNode grandparent = walked ? DomNode() : node.parentNode().parentNode();
            if (!walked && grandparent.isNull())
                RaiseError(ErrNo::NoObject,
                           QStringLiteral("Object variable not set: level-1 node without grandparent"));
            int ordinal = 0;
            level2Ordinal.clear();
            const auto addLevel2 = [&](const DomNode& sub) {
                ++ordinal;
                const int32_t child = index.add(sub, 2, entry, ordinal);
                DomNode(sub).setAttribute("id", NavIndex::IdCharsOf(index.at(child).id).data());
                level2Ordinal.insert(sub.identity(), ordinal);
            };
            if (walk.found[2]) {
                const auto below = walk.below[2].constFind(walked ? knownGrandparent : grandparent.identity());
                if (below != walk.below[2].constEnd())
                    ForEachFetchedAhead(*below, addLevel2);
            } else {
                for (const DomNode& sub : grandparent.selectNodes(level2))
                    addLevel2(sub);
            }
        }

        // Deeper levels: each heading's own unit (its grandparent) holds the headings below it.
        for (int level = 3; level <= std::min<int>(rs.NavLevelCount, 6); ++level) {
            const QString pattern = rs.XdfNavLevel[size_t(level)].trimmed();
            if (pattern.isEmpty())
                break;
            SetStep(QStringLiteral("Give the level-%1 nodes their ids").arg(level));
            const auto count = static_cast<int32_t>(index.entries().size());
            for (int32_t parent = 0; parent < count; ++parent) {
                if (index.at(parent).level != level - 1)
                    continue;
                const DomNode unit = index.at(parent).heading.parentNode().parentNode();
                if (unit.isNull())
                    continue;
                int ordinal = 0;
                const auto add = [&](const DomNode& sub) {
                    const int32_t child = index.add(sub, static_cast<int16_t>(level), parent, ++ordinal);
                    DomNode(sub).setAttribute("id", NavIndex::IdCharsOf(index.at(child).id).data());
                };
                if (walk.found[size_t(level)]) {
                    const auto below = walk.below[size_t(level)].constFind(unit.identity());
                    if (below != walk.below[size_t(level)].constEnd())
                        ForEachFetchedAhead(*below, add);
                } else {
                    for (const DomNode& sub : unit.selectNodes(pattern))
                        add(sub);
                }
            }
        }
    });
}

QString FormatXML(const DomNode& node, int depth)
{
    return Guarded("FormatXML", QString(), [&] {
        SetStep(QStringLiteral("Format the node"));
        if (node.isNull())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set"));
        return QString::fromStdString(DomFormat(node, depth, IsOnlyChild(node), false).text);
    });
}

bool SaveFormattedXML(const DomNode& node, const QString& path)
{
    return Guarded("SaveFormattedXML", false, [&] {
        SetStep(QStringLiteral("Format the XML"));
        // Nothing to write must not replace a file with an empty one.
        if (node.isNull())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: no node to save"));
        const DomFormatted formatted = DomFormat(node, 0, IsOnlyChild(node), true);
        if (!formatted.unwritableName.isEmpty())
            RaiseError(ErrNo::InvalidCall,
                       QStringLiteral("The name \"%1\" cannot be written in ISO-8859-1").arg(formatted.unwritableName));
        const QByteArray head = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n");
        const QByteArray tail = QByteArrayLiteral("\r\n");
        const auto body = qint64(formatted.text.size());

        // Written beside the target and renamed over it, so a failure leaves the old file whole.
        SetStep(QStringLiteral("Open the file for output"));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            RaiseError(ErrNo::PathFileAccess,
                       QStringLiteral("Path/File access error: %1: %2").arg(path, file.errorString()));
        SetStep(QStringLiteral("Write the file"));
        if (file.write(head) != head.size() || file.write(formatted.text.data(), body) != body ||
            file.write(tail) != tail.size())
            RaiseError(ErrNo::PathFileAccess,
                       QStringLiteral("Path/File access error: %1: %2").arg(path, file.errorString()));
        SetStep(QStringLiteral("Close the file"));
        if (!file.commit())
            RaiseError(ErrNo::PathFileAccess,
                       QStringLiteral("Path/File access error: %1: %2").arg(path, file.errorString()));
        return true;
    });
}
