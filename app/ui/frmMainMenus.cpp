// Keeping the menus in line with the run state, and closing the document.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "marks/LastReadSteps.h"
#include "marks/MarkSteps.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "search/SearchEntries.h"
#include "settings/modLanguage.h"
#include "speech/ReadAloud.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

void frmMain::EnableCommand(QAction* command, bool enabled)
{
    command->setEnabled(enabled && !m_unbuiltCommands.contains(command));
}

void frmMain::SetMenuOptions()
{
    GuardedVoid("SetMenuOptions", [&] {
        const RunState& rs = Run();
        const bool open = rs.DocumentOpen;
        for (QMenu* menu : {mnuEdit, mnuNavigate, mnuView, mnuFileExport, mnuNavigateBookmarks, mnuAnnotations})
            menu->menuAction()->setEnabled(open);
        mnuFileClose->setEnabled(open);

        const bool searching = rs.GlobalSearchMode || rs.PersonalInterestMode;
        // A search of the shown article steps through its matches and can be left, but has no results list.
        const bool stepping = searching || rs.LocalSearchMode;
        for (QAction* item : {mnuEditFindNext, mnuEditFindPrevious, mnuNavigateEscapeSearchMode})
            EnableCommand(item, stepping);
        EnableCommand(mnuNavigateSearchResults, searching);

        if (open) {
            const int annotations = AnnotationCount();
            const int bookmarks = UserBookmarkCount();
            for (QAction* item : mnuNavigateAnnotation)
                EnableCommand(item, annotations >= 1);
            for (QAction* item : mnuNavigateBookmark)
                EnableCommand(item, bookmarks >= 1);
        }

        const bool inText = rs.CurrentLevel == 9;
        EnableCommand(mnuEditSelectAll, inText);
        EnableCommand(mnuEditAddAnnotation, inText);
        if (inText)
            EnableCommand(mnuEditAddBookmark, true);

        for (QAction* item : mnuNavigatePage)
            EnableCommand(item, rs.HasPageNumbers);
        const bool reading = Reader && Reader->Active();
        EnableCommand(mnuExtraReadAloud[0], open && (inText || reading));
        EnableCommand(mnuExtraReadAloud[1], reading);
        for (QAction* item : {mnuExtraReadAloud[2], mnuExtraReadAloud[3]})
            EnableCommand(item, open);
        for (QAction* item : m_unbuiltCommands)
            item->setEnabled(false);
    });
}

void frmMain::mnuFileClose_Click()
{
    GuardedVoid("mnuFileClose_Click", [&] {
        RunState& rs = Run();
        if (rs.DocumentOpen) {
            // The caret goes back to the start of the phrase being read, and that is kept.
            SetStep(QStringLiteral("Stop reading aloud"));
            if (Reader)
                Reader->Stop();
            SetStep(QStringLiteral("Save the last read position"));
            SaveLastReadPosition(*NavLists, *Viewer);
        }

        SetStep(QStringLiteral("Clear the text view"));
        Viewer->setText(QString());
        Viewer->setVisible(false);
        TextViewerView->hide();

        SetStep(QStringLiteral("Clear Navigation lists"));
        for (int i = 0; i <= rs.NavLevelCount && i < NavLists->count(); ++i) {
            NavLists->clear(i);
            NavLists->setVisible(i, false);
        }

        CloseDocumentUsageFile();
        // The next document starts without pages of its own until it is read.
        rs.HasPageNumbers = false;
        Navigation->ResetPages();
        txtLocation->hide();
        rs.CurrentLevel = -1;
        rs.NavLevelCount = 0;
        rs.DocumentOpen = false;

        // The lists are empty and no document is left to show: only the search state goes.
        Navigation->EndSearch();
        ForgetSearchableEntries();
        SetMenuOptions();
        searchPlaceChanged(false);
        SetNavigationOptions();

        SetFormTitle(QString());
        txtTitle->setText(SetLangTxt(1090));
        txtTitle->setCursorPosition(0);
        txtTitle->setFocus(Qt::OtherFocusReason);
    });
}
