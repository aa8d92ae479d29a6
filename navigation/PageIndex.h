#pragma once

#include "package/dom/Dom.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

class NavIndex;

// The printed-page marks of the open document in document order, made once
// when the document is shown, so that a page move needs no query.
struct PageMark {
    DomNode node;
    int32_t id = 0;     // the mark's id read as a number (LLSSPPP)
    QString text;       // the mark's text as the document has it
    QString label;      // the same, trimmed: what the reader types to go there
    int32_t entry = -1; // the deepest heading whose text shows the mark, or -1
    // The level-1 and level-2 headings it follows (1-based, 0 before the first).
    int32_t level1 = 0;
    int32_t level2 = 0;
};

class PageIndex {
public:
    // Reads the marks of doc; deepest is the navigation level whose headings own a text.
    void build(const DomDocument& doc, const NavIndex& headings, int deepest);
    void clear();
    bool isFor(const void* document) const { return document && document == m_document; }

    const std::vector<PageMark>& marks() const { return m_marks; }
    bool isEmpty() const { return m_marks.empty(); }
    // The last mark whose trimmed text is label, or -1.
    int lastWithLabel(const QString& label) const { return m_byLabel.value(label.trimmed(), -1); }
    // The marks shown in the text of heading entry: [first, end) in marks().
    std::pair<int, int> marksOf(int32_t entry) const { return m_byEntry.value(entry, {0, 0}); }
    // Where a heading stands among the pages: (level-1, level-2) ordinals as the ids count them.
    std::pair<int32_t, int32_t> keyOf(int32_t entry) const;
    // How many marks come before the heading with that key.
    int marksBefore(std::pair<int32_t, int32_t> key) const;
    // The first mark with an id above id, the last below it; -1 when there is none.
    int firstAbove(int32_t id) const;
    int lastBelow(int32_t id) const;

private:
    std::vector<PageMark> m_marks;
    QHash<QString, int> m_byLabel;
    QHash<int32_t, std::pair<int, int>> m_byEntry;
    std::vector<std::pair<int32_t, int32_t>> m_entryKeys;
    const void* m_document = nullptr;
};
