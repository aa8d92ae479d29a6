// Navigation levels and lists, the location line, and the moves by article,
// phrase and paragraph that the keys, buttons and Navigation menu share.
#include "app/ui/frmMain.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/ErrorLog.h"
#include "app/core/PlayWave.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "app/ui/ScreenReaderFocus.h"
#include "navigation/NavList.h"
#include "navigation/WordCount.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/modLanguage.h"

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSet>
#include <QTextBlock>
#include <QTextLayout>

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

QString frmMain::SelectedEntry(int list) const
{
    const int row = NavLists->ListIndex(list);
    const QStringList entries = NavLists->entries(list);
    return row >= 0 && row < entries.size() ? entries[row] : QString();
}

void frmMain::PlaySound(const QString& name)
{
    const QString path = AppPaths::SoundsDir() + QLatin1Char('/') + name;
    if (PlayWaveHook)
        PlayWaveHook(path);
    else
        PlayWave(path);
}

void frmMain::LoadLevelTitles(int16_t level)
{
    GuardedVoid("LoadLevelTitles", [&] {
        RunState& rs = Run();
        if (level < 1 || level > 6)
            RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        NavLists->ensureList(level);
        NavListView(level);

        SetStep(QStringLiteral("Select the headings of the level"));
        QString query;
        int parentId = 0;
        if (level == 1) {
            query = QStringLiteral("//") + rs.XdfNavLevel[1].trimmed();
        } else {
            const int p = NavLists->ListIndex(level - 1) + 1;
            parentId = p * 100;
            query = QStringLiteral("//head[@id $gt$ %1 and @id $lt$ %2]").arg(p * 100).arg(p * 100 + 99);
        }
        NavLists->clear(level);
        const DomNodeList nodes = rs.XmlDoc.selectNodes(query);

        // Below a level-1 heading only its own headings may be listed: past the
        // 98th, ids run into the next heading's numbers, so those are left out
        // and the overflow is logged rather than shown under the wrong heading.
        QSet<const void*> own;
        int ownCount = -1;
        if (level == 2 && rs.NavLevelCount >= 2) {
            SetStep(QStringLiteral("Gather the headings below the selected heading"));
            const QString path1 = rs.XdfNavLevel[1].trimmed();
            DomNode top = rs.XmlDoc.selectSingleNode(QStringLiteral("//") + path1 + QStringLiteral("[@id = %1]").arg(parentId));
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
            entries << node.text() + WordCount(node);
        }
        NavLists->setEntries(level, entries);
        NavLists->setListIndex(level, 0);
        Form_Resize();
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

void frmMain::LevelDown()
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
        cmdLevelUp->setEnabled(true);
        SetMenuOptions();
    });
}

void frmMain::LevelUp()
{
    GuardedVoid("LevelUp", [&] {
        RunState& rs = Run();
        if (rs.CurrentLevel < 0)
            return;
        if (rs.GlobalSearchMode) {
            rs.CurrentLevel = 0;
            ShowInfo(rs.CurrentLevel, true);
            txtLocation->setText(SetLangTxt(1092) + QStringLiteral(" - ") + SelectedEntry(0));
        } else {
            const int16_t before = rs.CurrentLevel == 9 ? rs.NavLevelCount : rs.CurrentLevel;
            if (rs.CurrentLevel == 9) {
                rs.CurrentLevel = rs.NavLevelCount;
            } else if (rs.CurrentLevel > 1) {
                NavLists->setListIndex(rs.CurrentLevel, -1);
                rs.CurrentLevel = static_cast<int16_t>(rs.CurrentLevel - 1);
            }
            // Away from the deepest list there is no text position to come back to.
            if (before < rs.NavLevelCount)
                rs.LastReadPosition = -1;
            ShowInfo(rs.CurrentLevel, true);
        }
        SetMenuOptions();
    });
}

void frmMain::ShowInfo(int16_t level, bool setFocus)
{
    GuardedVoid("ShowInfo", [&] {
        const RunState& rs = Run();
        SetStep(QStringLiteral("Clear Navigation lists"));
        for (int i = 0; i < NavLists->count(); ++i)
            NavLists->setVisible(i, i == level);
        Viewer->setVisible(false);
        SetNavigationOptions();

        SetStep(QStringLiteral("Set location string"));
        txtLocation->setVisible(true);
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
            txtLocation->setText(location);
            txtLocation->setCursorPosition(0);
            QListView* view = NavListView(level);
            // The reader's screen reader announces the current row: keep it on the selection.
            const int row = NavLists->ListIndex(level);
            if (row >= 0)
                view->scrollTo(NavLists->model(level)->index(row));
            FocusListOnRow(view, row);
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
            txtLocation->setText(location);
            txtLocation->setCursorPosition(0);
            ShowTextView(setFocus);
        }
    });
}

