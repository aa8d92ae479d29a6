#include "navigation/PageIndex.h"

#include "package/NavIndex.h"

#include <algorithm>
#include <tuple>

void PageIndex::clear()
{
    m_marks.clear();
    m_byLabel.clear();
    m_byEntry.clear();
    m_entryKeys.clear();
    m_document = nullptr;
}

void PageIndex::build(const DomDocument& doc, const NavIndex& headings, int deepest)
{
    clear();
    m_document = doc.asNode().identity();

    // Each heading's place as the page ids count it: its level-1 heading and,
    // below that, its level-2 heading (deeper headings count as their level-2 one).
    const auto& entries = headings.entries();
    m_entryKeys.assign(entries.size(), {0, 0});
    const auto& roots = headings.roots();
    for (size_t k = 0; k < roots.size(); ++k) {
        const int32_t root = roots[k];
        m_entryKeys[size_t(root)] = {int32_t(k + 1), 0};
        const auto& children = headings.childrenOf(root);
        for (size_t j = 0; j < children.size(); ++j) {
            std::vector<int32_t> below{children[j]};
            while (!below.empty()) {
                const int32_t e = below.back();
                below.pop_back();
                m_entryKeys[size_t(e)] = {int32_t(k + 1), int32_t(j + 1)};
                for (int32_t c : entries[size_t(e)].children)
                    below.push_back(c);
            }
        }
    }

    // The text of a heading is its grandparent's XML; a mark inside it shows in that text.
    QHash<const void*, int32_t> units;
    for (size_t e = 0; e < entries.size(); ++e) {
        if (entries[e].level == deepest)
            units.insert(entries[e].heading.parentNode().parentNode().identity(), int32_t(e));
    }

    const DomNodeList found = doc.selectNodes(QStringLiteral("//pagenum"));
    m_marks.reserve(size_t(found.length()));
    std::pair<int32_t, int32_t> previous{0, 0};
    for (const DomNode& node : found) {
        PageMark mark;
        mark.node = node;
        mark.text = node.text();
        mark.label = mark.text.trimmed();
        const QString id = node.getAttribute(QStringLiteral("id"));
        mark.id = id.toInt();
        for (DomNode up = node.parentNode(); !up.isNull(); up = up.parentNode()) {
            const auto unit = units.constFind(up.identity());
            if (unit != units.constEnd()) {
                mark.entry = unit.value();
                break;
            }
        }
        // Seven digits are LL SS PPP; longer ids (very large documents) say
        // nothing reliable, so the mark takes its heading's place, or the one before.
        if (id.size() == 7) {
            mark.level1 = id.left(2).toInt();
            mark.level2 = id.mid(2, 2).toInt();
        } else if (mark.entry >= 0) {
            std::tie(mark.level1, mark.level2) = m_entryKeys[size_t(mark.entry)];
        } else {
            std::tie(mark.level1, mark.level2) = previous;
        }
        previous = {mark.level1, mark.level2};
        const int at = int(m_marks.size());
        m_byLabel.insert(mark.label, at);
        if (mark.entry >= 0) {
            auto range = m_byEntry.find(mark.entry);
            if (range == m_byEntry.end())
                m_byEntry.insert(mark.entry, {at, at + 1});
            else
                range->second = at + 1;
        }
        m_marks.push_back(std::move(mark));
    }
}

std::pair<int32_t, int32_t> PageIndex::keyOf(int32_t entry) const
{
    if (entry < 0 || size_t(entry) >= m_entryKeys.size())
        return {0, 0};
    return m_entryKeys[size_t(entry)];
}

int PageIndex::marksBefore(std::pair<int32_t, int32_t> key) const
{
    const auto at = std::partition_point(m_marks.begin(), m_marks.end(),
                                         [&key](const PageMark& m) { return std::pair(m.level1, m.level2) < key; });
    return int(at - m_marks.begin());
}

int PageIndex::firstAbove(int32_t id) const
{
    for (size_t i = 0; i < m_marks.size(); ++i) {
        if (m_marks[i].id > id)
            return int(i);
    }
    return -1;
}

int PageIndex::lastBelow(int32_t id) const
{
    for (size_t i = m_marks.size(); i-- > 0;) {
        if (m_marks[i].id < id)
            return int(i);
    }
    return -1;
}
