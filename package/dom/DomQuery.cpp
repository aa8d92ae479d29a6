// Pattern queries and getElementsByTagName.

#include "package/dom/DomInternal.h"
#include "package/dom/DomPattern.h"

#include <QStringList>

#include <cstring>
#include <future>
#include <system_error>

DomQueryCache::Entry& DomQueryCache::get(const std::string& xpath, const std::vector<std::string>& varNames)
{
    std::string key = xpath;
    for (const std::string& name : varNames) {
        key += '\x1f';
        key += name;
    }
    if (const auto found = m_entries.find(key); found != m_entries.end()) {
        m_lru.splice(m_lru.begin(), m_lru, found->second);
        return *found->second->second;
    }
    auto entry = std::make_unique<Entry>();
    for (const std::string& name : varNames)
        entry->vars.add(name.c_str(), pugi::xpath_type_string);
    try {
        auto query = std::make_unique<pugi::xpath_query>(xpath.c_str(), &entry->vars);
        if (query->return_type() == pugi::xpath_type_node_set)
            entry->query = std::move(query);
    } catch (const std::exception&) {
        // Not a valid pattern: the entry stays empty, so it fails fast next time.
    }
    m_lru.emplace_front(key, std::move(entry));
    m_entries[key] = m_lru.begin();
    if (m_lru.size() > Capacity) {
        m_entries.erase(m_lru.back().first);
        m_lru.pop_back();
    }
    return *m_lru.front().second;
}

namespace {

DomNode ToDom(const DomNode& context, const pugi::xpath_node& found)
{
    const auto& data = DomAccess::data(context);
    const auto& tree = DomAccess::tree(context);
    if (found.attribute())
        return DomAccess::make(data, tree, found.parent(), found.attribute());
    return DomAccess::make(data, tree, found.node());
}

pugi::xml_node Owner(const pugi::xpath_node& found)
{
    return found.attribute() ? found.parent() : found.node();
}

} // namespace

std::vector<DomNode> DomRunQuery(const DomNode& context, const QString& pattern,
                                 const std::vector<std::pair<QString, QString>>& vars, bool firstOnly)
{
    if (context.isNull() || pattern.trimmed().isEmpty())
        return {};
    DomDocumentData& data = *DomAccess::data(context);
    const DomTree& tree = *DomAccess::tree(context);

    std::vector<std::string> names;
    names.reserve(vars.size());
    for (const auto& var : vars)
        names.push_back(var.first.toStdString());
    DomQueryCache::Entry& entry = data.queries.get(TranslateXslPattern(pattern).toStdString(), names);
    if (!entry.query)
        return {};
    for (size_t i = 0; i < vars.size(); ++i)
        entry.vars.set(names[i].c_str(), vars[i].second.toStdString().c_str());

    const pugi::xml_node node = DomAccess::node(context);
    const pugi::xml_attribute attr = DomAccess::attr(context);
    const pugi::xpath_node start = attr ? pugi::xpath_node(attr, node) : pugi::xpath_node(node);
    // Free nodes are reachable through "//" and "/*" from anywhere in the
    // tree; they are left out unless the query starts among them. Positional
    // tests over the whole document ("(//x)[last()]") may still count them.
    const bool skipFree = tree.holder && !tree.isFree(node);

    std::vector<DomNode> result;
    try {
        if (firstOnly && !skipFree) {
            if (const pugi::xpath_node found = entry.query->evaluate_node(start))
                result.push_back(ToDom(context, found));
            return result;
        }
        pugi::xpath_node_set found = entry.query->evaluate_node_set(start);
        found.sort(); // unions come back unordered
        result.reserve(firstOnly ? 1 : found.size());
        for (const pugi::xpath_node& n : found) {
            if (skipFree && tree.isFree(Owner(n)))
                continue;
            result.push_back(ToDom(context, n));
            if (firstOnly)
                break;
        }
    } catch (const std::exception&) {
        return {};
    }
    return result;
}

bool DomIsPattern(const QString& nameOrPattern)
{
    for (const QChar c : nameOrPattern)
        if (c == QLatin1Char('[') || c == QLatin1Char('/') || c == QLatin1Char('@') || c == QLatin1Char('|'))
            return true;
    return false;
}