void frmMain::SetNavigationOptions()
{
    GuardedVoid("SetNavigationOptions", [&] {
        const RunState& rs = Run();
        SetStep(QStringLiteral("Disable the navigation controls"));
        bool up = false, next = false, previous = false;
        if (rs.CurrentLevel >= 0) {
            up = rs.CurrentLevel == 9 || rs.CurrentLevel > 1;
            if (rs.CurrentLevel == 9 && rs.GlobalSearchMode) {
                const int row = NavLists->ListIndex(0);
                next = row < NavLists->entries(0).size() - 1;
                previous = row >= 1;
            } else {
                const int deepest = std::max<int>(rs.NavLevelCount, 1);
                const int l = NavLists->ListIndex(1);
                const int lLast = static_cast<int>(NavLists->entries(1).size()) - 1;
                const int d = NavLists->ListIndex(deepest);
                const int dLast = static_cast<int>(NavLists->entries(deepest).size()) - 1;
                next = l < lLast || (l == lLast && d < dLast);
                previous = l > 0 || (l == 0 && d > 0);
            }
        }
        cmdLevelUp->setEnabled(up);
        mnuNavigateLevelUp->setEnabled(up);
        cmdNextArticle->setEnabled(next);
        mnuNavigateNextArticle->setEnabled(next);
        cmdPrevArticle->setEnabled(previous);
        mnuNavigatePreviousArticle->setEnabled(previous);
    });
}

void frmMain::LoadAbstract(int16_t level)
{
    GuardedVoid("LoadAbstract", [&] {
        SetStep(QStringLiteral("Find the abstract"));
        const QString title = NoWordCount(SelectedEntry(level));
        // The title is bound as a value, so quotes in it cannot break the query.
        const DomNode intro = Run().XmlDoc.asNode().selectSingleNode(QStringLiteral("//artikel[titel/head = $title]/intro"),
                                                            {{QStringLiteral("title"), title}});
        if (intro.isNull())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: no abstract"));
        SetStep(QStringLiteral("Show the abstract"));
        // The key that closes the box is released over the list; its press went to
        // the box, so the key handling passes it over.
        Prompt().MsgBox(intro.text(), PromptButtons::OkCancel, PromptIcon::None, QStringLiteral("Abstract"));
    });
}

void frmMain::GoArticle(int direction)
{
    GuardedVoid("GoArticle", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen || rs.CurrentLevel < 0)
            return;
        const int deepest = rs.GlobalSearchMode ? 0 : rs.NavLevelCount;
        auto count = [this](int list) { return static_cast<int>(NavLists->entries(list).size()); };

        if (direction == 1) {
            SetStep(QStringLiteral("first article"));
            const int list = std::min<int>(rs.CurrentLevel, rs.NavLevelCount);
            NavLists->setListIndex(list, 0);
        } else if (direction == 2 || direction == 0) {
            const bool next = direction == 2;
            SetStep(next ? QStringLiteral("next article") : QStringLiteral("previous article"));
            rs.LastReadPosition = 0;
            // The deepest list (or the search results) moves across its parent's
            // boundaries; a higher list moves only within itself.
            if (rs.CurrentLevel >= deepest) {
                const int row = NavLists->ListIndex(deepest);
                const int parent = deepest - 1;
                if (next ? row < count(deepest) - 1 : row >= 1) {
                    NavLists->setListIndex(deepest, next ? row + 1 : row - 1);
                } else if (parent < 1) {
                    // One flat list (search results, or a one-level document): its ends are the document's.
                    PlaySound(next ? QStringLiteral("EndDocument.wav") : QStringLiteral("BeginDocument.wav"));
                    return;
                } else {
                    const int parentRow = NavLists->ListIndex(parent);
                    if (next ? parentRow >= count(parent) - 1 : parentRow <= 0) {
                        PlaySound(next ? QStringLiteral("EndDocument.wav") : QStringLiteral("BeginDocument.wav"));
                        return;
                    }
                    PlaySound(QStringLiteral("Navigate.wav"));
                    NavLists->setListIndex(parent, next ? parentRow + 1 : parentRow - 1);
                    LoadLevelTitles(static_cast<int16_t>(deepest));
                    NavLists->setListIndex(deepest, next ? 0 : count(deepest) - 1);
                }
            } else {
                const int list = rs.CurrentLevel;
                const int row = NavLists->ListIndex(list);
                if (next ? row >= count(list) - 1 : row <= 0) {
                    PlaySound(next ? QStringLiteral("EndDocument.wav") : QStringLiteral("BeginDocument.wav"));
                    return;
                }
                NavLists->setListIndex(list, next ? row + 1 : row - 1);
            }
        } else {
            return;
        }
        if (rs.CurrentLevel == 9)
            LoadText(rs.CurrentLevel, 0, QString());
        ShowInfo(rs.CurrentLevel, true);
    });
}

