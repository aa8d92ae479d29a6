#pragma once

#include "package/dom/Dom.h"

#include <QHash>
#include <array>
#include <cstdint>
#include <vector>

// The navigation headings of the open document, level by level, as AddNodeIds
// numbers them: each heading with its level, the heading above it, the
// headings below it and its id. The lists are filled from it without a query.
//
// Ids: the k-th level-1 heading is k·100 and the j-th level-2 heading below it
// k·100 + j, as usage files have always stored them, while k ≤ 327 and
// j ≤ 98. Headings those numbers cannot express (deeper levels, more entries
// under one heading, more level-1 headings) are numbered from WideIdBase
// upwards in the order they are found, which is the same for every reading of
// the same document.
struct NavEntry {
    DomNode heading;
    int16_t level = 0;
    int32_t parent = -1; // index of the entry one level up; -1 at level 1
    int32_t id = 0;
    std::vector<int32_t> children;
};

class NavIndex {
public:
    static constexpr int32_t WideIdBase = 1'000'000'000;
    static constexpr int MaxClassicLevel1 = 327;
    static constexpr int MaxClassicLevel2 = 98;

    // Empties the index and ties it to the document whose headings it will hold.
    void clear(const void* document = nullptr);
    // Room for that many headings, so that filling the index moves nothing.
    void reserve(size_t headings);
    bool isEmpty() const { return m_entries.empty(); }
    // Whether the index holds the headings of this document (its identity()).
    bool isFor(const void* document) const { return document && document == m_document; }

    // Adds a heading below parent (-1 for level 1) and gives it its id.
    int32_t add(const DomNode& heading, int16_t level, int32_t parent, int ordinal);

    const std::vector<NavEntry>& entries() const { return m_entries; }
    const NavEntry& at(int32_t index) const { return m_entries[size_t(index)]; }
    const std::vector<int32_t>& roots() const { return m_roots; }
    // The entries below parent, or the level-1 entries for parent -1.
    const std::vector<int32_t>& childrenOf(int32_t parent) const;
    // The entry with that id, or -1.
    int32_t indexOfId(int32_t id) const { return m_byId.value(id, -1); }

    // The id for the ordinal-th heading of a level below a parent with id parentId.
    int32_t idFor(int16_t level, int32_t parentId, int ordinal);
    // The id as it is written into the document ("0100", "0203", or plain decimal).
    static QString IdText(int32_t id);
    // The same as NUL-terminated ASCII.
    using IdChars = std::array<char, 16>;
    static IdChars IdCharsOf(int32_t id);

private:
    std::vector<NavEntry> m_entries;
    std::vector<int32_t> m_roots;
    QHash<int32_t, int32_t> m_byId;
    int32_t m_nextWide = WideIdBase;
    const void* m_document = nullptr;
};

// The index of the document that is open (or being opened).
NavIndex& DocumentNavIndex();
