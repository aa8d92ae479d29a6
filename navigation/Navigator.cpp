#include "navigation/Navigator.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "navigation/NavigationHost.h"
#include "navigation/WordCount.h"
#include "render/TextAssembly.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "settings/modLanguage.h"

#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>

namespace {

// Level-2 heading ids are k·100 + j, so one heading can number at most 98 below it.
constexpr int MaxEntriesBelowHeading = 98;

bool IsPhraseDelimiter(QChar c)
{
    return c == u'.' || c == u'?' || c == u'!' || c == u';' || c == u':';
}

// Where the phrase after a delimiter at j starts, or -1 when j ends no phrase.
// A phrase ends at a delimiter followed by a space or by a line break; the next
// one starts after the space or after the whole CR LF.
int PhraseStartAfter(const QString& text, int j)
{
    if (j < 0 || j + 1 >= text.size() || !IsPhraseDelimiter(text[j]))
        return -1;
    if (text[j + 1] == u' ')
        return j + 2;
    if (text[j + 1] == u'\r' && j + 2 < text.size() && text[j + 2] == u'\n')
        return j + 3;
    return -1;
}

// The last phrase start before position `before`, or 0 (the start of the text).
int PhraseStartBefore(const QString& text, int before)
{
    for (int j = std::min(before, static_cast<int>(text.size())) - 2; j >= 0; --j) {
        const int start = PhraseStartAfter(text, j);
        if (start >= 0 && start < before)
            return start;
    }
    return 0;
}

bool IsPhraseStart(const QString& text, int position)
{
    return position >= 2 &&
           (PhraseStartAfter(text, position - 2) == position || PhraseStartAfter(text, position - 3) == position);
}

} // namespace

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
    LoadLevelTitles(1);
    ShowInfo(rs.CurrentLevel, true);
}

void Navigator::LoadLevelTitles(int16_t level)
{
    GuardedVoid("LoadLevelTitles", [&] {
        RunState& rs = Run();
        if (level < 1 || level > 6)
            RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        m_lists.ensureList(level);

        SetStep(QStringLiteral("Select the headings of the level"));
        QString query;
        int parentId = 0;
        if (level == 1) {
            query = QStringLiteral("//") + rs.XdfNavLevel[1].trimmed();
        } else {
            const int p = m_lists.ListIndex(level - 1) + 1;
            parentId = p * 100;
            query = QStringLiteral("//head[@id $gt$ %1 and @id $lt$ %2]").arg(p * 100).arg(p * 100 + 99);
        }
        m_lists.clear(level);
        const DomNodeList nodes = rs.XmlDoc.selectNodes(query);

        // Below a level-1 heading only its own headings may be listed: past the
        // 98th, ids run into the next heading's numbers, so those are left out
        // and the overflow is logged rather than shown under the wrong heading.
        QSet<const void*> own;
        int ownCount = -1;
        if (level == 2 && rs.NavLevelCount >= 2) {
            SetStep(QStringLiteral("Gather the headings below the selected heading"));
            const QString path1 = rs.XdfNavLevel[1].trimmed();
            DomNode top =
                rs.XmlDoc.selectSingleNode(QStringLiteral("//") + path1 + QStringLiteral("[@id = %1]").arg(parentId));
            for (qsizetype i = 0; i < path1.count(QLatin1Char('/')) && !top.isNull(); ++i)
                top = top.parentNode();
            if (!top.isNull()) {
                const DomNodeList below = top.selectNodes(rs.XdfNavLevel[2].trimmed());
                ownCount = below.length();
                for (const DomNode& n : below)
                    own.insert(n.identity());
            }
        }

        SetStep(QStringLiteral("Fill the list"));
        QStringList entries;
        for (const DomNode& node : nodes) {
            if (ownCount >= 0 && !own.contains(node.identity()))
                continue;
            // The heading is in hand: no need to look it up again by its id.
            entries << node.text() + WordCount(node, level);
        }
        m_lists.setEntries(level, entries);
        m_lists.setListIndex(level, 0);
        m_host.listsChanged();
        if (ownCount > MaxEntriesBelowHeading) {
            SetStep(QStringLiteral("Fill the list"));
            RaiseError(ErrNo::Overflow,
                       QStringLiteral("Overflow: heading %1 has %2 headings below it; only the first %3 can be listed")
                           .arg(parentId)
                           .arg(ownCount)
                           .arg(MaxEntriesBelowHeading));
        }
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
            m_host.setLocation(SetLangTxt(1092) + QStringLiteral(" - ") + SelectedEntry(0));
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
        if (rs.GlobalSearchMode)
            location = SetLangTxt(1092) + QStringLiteral(" - '") + Txt().SearchText + QStringLiteral("'");
        else if (rs.PersonalInterestMode)
            location = SetLangTxt(1111) + QStringLiteral(" - '") + Txt().SearchText + QStringLiteral("'");
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
                m_viewer.setFocus();
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
                const int deepest = std::max<int>(rs.NavLevelCount, 1);
                const int l = m_lists.ListIndex(1);
                const int lLast = static_cast<int>(m_lists.entries(1).size()) - 1;
                const int d = m_lists.ListIndex(deepest);
                const int dLast = static_cast<int>(m_lists.entries(deepest).size()) - 1;
                next = l < lLast || (l == lLast && d < dLast);
                previous = l > 0 || (l == 0 && d > 0);
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
            QStringLiteral("//artikel[titel/head = $title]/intro"), {{QStringLiteral("title"), title}});
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
                const int row = m_lists.ListIndex(deepest);
                const int parent = deepest - 1;
                if (next ? row < count(deepest) - 1 : row >= 1) {
                    m_lists.setListIndex(deepest, next ? row + 1 : row - 1);
                } else if (parent < 1) {
                    // One flat list (search results, or a one-level document): its ends are the document's.
                    ends(next);
                    return;
                } else {
                    const int parentRow = m_lists.ListIndex(parent);
                    if (next ? parentRow >= count(parent) - 1 : parentRow <= 0) {
                        ends(next);
                        return;
                    }
                    m_host.playSound(QStringLiteral("Navigate.wav"));
                    m_lists.setListIndex(parent, next ? parentRow + 1 : parentRow - 1);
                    LoadLevelTitles(static_cast<int16_t>(deepest));
                    m_lists.setListIndex(deepest, next ? 0 : count(deepest) - 1);
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
            target = static_cast<int>(text.size());
            for (int j = std::max(caret - 1, 0); j < text.size(); ++j) {
                const int start = PhraseStartAfter(text, j);
                if (start > caret) {
                    target = start;
                    break;
                }
            }
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
        rs.GlobalSearchMode = false;
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
        if (!txt.SearchText.isEmpty() && !rs.LocalSearchMode) {
            const int row = m_lists.ListIndex(0);
            if (row < 0 || static_cast<size_t>(row) >= txt.FoundIds.size())
                RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
            id = txt.FoundIds[static_cast<size_t>(row)];
        } else if (rs.NavLevelCount < 2) {
            id = (m_lists.ListIndex(1) + 1) * 100;
        } else {
            id = (m_lists.ListIndex(1) + 1) * 100 + (m_lists.ListIndex(2) + 1);
        }
        m_assembly.LoadText(id, position, pageText);
    });
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
    default:
        return false;
    }
}