void frmMain::GoPhrase(int direction)
{
    GuardedVoid("GoPhrase", [&] {
        RunState& rs = Run();
        SetStep(QStringLiteral("Find the phrase"));
        const QString text = Viewer->Text();
        int caret = Viewer->SelStart();
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
        Viewer->setSelStart(target);
        rs.LastReadPosition = Viewer->SelStart();
        AnnounceInText(TextViewerView, CaretPhrase(TextViewerView));
    });
}

void frmMain::GoParaGraph(int direction)
{
    GuardedVoid("GoParaGraph", [&] {
        // Paragraphs are the view's blocks; the moves are made on its own cursor,
        // which needs the laid-out document, so only a shown text moves.
        if (!TextViewerView->isViewShown())
            return;
        SetStep(QStringLiteral("Find the paragraph"));
        QTextCursor cursor = TextViewerView->textCursor();
        cursor.clearSelection();
        const QTextBlock current = cursor.block();
        auto startOf = [&cursor](const QTextBlock& block) {
            cursor.setPosition(block.position());
        };
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
        TextViewerView->setTextCursor(cursor);
        TextViewerView->ensureCursorVisible();
        Run().LastReadPosition = Viewer->SelStart();
        AnnounceInText(TextViewerView, CaretParagraph(TextViewerView));
    });
}

void frmMain::GoMainIndex()
{
    GuardedVoid("GoMainIndex", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen)
            return;
        rs.GlobalSearchMode = false;
        rs.CurrentLevel = 1;
        ShowInfo(1, true);
        SetMenuOptions();
    });
}

void frmMain::NavList_DblClick() { LevelDown(); }
void frmMain::cmdLevelUp_Click() { LevelUp(); }
void frmMain::mnuNavigateLevelUp_Click() { LevelUp(); }
void frmMain::cmdNextArticle_Click() { GoArticle(2); }
void frmMain::mnuNavigateNextArticle_Click() { GoArticle(2); }
void frmMain::cmdPrevArticle_Click() { GoArticle(0); }
void frmMain::mnuNavigatePreviousArticle_Click() { GoArticle(0); }
void frmMain::mnuNavigateToc_Click() { GoMainIndex(); }

void frmMain::connectNavigation()
{
    connect(cmdLevelUp, &QPushButton::clicked, this, &frmMain::cmdLevelUp_Click);
    connect(cmdNextArticle, &QPushButton::clicked, this, &frmMain::cmdNextArticle_Click);
    connect(cmdPrevArticle, &QPushButton::clicked, this, &frmMain::cmdPrevArticle_Click);
    connect(mnuNavigateLevelUp, &QAction::triggered, this, &frmMain::mnuNavigateLevelUp_Click);
    connect(mnuNavigateNextArticle, &QAction::triggered, this, &frmMain::mnuNavigateNextArticle_Click);
    connect(mnuNavigatePreviousArticle, &QAction::triggered, this, &frmMain::mnuNavigatePreviousArticle_Click);
    connect(mnuNavigateToc, &QAction::triggered, this, &frmMain::mnuNavigateToc_Click);
    TextViewerView->installEventFilter(this);
    m_textViewport = TextViewerView->viewport();
    m_textViewport->installEventFilter(this);
    for (QPushButton* b : {cmdLevelUp, cmdNextArticle, cmdPrevArticle})
        b->installEventFilter(this);
    SetNavigationOptions();
}
