// Searching the document from the main window: the menu commands and what the
// search asks of the window. The search itself is TextSearch's.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "app/ui/ScreenReaderFocus.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "render/ui/TextViewerWidget.h"
#include "search/SearchChoices.h"
#include "search/TextSearch.h"
#include "search/ui/frmSearch.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QPushButton>

void frmMain::connectSearch()
{
    Search = std::make_unique<TextSearch>(*Navigation, *NavLists, *Viewer, static_cast<SearchHost&>(*this));
    // No reading key uses these; they work wherever the focus is in the window.
    mnuEditFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuEditFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    mnuEditFindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    for (QAction* built : {mnuEditFind, mnuEditPersonalInterests}) {
        m_unbuiltCommands.remove(built);
        built->setEnabled(true);
    }
    connect(mnuEditFind, &QAction::triggered, this, &frmMain::mnuEditFind_Click);
    connect(mnuEditFindNext, &QAction::triggered, this, &frmMain::mnuEditFindNext_Click);
    connect(mnuEditFindPrevious, &QAction::triggered, this, &frmMain::mnuEditFindPrevious_Click);
    connect(mnuNavigateSearchResults, &QAction::triggered, this, &frmMain::mnuNavigateSearchResults_Click);
    connect(mnuNavigateEscapeSearchMode, &QAction::triggered, this, &frmMain::mnuNavigateEscapeSearchMode_Click);
    connect(mnuEditPersonalInterests, &QAction::triggered, this, &frmMain::mnuEditPersonalInterests_Click);

    // Beside the navigation buttons, where the eye already is for the location line.
    lblSearchPlace = new QLabel(picTop);
    lblSearchPlace->setObjectName(QStringLiteral("lblSearchPlace"));
}

void frmMain::mnuEditFind_Click()
{
    Search->mnuEditFind_Click();
}

void frmMain::mnuEditFindNext_Click()
{
    Search->mnuEditFindNext_Click();
}

void frmMain::mnuEditFindPrevious_Click()
{
    Search->mnuEditFindPrevious_Click();
}

void frmMain::mnuNavigateSearchResults_Click()
{
    Search->mnuNavigateSearchResults_Click();
}

void frmMain::mnuNavigateEscapeSearchMode_Click()
{
    Search->mnuNavigateEscapeSearchMode_Click();
}

void frmMain::mnuEditPersonalInterests_Click()
{
    Search->mnuEditPersonalInterests_Click();
}

void frmMain::EscapeSearchmode()
{
    Search->EscapeSearchmode();
}

void frmMain::showSearchWindow()
{
    GuardedVoid("showSearchWindow", [&] {
        QWidget* reading = QApplication::focusWidget();
        if (!SearchWindow)
            SearchWindow = new frmSearch(this);
        SearchWindow->exec();
        // A search moves the focus on by itself; without a phrase the reader is back where they were.
        if (Choices().SearchString.isEmpty())
            RefocusAfterDialog(reading);
    });
}

void frmMain::setSearchResultsEnabled(bool enabled)
{
    EnableCommand(mnuNavigateSearchResults, enabled);
}

void frmMain::searchMenusChanged()
{
    SetMenuOptions();
    searchPlaceChanged(false);
}

void frmMain::searchPlaceChanged(bool caretMoved)
{
    GuardedVoid("searchPlaceChanged", [&] {
        const QString match = Search->MatchPlace();
        const QString result = Search->ResultPlace();
        QStringList parts;
        if (!match.isEmpty())
            parts << match;
        if (!result.isEmpty())
            parts << result;
        lblSearchPlace->setText(parts.join(QStringLiteral(", ")));
        const QRect buttons = cmdNextArticle->geometry().united(cmdPrevArticle->geometry());
        lblSearchPlace->adjustSize();
        lblSearchPlace->move(buttons.right() + 24, buttons.center().y() - lblSearchPlace->height() / 2);
        // A screen reader finds them in the descriptions of the text and the results list.
        TextViewerView->setAccessibleDescription(match);
        NavListView(0)->setAccessibleDescription(result);
        if (caretMoved && !match.isEmpty() && TextViewerView->hasFocus())
            AnnounceInText(TextViewerView, match + QStringLiteral(": ") + CaretLine(TextViewerView));
    });
}
