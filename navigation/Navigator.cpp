#include "navigation/Navigator.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "navigation/NavigationHost.h"
#include "navigation/Phrases.h"
#include "navigation/WordCount.h"
#include "package/NavIndex.h"
#include "render/TextAssembly.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "settings/modLanguage.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>

Navigator::Navigator(NavList& lists, TextViewer& viewer, TextAssembly& assembly, NavigationHost& host)
    : m_lists(lists), m_viewer(viewer), m_assembly(assembly), m_host(host)
{}

QString Navigator::SelectedEntry(int list) const
{
    const int row = m_lists.ListIndex(list);
    const QStringList entries = m_lists.entries(list);
    return row >= 0 && row < entries.size() ? entries[row] : QString();
}

void Navigator::ShowFirstLevel()
{
    RunState& rs = Run();
    SetStep(QStringLiteral("Buildt top-navigation level and show it"));
    rs.CurrentLevel = 1;
    rs.DocumentOpen = true;
    // A new document starts before its first page; its marks are read once, here.
    ResetPages();
    if (rs.HasPageNumbers)
        m_pages.build(rs.XmlDoc, DocumentNavIndex(), std::max<int>(rs.NavLevelCount, 1));
    LoadLevelTitles(1);
    ShowInfo(rs.CurrentLevel, true);
}

int32_t Navigator::EntryAt(int list, int row) const
{
    if (list < 0 || static_cast<size_t>(list) >= m_rows.size() || row < 0 ||
        static_cast<size_t>(row) >= m_rows[size_t(list)].size())
        return -1;
    return m_rows[size_t(list)][size_t(row)];
}

int32_t Navigator::SelectedId(int list) const
{
    const int32_t entry = EntryAt(list, m_lists.ListIndex(list));
    const NavIndex& index = DocumentNavIndex();
    if (entry < 0 || entry >= static_cast<int32_t>(index.entries().size()))
        return 0;
    return index.at(entry).id;
}

void Navigator::LoadLevelTitles(int16_t level)
{
    GuardedVoid("LoadLevelTitles", [&] {
        if (level < 1 || level > 6)
            RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        m_lists.ensureList(level);
        if (m_rows.size() <= size_t(level))
            m_rows.resize(size_t(level) + 1);

        SetStep(QStringLiteral("Select the headings of the level"));
        const NavIndex& index = DocumentNavIndex();
        std::vector<int32_t> rows;
        if (!index.isFor(Run().XmlDoc.asNode().identity())) {
            // Headings numbered for another document are never shown for this one.
        } else if (level == 1) {
            rows = index.roots();
        } else {
            const int32_t parent = EntryAt(level - 1, m_lists.ListIndex(level - 1));
            if (parent >= 0)
                rows = index.childrenOf(parent);
        }

        SetStep(QStringLiteral("Fill the list"));
        QStringList entries;
        entries.reserve(static_cast<qsizetype>(rows.size()));
        for (const int32_t entry : rows) {
            const DomNode& heading = index.at(entry).heading;
            // A heading wrapped over several source lines reads as one line.
            entries << heading.text().simplified() + WordCount(heading, level);
        }
        m_rows[size_t(level)] = std::move(rows);
        m_lists.setEntries(level, entries);
        m_lists.setListIndex(level, entries.isEmpty() ? -1 : 0);
        m_host.listsChanged();
    });
}

void Navigator::LevelDown()
{
    GuardedVoid("LevelDown", [&] {
        RunState& rs = Run();
        if (rs.CurrentLevel < 0)
            return;
        if (rs.CurrentLevel == 0 || rs.CurrentLevel >= rs.NavLevelCount) {
            SetStep(QStringLiteral("Show the text of the selected entry"));
            LoadText(rs.CurrentLevel, 0, QString());
            rs.CurrentLevel = 9;
        } else {
            SetStep(QStringLiteral("Show the next level"));
            rs.CurrentLevel = static_cast<int16_t>(rs.CurrentLevel + 1);
            LoadLevelTitles(rs.CurrentLevel);
        }
        ShowInfo(rs.CurrentLevel, true);
        m_host.menuOptionsChanged();
    });
}

