// Navigation > Go to page, Next page and Previous page.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/ui/ScreenReaderFocus.h"
#include "navigation/Navigator.h"
#include "navigation/ui/frmGotoPage.h"
#include "render/ui/TextViewerWidget.h"

#include <QAction>
#include <QApplication>

void frmMain::connectPages()
{
    GotoPageWindow = new frmGotoPage(this);
    Navigation->AskPageNumber = [this]() -> std::optional<QString> {
        m_pageAsked = true;
        return GotoPageWindow->AskPage();
    };
    for (int i = 0; i < 3; ++i)
        connect(mnuNavigatePage[size_t(i)], &QAction::triggered, this, [this, i] { mnuNavigatePage_Click(i); });
}

void frmMain::mnuNavigatePage_Click(int index)
{
    GuardedVoid("mnuNavigatePage_Click", [&] {
        QWidget* reading = QApplication::focusWidget();
        const int movesBefore = Navigation->PageMoves;
        m_pageAsked = false;
        int16_t page = static_cast<int16_t>(index);
        Navigation->GoPage(page);
        if (Navigation->PageMoves != movesBefore) {
            // The text took the focus while the dialog still had the keyboard: tell it once the window is back.
            if (m_pageAsked)
                RefocusAfterDialog(TextViewerView);
        } else if (reading) {
            // A message or Cancel instead of a page: the reader goes on where the command was given.
            RefocusAfterDialog(reading);
        }
    });
}