QString DomAnywherePattern(const QString& pattern)
{
    QStringList branches;
    QString branch;
    QChar quote;
    int depth = 0;
    const auto flush = [&] {
        const QString b = branch.trimmed();
        if (!b.isEmpty())
            branches << (b.startsWith(QLatin1Char('/')) ? b : QStringLiteral("//") + b);
        branch.clear();
    };
    for (const QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(']') || c == QLatin1Char(')')) {
            --depth;
        } else if (c == QLatin1Char('|') && depth == 0) {
            flush();
            continue;
        }
        branch += c;
    }
    flush();
    return branches.join(QStringLiteral(" | "));
}

namespace {

// Visits every element in document order, the free holder and all under it
// passed over, until visit returns false.
template <class Visit> void ForEachElement(const DomTree& tree, Visit&& visit)
{
    const pugi::xml_node top = tree.doc;
    pugi::xml_node cur = top.first_child();
    while (cur) {
        const bool element = cur.type() == pugi::node_element && !tree.isHolder(cur);
        if (element && !visit(cur))
            return;
        if (element && cur.first_child()) {
            cur = cur.first_child();
            continue;
        }
        while (cur != top && !cur.next_sibling())
            cur = cur.parent();
        if (cur == top)
            return;
        cur = cur.next_sibling();
    }
}

// Every element below from (not from itself), in document order.
template <class Visit> void ForEachElementBelow(const DomTree& tree, pugi::xml_node from, Visit&& visit)
{
    pugi::xml_node cur = from.first_child();
    while (cur) {
        const bool element = cur.type() == pugi::node_element && !tree.isHolder(cur);
        if (element)
            visit(cur);
        if (element && cur.first_child()) {
            cur = cur.first_child();
            continue;
        }
        while (cur != from && !cur.next_sibling())
            cur = cur.parent();
        if (cur == from)
            return;
        cur = cur.next_sibling();
    }
}

// Visits every element in document order, putting what visit finds into out.
// A large document is walked on two cores: the children of the first element
// with many of them go half to each, and the two halves' findings are joined
// in order. visit(element, into) may only read the tree.
template <class Hit, class Visit>
void ForEachElementOnBothCores(const DomTree& tree, Visit&& visit, std::vector<Hit>& out)
{
    constexpr size_t SplitFrom = 16; // children; fewer are not worth a thread
    pugi::xml_node split = tree.root();
    std::vector<pugi::xml_node> children;
    // Down the single-child elements at the top to where the document branches out.
    while (split) {
        visit(split, out);
        children.clear();
        for (pugi::xml_node c = split.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element && !tree.isHolder(c))
                children.push_back(c);
        if (children.size() != 1)
            break;
        split = children.front();
    }
    if (!split)
        return;
    const auto walk = [&](size_t from, size_t to, std::vector<Hit>& into) {
        for (size_t i = from; i < to; ++i) {
            visit(children[i], into);
            ForEachElementBelow(tree, children[i], [&](pugi::xml_node e) { visit(e, into); });
        }
    };
    const size_t half = children.size() / 2;
    if (children.size() >= SplitFrom) {
        try {
            std::vector<Hit> second;
            auto later = std::async(std::launch::async, [&] { walk(half, children.size(), second); });
            walk(0, half, out);
            later.get();
            out.insert(out.end(), second.begin(), second.end());
            return;
        } catch (const std::system_error&) {
            // No second thread to be had: the whole walk here. Nothing was added
            // before the thread failed to start.
        }
    }
    walk(0, children.size(), out);
}

// Elements of one name (every element for "*") in document order; stops
// after the first when firstOnly.
std::vector<DomNode> ElementsNamed(const std::shared_ptr<DomDocumentData>& data, const QString& nameText,
                                   bool firstOnly)
{
    const bool all = nameText == QLatin1String("*");
    const std::string name = nameText.toStdString();
    std::vector<DomNode> found;
    ForEachElement(*data->tree, [&](pugi::xml_node element) {
        if (all || name == element.name()) {
            found.push_back(DomAccess::make(data, data->tree, element));
            return !firstOnly;
        }
        return true;
    });
    return found;
}

} // namespace