void Navigator::LevelUp()
{
    GuardedVoid("LevelUp", [&] {
        RunState& rs = Run();
        if (rs.CurrentLevel < 0)
            return;
        if (rs.GlobalSearchMode) {
            rs.CurrentLevel = 0;
            ShowInfo(rs.CurrentLevel, true);
            m_host.setLocation(SetLangTxt(rs.PersonalInterestMode ? 1111 : 1092) + QStringLiteral(" - ") +
                               SelectedEntry(0));
        } else {
            const int16_t before = rs.CurrentLevel == 9 ? rs.NavLevelCount : rs.CurrentLevel;
            if (rs.CurrentLevel == 9) {
                rs.CurrentLevel = rs.NavLevelCount;
            } else if (rs.CurrentLevel > 1) {
                m_lists.setListIndex(rs.CurrentLevel, -1);
                rs.CurrentLevel = static_cast<int16_t>(rs.CurrentLevel - 1);
            }
            // Away from the deepest list there is no text position to come back to.
            if (before < rs.NavLevelCount)
                rs.LastReadPosition = -1;
            ShowInfo(rs.CurrentLevel, true);
        }
        m_host.menuOptionsChanged();
    });
}

void Navigator::ShowInfo(int16_t level, bool setFocus)
{
    GuardedVoid("ShowInfo", [&] {
        const RunState& rs = Run();
        SetStep(QStringLiteral("Clear Navigation lists"));
        for (int i = 0; i < m_lists.count(); ++i)
            m_lists.setVisible(i, i == level);
        m_viewer.setVisible(false);
        SetNavigationOptions();

        SetStep(QStringLiteral("Set location string"));
        QString location;
        // The personal-interest search is a whole-document search too; its own name comes first.
        if (rs.PersonalInterestMode)
            location = SetLangTxt(1111) + QStringLiteral(" - '") + Txt().SearchText + QStringLiteral("'");
        else if (rs.GlobalSearchMode)
            location = SetLangTxt(1092) + QStringLiteral(" - '") + Txt().SearchText + QStringLiteral("'");
        auto append = [&location](const QString& part) {
            if (!location.isEmpty())
                location += QStringLiteral(" / ");
            location += part;
        };

        if (level >= 0 && level <= 6) {
            for (int k = 2; k <= level; ++k)
                append(SelectedEntry(k - 1));
            if (location.isEmpty())
                location = SetLangTxt(1091);
            m_host.setLocation(location);
            if (setFocus)
                m_host.focusList(level);
        } else if (level == 9) {
            SetStep(QStringLiteral("Show text of navigation"));
            if (rs.GlobalSearchMode || rs.PersonalInterestMode) {
                append(SelectedEntry(0));
            } else {
                for (int k = 2; k <= rs.NavLevelCount + 1; ++k)
                    append(SelectedEntry(k - 1));
            }
            if (location.isEmpty())
                location = SetLangTxt(1091);
            m_host.setLocation(location);
            m_viewer.setVisible(true);
            if (setFocus)
                m_host.focusText();
        }
    });
}

void Navigator::SetNavigationOptions()
{
    GuardedVoid("SetNavigationOptions", [&] {
        const RunState& rs = Run();
        SetStep(QStringLiteral("Disable the navigation controls"));
        bool up = false, next = false, previous = false;
        if (rs.CurrentLevel >= 0) {
            up = rs.CurrentLevel == 9 || rs.CurrentLevel > 1;
            if (rs.CurrentLevel == 9 && rs.GlobalSearchMode) {
                const int row = m_lists.ListIndex(0);
                next = row < m_lists.entries(0).size() - 1;
                previous = row >= 1;
            } else {
                // Any list from the first down to the deepest that is not at its end can move.
                const int deepest = std::max<int>(rs.NavLevelCount, 1);
                for (int list = 1; list <= deepest; ++list) {
                    const int row = m_lists.ListIndex(list);
                    const int last = static_cast<int>(m_lists.entries(list).size()) - 1;
                    next = next || (row >= 0 && row < last);
                    previous = previous || row > 0;
                }
            }
        }
        m_host.setNavigationOptions(up, next, previous);
    });
}

