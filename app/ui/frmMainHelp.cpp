// Help > Index (the manual) and Help > About.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/HelpFile.h"
#include "app/core/Prompter.h"
#include "app/ui/ScreenReaderFocus.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmHelp.h"
#include "settings/modLanguage.h"

#include <QAction>
#include <QApplication>

void frmMain::connectHelp()
{
    // F1 is the menu's own key; the reading keys never use it.
    mnuHelpIndex->setShortcut(QKeySequence(Qt::Key_F1));
    mnuHelpIndex->setShortcutContext(Qt::WindowShortcut);
    connect(mnuHelpIndex, &QAction::triggered, this, &frmMain::mnuHelpIndex_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

void frmMain::mnuHelpIndex_Click()
{
    GuardedVoid("mnuHelpIndex_Click", [&] {
        QWidget* reading = QApplication::focusWidget();
        const QString folder = HelpFiles.isEmpty() ? HelpFolder() : HelpFiles;
        SetStep(QStringLiteral("Find the manual"));
        const QString path = HelpFilePath(folder, CurrentLanguage());
        frmHelp help(this);
        if (path.isEmpty() || !help.LoadManual(path)) {
            const QString expected =
                path.isEmpty() ? folder + QLatin1Char('/') + CurrentLanguage() + QStringLiteral(".html") : path;
            Prompt().MsgBox(SetLangTxt(125, expected), PromptButtons::Ok, PromptIcon::Information, SetLangTxt(124));
        } else {
            SetStep(QStringLiteral("Show the manual"));
            help.exec();
        }
        RefocusAfterDialog(reading);
    });
}

void frmMain::mnuHelpAbout_Click()
{
    GuardedVoid("mnuHelpAbout_Click", [&] {
        QWidget* reading = QApplication::focusWidget();
        frmAbout about(this);
        about.exec();
        RefocusAfterDialog(reading);
    });
}