DomNodeList DomDocument::getElementsByTagName(const QString& nameOrPattern) const
{
    if (nameOrPattern.isEmpty())
        return {};
    if (DomIsPattern(nameOrPattern))
        return DomNodeList(DomRunQuery(asNode(), DomAnywherePattern(nameOrPattern), {}, false));
    return DomNodeList(ElementsNamed(m_data, nameOrPattern, false));
}

DomNode DomDocument::firstElementByTagName(const QString& nameOrPattern) const
{
    if (nameOrPattern.isEmpty())
        return {};
    const std::vector<DomNode> found = DomIsPattern(nameOrPattern)
                                           ? DomRunQuery(asNode(), DomAnywherePattern(nameOrPattern), {}, true)
                                           : ElementsNamed(m_data, nameOrPattern, true);
    return found.empty() ? DomNode() : found.front();
}

std::vector<DomNode> DomDocument::firstElementsByTagNames(const QStringList& namesOrPatterns) const
{
    std::vector<DomNode> found(size_t(namesOrPatterns.size()));
    std::vector<std::pair<std::string, size_t>> plain; // names still looked for, with their place
    for (qsizetype i = 0; i < namesOrPatterns.size(); ++i) {
        const QString& name = namesOrPatterns[i];
        if (name.isEmpty())
            continue;
        if (DomIsPattern(name))
            found[size_t(i)] = firstElementByTagName(name);
        else
            plain.emplace_back(name.toStdString(), size_t(i));
    }
    if (plain.empty())
        return found;
    ForEachElement(*m_data->tree, [&](pugi::xml_node element) {
        const char* own = element.name();
        for (auto it = plain.begin(); it != plain.end();) {
            if (std::strcmp(own, it->first.c_str()) == 0) {
                found[it->second] = DomAccess::make(m_data, m_data->tree, element);
                it = plain.erase(it);
            } else {
                ++it;
            }
        }
        return !plain.empty();
    });
    return found;
}

std::vector<DomDocument::PathHit> DomDocument::findByPaths(const std::vector<QStringList>& paths) const
{
    // Each path as its names from the element upwards.
    std::vector<std::vector<std::string>> upwards;
    for (const QStringList& path : paths) {
        std::vector<std::string> names;
        for (auto it = path.crbegin(); it != path.crend(); ++it)
            names.push_back(it->toStdString());
        upwards.push_back(std::move(names));
    }
    if (upwards.size() > 32)
        upwards.resize(32);
    auto ends = [](pugi::xml_node element, const std::vector<std::string>& names) {
        if (names.empty())
            return false;
        pugi::xml_node cur = element;
        for (const std::string& name : names) {
            // Most elements fail on the first letter of the last name.
            const char* own = cur ? cur.name() : "";
            if (own[0] != name[0] || std::strcmp(own, name.c_str()) != 0 || cur.type() != pugi::node_element)
                return false;
            cur = cur.parent();
        }
        return true;
    };

    const auto matchesOf = [&](pugi::xml_node element) {
        uint32_t matches = 0;
        for (size_t i = 0; i < upwards.size(); ++i)
            if (ends(element, upwards[i]))
                matches |= uint32_t(1) << i;
        return matches;
    };
    struct Hit {
        pugi::xml_node element;
        uint32_t matches;
        std::array<const void*, PathHit::Above> above;
    };
    const DomTree& tree = *m_data->tree;
    std::vector<Hit> hits;
    ForEachElementOnBothCores(
        tree,
        [&](pugi::xml_node element, auto& into) {
            const uint32_t matches = matchesOf(element);
            if (!matches)
                return;
            Hit& hit = into.emplace_back(Hit{element, matches, {}});
            pugi::xml_node up = element.parent();
            for (size_t i = 0; i < hit.above.size() && up && !tree.isHolder(up); ++i, up = up.parent())
                hit.above[i] = up.internal_object();
        },
        hits);
    std::vector<PathHit> found;
    found.reserve(hits.size());
    for (const Hit& hit : hits)
        found.push_back({DomAccess::make(m_data, m_data->tree, hit.element), hit.matches, hit.above});
    return found;
}