void Navigator::LoadAbstract(int16_t level)
{
    GuardedVoid("LoadAbstract", [&] {
        SetStep(QStringLiteral("Find the abstract"));
        const QString title = NoWordCount(SelectedEntry(level));
        // The title is bound as a value, so quotes in it cannot break the query.
        const DomNode intro = Run().XmlDoc.asNode().selectSingleNode(
            QStringLiteral("//artikel[normalize-space(titel/head) = $title]/intro"),
            {{QStringLiteral("title"), title}});
        if (intro.isNull())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: no abstract"));
        SetStep(QStringLiteral("Show the abstract"));
        // The key that closes the box is released over the list; its press went to
        // the box, so the key handling passes it over.
        Prompt().MsgBox(intro.text(), PromptButtons::OkCancel, PromptIcon::None, QStringLiteral("Abstract"));
    });
}

void Navigator::GoArticle(int direction)
{
    GuardedVoid("GoArticle", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen || rs.CurrentLevel < 0)
            return;
        const int deepest = rs.GlobalSearchMode ? 0 : rs.NavLevelCount;
        auto count = [this](int list) { return static_cast<int>(m_lists.entries(list).size()); };
        auto ends = [this](bool next) {
            m_host.playSound(next ? QStringLiteral("EndDocument.wav") : QStringLiteral("BeginDocument.wav"));
        };

        if (direction == 1) {
            SetStep(QStringLiteral("first article"));
            const int list = std::min<int>(rs.CurrentLevel, rs.NavLevelCount);
            m_lists.setListIndex(list, 0);
        } else if (direction == 2 || direction == 0) {
            const bool next = direction == 2;
            SetStep(next ? QStringLiteral("next article") : QStringLiteral("previous article"));
            rs.LastReadPosition = 0;
            // The deepest list (or the search results) moves across its parent's
            // boundaries; a higher list moves only within itself.
            if (rs.CurrentLevel >= deepest) {
                if (!StepDeepest(deepest, next)) {
                    ends(next);
                    return;
                }
            } else {
                const int list = rs.CurrentLevel;
                const int row = m_lists.ListIndex(list);
                if (next ? row >= count(list) - 1 : row <= 0) {
                    ends(next);
                    return;
                }
                m_lists.setListIndex(list, next ? row + 1 : row - 1);
            }
        } else {
            return;
        }
        if (rs.CurrentLevel == 9)
            LoadText(rs.CurrentLevel, 0, QString());
        ShowInfo(rs.CurrentLevel, true);
    });
}

bool Navigator::StepDeepest(int deepest, bool next)
{
    auto count = [this](int list) { return static_cast<int>(m_lists.entries(list).size()); };
    const int row = m_lists.ListIndex(deepest);
    if (next ? row < count(deepest) - 1 : row >= 1) {
        m_lists.setListIndex(deepest, next ? row + 1 : row - 1);
        return true;
    }
    // The nearest list above that can move takes the step; the lists below it
    // are filled anew and start at their first (or last) entry. One flat list
    // (search results, a one-level document) has the document's ends as its own.
    int moving = deepest - 1;
    for (; moving >= 1; --moving) {
        const int r = m_lists.ListIndex(moving);
        if (next ? r < count(moving) - 1 : r >= 1)
            break;
    }
    if (moving < 1)
        return false;
    m_host.playSound(QStringLiteral("Navigate.wav"));
    const int r = m_lists.ListIndex(moving);
    m_lists.setListIndex(moving, next ? r + 1 : r - 1);
    for (int list = moving + 1; list <= deepest; ++list) {
        LoadLevelTitles(static_cast<int16_t>(list));
        if (!next)
            m_lists.setListIndex(list, count(list) - 1);
    }
    return true;
}

