#include "package/NavIndex.h"

void NavIndex::clear(const void* document)
{
    m_document = document;
    m_entries.clear();
    m_roots.clear();
    m_byId.clear();
    m_nextWide = WideIdBase;
}

void NavIndex::reserve(size_t headings)
{
    m_entries.reserve(headings);
    m_byId.reserve(qsizetype(headings));
}

int32_t NavIndex::idFor(int16_t level, int32_t parentId, int ordinal)
{
    if (level == 1 && ordinal <= MaxClassicLevel1)
        return ordinal * 100;
    if (level == 2 && parentId < WideIdBase && ordinal <= MaxClassicLevel2)
        return parentId + ordinal;
    return m_nextWide++;
}

int32_t NavIndex::add(const DomNode& heading, int16_t level, int32_t parent, int ordinal)
{
    const int32_t parentId = parent >= 0 ? m_entries[size_t(parent)].id : 0;
    NavEntry entry;
    entry.heading = heading;
    entry.level = level;
    entry.parent = parent;
    entry.id = idFor(level, parentId, ordinal);
    const auto index = static_cast<int32_t>(m_entries.size());
    m_byId.insert(entry.id, index);
    m_entries.push_back(std::move(entry));
    if (parent >= 0)
        m_entries[size_t(parent)].children.push_back(index);
    else
        m_roots.push_back(index);
    return index;
}

const std::vector<int32_t>& NavIndex::childrenOf(int32_t parent) const
{
    static const std::vector<int32_t> none;
    if (parent < 0)
        return m_roots;
    return parent < static_cast<int32_t>(m_entries.size()) ? m_entries[size_t(parent)].children : none;
}

NavIndex::IdChars NavIndex::IdCharsOf(int32_t id)
{
    IdChars text{};
    // Digits of a whole number, at least width of them.
    const auto put = [&text](size_t at, uint32_t n, size_t width) {
        char digits[12];
        size_t count = 0;
        do {
            digits[count++] = char('0' + n % 10);
            n /= 10;
        } while (n != 0);
        while (count < width)
            digits[count++] = '0';
        while (count > 0)
            text[at++] = digits[--count];
        return at;
    };
    if (id < 0) {
        text[0] = '-';
        put(1, uint32_t(-int64_t(id)), 1);
    } else if (id >= WideIdBase) {
        put(0, uint32_t(id), 1);
    } else { // level-1 and level-2 ordinals of two digits each, zero-padded; more digits when larger
        put(put(0, uint32_t(id / 100), 2), uint32_t(id % 100), 2);
    }
    return text;
}

QString NavIndex::IdText(int32_t id)
{
    return QString::fromLatin1(IdCharsOf(id).data());
}

NavIndex& DocumentNavIndex()
{
    static NavIndex index;
    return index;
}
