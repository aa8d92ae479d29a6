// Moves by printed page: next, previous and to a page by its label.
#include "navigation/Navigator.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "navigation/NavigationHost.h"
#include "package/NavIndex.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "settings/modLanguage.h"

#include <algorithm>

void Navigator::ResetPages()
{
    m_pages.clear();
    CurrentPageId = 0;
    m_lastMark = -1;
    m_lastMarkEntry = -1;
}

int Navigator::RowOf(int list, int32_t entry) const
{
    if (list < 0 || size_t(list) >= m_rows.size())
        return -1;
    const auto& rows = m_rows[size_t(list)];
    const auto at = std::find(rows.begin(), rows.end(), entry);
    return at == rows.end() ? -1 : int(at - rows.begin());
}

std::vector<int> Navigator::MarkPositions(int32_t entry)
{
    const auto [first, end] = m_pages.marksOf(entry);
    std::vector<int> positions;
    const QTextCursor caret = m_viewer.textCursor();
    // Each mark is looked for after the one before it, so repeated labels and
    // labels that begin another ("1" and "12") each find their own mark.
    int from = 0;
    for (int i = first; i < end; ++i) {
        const PageMark& mark = m_pages.marks()[size_t(i)];
        int at = m_viewer.Find(PageNumSuffix() + mark.text, from, -1, TextViewer::FindMatchCase);
        if (at < 0 && mark.text != mark.label)
            at = m_viewer.Find(PageNumSuffix() + mark.label, from, -1, TextViewer::FindMatchCase);
        positions.push_back(at);
        if (at >= 0)
            from = at + 1;
    }
    // Find selects what it finds; the reader's caret stays where it was.
    m_viewer.setTextCursor(caret);
    return positions;
}

int Navigator::PageFromReader(bool next)
{
    const RunState& rs = Run();
    const int count = int(m_pages.marks().size());
    auto around = [&](int before) { return next ? (before < count ? before : -1) : before - 1; };
    const int deepest = std::max<int>(rs.NavLevelCount, 1);
    if (rs.CurrentLevel == 9 && !rs.GlobalSearchMode) {
        const int32_t entry = EntryAt(deepest, m_lists.ListIndex(deepest));
        if (entry >= 0) {
            // In the text: the last mark at or before the caret is the page the reader is on.
            const std::vector<int> positions = MarkPositions(entry);
            const int caret = m_viewer.SelStart();
            const int first = m_pages.marksOf(entry).first;
            int on = -1;
            for (size_t i = 0; i < positions.size(); ++i) {
                if (positions[i] >= 0 && positions[i] <= caret)
                    on = first + int(i);
            }
            if (on < 0 && m_lastMark >= 0 && m_lastMarkEntry == entry &&
                m_pages.marks()[size_t(m_lastMark)].entry != entry)
                on = m_lastMark;
            if (on >= 0)
                return next ? (on + 1 < count ? on + 1 : -1) : on - 1;
            return around(m_pages.marksBefore(m_pages.keyOf(entry)));
        }
    } else if (rs.CurrentLevel >= 1 && rs.CurrentLevel <= 6) {
        // In a list: the reader stands just before the selected heading.
        const int32_t entry = EntryAt(rs.CurrentLevel, m_lists.ListIndex(rs.CurrentLevel));
        if (entry >= 0) {
            auto key = m_pages.keyOf(entry);
            // The first heading also stands for what comes before it.
            if (key == std::pair<int32_t, int32_t>{1, 0})
                key = {0, 0};
            return around(m_pages.marksBefore(key));
        }
    }
    return next ? m_pages.firstAbove(CurrentPageId) : m_pages.lastBelow(CurrentPageId);
}

void Navigator::ShowPage(int mark)
{
    RunState& rs = Run();
    const PageMark& page = m_pages.marks()[size_t(mark)];
    const NavIndex& index = DocumentNavIndex();
    const int deepest = std::max<int>(rs.NavLevelCount, 1);

    SetStep(QStringLiteral("Find the heading of the page"));
    // The headings from level 1 down to the one whose text shows the mark; a
    // mark outside every text stands under the headings its id names, or the first.
    std::vector<int32_t> path;
    if (page.entry >= 0) {
        for (int32_t e = page.entry; e >= 0; e = index.at(e).parent)
            path.insert(path.begin(), e);
    } else {
        const auto& roots = index.roots();
        if (roots.empty())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: no headings"));
        const size_t k = page.level1 >= 1 && size_t(page.level1) <= roots.size() ? size_t(page.level1 - 1) : 0;
        path.push_back(roots[k]);
        for (int level = 2; level <= deepest; ++level) {
            const auto& children = index.childrenOf(path.back());
            if (children.empty())
                break;
            const size_t j =
                level == 2 && page.level2 >= 1 && size_t(page.level2) <= children.size() ? size_t(page.level2 - 1) : 0;
            path.push_back(children[j]);
        }
    }

    SetStep(QStringLiteral("Select the heading of the page"));
    rs.CurrentLevel = 1;
    m_lists.setListIndex(1, std::max(RowOf(1, path[0]), 0));
    for (int level = 2; level <= deepest; ++level) {
        rs.CurrentLevel = int16_t(level);
        LoadLevelTitles(int16_t(level));
        if (size_t(level) <= path.size())
            m_lists.setListIndex(level, std::max(RowOf(level, path[size_t(level - 1)]), 0));
    }

    SetStep(QStringLiteral("Show the text at the page"));
    CurrentPageId = page.id;
    LoadText(rs.CurrentLevel, 0, page.text);
    int caret = 0;
    const int32_t shown = EntryAt(deepest, m_lists.ListIndex(deepest));
    if (shown >= 0 && shown == page.entry) {
        const std::vector<int> positions = MarkPositions(shown);
        const int at = positions[size_t(mark - m_pages.marksOf(shown).first)];
        caret = std::max(at, 0);
    }
    m_viewer.setSelStart(caret);
    rs.LastReadPosition = caret;
    m_lastMark = mark;
    m_lastMarkEntry = shown;
    ++PageMoves;
    rs.CurrentLevel = 9;
    ShowInfo(9, true);
    m_host.menuOptionsChanged();
}

void Navigator::GoPage(int16_t& index)
{
    GuardedVoid("GoPage", [&] {
        const RunState& rs = Run();
        if (!rs.DocumentOpen)
            return;
        auto notFound = [] {
            Prompt().MsgBox(SetLangTxt(118), PromptButtons::Ok, PromptIcon::Information, SetLangTxt(117));
        };
        if (!rs.HasPageNumbers || m_pages.isEmpty() || !m_pages.isFor(rs.XmlDoc.asNode().identity())) {
            Prompt().MsgBox(SetLangTxt(121), PromptButtons::Ok, PromptIcon::Information, SetLangTxt(117));
            return;
        }
        int mark = -1;
        if (index == 1 || index == 2) {
            SetStep(index == 1 ? QStringLiteral("Find the next page") : QStringLiteral("Find the previous page"));
            mark = PageFromReader(index == 1);
        } else if (index == 0) {
            SetStep(QStringLiteral("Ask for the page"));
            const std::optional<QString> asked =
                AskPageNumber ? AskPageNumber() : Prompt().InputBox(SetLangTxt(120), SetLangTxt(117));
            if (!asked)
                return;
            const QString label = asked->trimmed();
            if (label.isEmpty())
                return;
            SetStep(QStringLiteral("Find the page"));
            mark = m_pages.lastWithLabel(label);
        } else {
            return;
        }
        if (mark < 0) {
            notFound();
            return;
        }
        ShowPage(mark);
    });
}