void Navigator::GoPhrase(int direction)
{
    GuardedVoid("GoPhrase", [&] {
        SetStep(QStringLiteral("Find the phrase"));
        const QString text = m_viewer.Text();
        int caret = m_viewer.SelStart();
        int target = caret;
        if (direction == 0 || direction == 1) {
            if (caret < 2)
                return;
            const bool atStart = IsPhraseStart(text, caret);
            if (direction == 1) {
                if (atStart)
                    return;
                target = PhraseStartBefore(text, caret);
            } else {
                if (!atStart)
                    caret = PhraseStartBefore(text, caret);
                target = PhraseStartBefore(text, caret);
            }
        } else if (direction == 2) {
            // With no phrase end after the caret, the next phrase is the end of the text.
            target = NextPhraseStart(text, caret);
        } else {
            return;
        }
        SetStep(QStringLiteral("Move the caret"));
        m_viewer.setSelStart(target);
        Run().LastReadPosition = m_viewer.SelStart();
    });
}

void Navigator::GoParaGraph(int direction)
{
    GuardedVoid("GoParaGraph", [&] {
        // Paragraphs are the document's blocks; only a shown text moves.
        if (!m_viewer.isVisible() || Run().CurrentLevel != 9)
            return;
        SetStep(QStringLiteral("Find the paragraph"));
        QTextCursor cursor = m_viewer.textCursor();
        cursor.clearSelection();
        const QTextBlock current = cursor.block();
        auto startOf = [&cursor](const QTextBlock& block) { cursor.setPosition(block.position()); };
        if (direction == 1) {
            startOf(current);
        } else if (direction == 0) {
            // From below the first line of a paragraph, its own start; from its
            // first line, the start of the paragraph before (empty lines passed over).
            bool firstLine = true;
            if (const QTextLayout* layout = current.layout(); layout && layout->lineCount() > 0) {
                const QTextLine line = layout->lineForTextPosition(cursor.position() - current.position());
                firstLine = !line.isValid() || line.lineNumber() == 0;
            }
            if (!firstLine) {
                startOf(current);
            } else {
                QTextBlock block = current.previous();
                while (block.isValid() && block.text().trimmed().isEmpty())
                    block = block.previous();
                startOf(block.isValid() ? block : current.document()->firstBlock());
            }
        } else if (direction == 2) {
            QTextBlock block = current.next();
            while (block.isValid() && block.text().trimmed().isEmpty())
                block = block.next();
            if (block.isValid())
                startOf(block);
            else
                cursor.movePosition(QTextCursor::End);
        } else {
            return;
        }
        SetStep(QStringLiteral("Move the caret"));
        m_viewer.setTextCursor(cursor);
        Run().LastReadPosition = m_viewer.SelStart();
    });
}

void Navigator::GoMainIndex()
{
    GuardedVoid("GoMainIndex", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen)
            return;
        // The table of contents is outside any search: the next text opened is the reader's choice.
        EndSearch();
        rs.CurrentLevel = 1;
        ShowInfo(1, true);
        m_host.menuOptionsChanged();
    });
}

void Navigator::LoadText(int16_t level, int32_t position, const QString& pageText)
{
    (void)level;
    GuardedVoid("LoadText", [&] {
        const RunState& rs = Run();
        const TextState& txt = Txt();
        SetStep(QStringLiteral("Hide and clear the text"));
        m_viewer.setVisible(false);
        m_viewer.setText(QString());

        SetStep(QStringLiteral("Work out the heading id"));
        int32_t id = 0;
        if (!txt.SearchText.isEmpty() && rs.GlobalSearchMode && !rs.LocalSearchMode) {
            const int row = m_lists.ListIndex(0);
            if (row < 0 || static_cast<size_t>(row) >= txt.FoundIds.size())
                RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
            id = txt.FoundIds[static_cast<size_t>(row)];
        } else {
            id = SelectedId(std::max<int>(rs.NavLevelCount, 1));
        }
        // A search of one article ends when another entry is shown.
        if (rs.LocalSearchMode && id != txt.LocalSearchHeadId)
            EndSearch();
        m_assembly.LoadText(id, position, pageText);
    });
}

