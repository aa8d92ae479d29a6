// Navigation > Go to page, Next page and Previous page.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/ui/ScreenReaderFocus.h"
#include "navigation/Navigator.h"
#include "navigation/ui/frmGotoPage.h"

#include <QAction>
#include <QApplication>

void frmMain::connectPages()
{
    GotoPageWindow = new frmGotoPage(this);
    Navigation->AskPageNumber = [this]() -> std::optional<QString> {
        QWidget* reading = QApplication::focusWidget();
        const std::optional<QString> label = GotoPageWindow->AskPage();
        // A page that is found takes the focus to the text; otherwise it goes back.
        RefocusAfterDialog(reading);
        return label;
    };
    for (int i = 0; i < 3; ++i)
        connect(mnuNavigatePage[size_t(i)], &QAction::triggered, this, [this, i] { mnuNavigatePage_Click(i); });
}

void frmMain::mnuNavigatePage_Click(int index)
{
    GuardedVoid("mnuNavigatePage_Click", [&] {
        QWidget* reading = QApplication::focusWidget();
        const int movesBefore = Navigation->PageMoves;
        int16_t page = static_cast<int16_t>(index);
        Navigation->GoPage(page);
        // A message instead of a page: the reader goes on where the command was given.
        if (Navigation->PageMoves == movesBefore && reading)
            RefocusAfterDialog(reading);
    });
}