void Navigator::EndSearch()
{
    RunState& rs = Run();
    TextState& txt = Txt();
    rs.GlobalSearchMode = false;
    rs.LocalSearchMode = false;
    rs.PersonalInterestMode = false;
    txt.SearchText.clear();
    txt.FoundIds.clear();
    txt.FoundPositions.clear();
    txt.CurrentFound = 0;
    txt.StartAtLastMatch = false;
    txt.SearchOriginId = 0;
    txt.LocalSearchHeadId = 0;
    if (m_lists.count() > 0)
        m_lists.clear(0);
}

bool Navigator::SelectEntryById(int32_t id)
{
    const NavIndex& index = DocumentNavIndex();
    if (!index.isFor(Run().XmlDoc.asNode().identity()))
        return false;
    const int32_t entry = index.indexOfId(id);
    if (entry < 0)
        return false;
    std::vector<int32_t> path;
    for (int32_t e = entry; e >= 0; e = index.at(e).parent)
        path.insert(path.begin(), e);
    // Each list is filled for the selection above it before its own row is chosen.
    for (size_t depth = 0; depth < path.size(); ++depth) {
        const int level = static_cast<int>(depth) + 1;
        if (level > 1)
            LoadLevelTitles(static_cast<int16_t>(level));
        const std::vector<int32_t>& rows = m_rows.size() > size_t(level) ? m_rows[size_t(level)] : index.roots();
        const auto at = std::find(rows.begin(), rows.end(), path[depth]);
        if (at == rows.end())
            return false;
        m_lists.setListIndex(level, static_cast<int>(at - rows.begin()));
    }
    return true;
}

bool Navigator::Perform(ReadingAction action)
{
    const RunState& rs = Run();
    using A = ReadingAction;
    switch (action) {
    case A::LevelUp:
        LevelUp();
        return true;
    case A::LevelDown:
        LevelDown();
        return true;
    case A::PreviousArticle:
        GoArticle(0);
        return true;
    case A::FirstArticle:
        GoArticle(1);
        return true;
    case A::NextArticle:
        GoArticle(2);
        return true;
    case A::TableOfContents:
        GoMainIndex();
        return true;
    case A::Abstract:
        if (rs.CurrentLevel == rs.NavLevelCount)
            LoadAbstract(rs.CurrentLevel);
        return true;
    case A::FirstEntry:
    case A::LastEntry:
        if (rs.CurrentLevel >= 0 && rs.CurrentLevel <= 6) {
            const int last = static_cast<int>(m_lists.entries(rs.CurrentLevel).size()) - 1;
            m_lists.setListIndex(rs.CurrentLevel, action == A::LastEntry ? last : 0);
            ShowInfo(rs.CurrentLevel, true);
        }
        return true;
    case A::PreviousPhrase:
        GoPhrase(0);
        return true;
    case A::PhraseStart:
        GoPhrase(1);
        return true;
    case A::NextPhrase:
        GoPhrase(2);
        return true;
    case A::PreviousParagraph:
        GoParaGraph(0);
        return true;
    case A::ParagraphStart:
        GoParaGraph(1);
        return true;
    case A::NextParagraph:
        GoParaGraph(2);
        return true;
    case A::NextPage:
    case A::PreviousPage: {
        int16_t index = action == A::NextPage ? 1 : 2;
        GoPage(index);
        return true;
    }
    default:
        return false;
    }
}
