// Edit > Copy, Select All and Paste: the selected passage goes to the clipboard
// through the hidden copy window.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "app/ui/ScreenReaderFocus.h"
#include "clipboard/CopyPaste.h"
#include "navigation/Navigator.h"
#include "navigation/WordCount.h"
#include "package/modXML.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/modLanguage.h"

#include <QAction>
#include <QApplication>

void frmMain::ExportText()
{
    GuardedVoid("ExportText", [&] {
        SetStep(QStringLiteral("Check the selection"));
        if (Viewer->SelLength() == 0) {
            QWidget* reading = QApplication::focusWidget();
            Prompt().MsgBox(SetLangTxt(1116), PromptButtons::Ok, PromptIcon::Information, SetLangTxt(1750));
            RefocusAfterDialog(reading);
            return;
        }
        const RunState& rs = Run();
        SetStep(QStringLiteral("Get the source and title"));
        const QString source = GetXMLTagValue(rs.XmlDoc.asNode(), rs.XdfDocTitleTag);
        const QString title = NoWordCount(Navigation->SelectedEntry(2));
        SetStep(QStringLiteral("Get the selected text"));
        const QString passage = PassageFromSelection(Viewer->Text().mid(Viewer->SelStart(), Viewer->SelLength()));
        AddCopyPasteItem(QString(), source, title, passage, QString());
    });
}

void frmMain::mnuEditCopy_Click()
{
    ExportText();
}

void frmMain::mnuEditSelectAll_Click()
{
    GuardedVoid("mnuEditSelectAll_Click", [&] {
        Viewer->setSelStart(0);
        Viewer->setSelLength(static_cast<int>(Viewer->Text().size()));
        EnableCommand(mnuEditCopy, true);
        if (TextViewerView->isVisible() && !TextViewerView->hasFocus())
            TextViewerView->setFocus(Qt::OtherFocusReason);
    });
}

void frmMain::mnuEditPaste_Click()
{
    // Nothing is ever pasted into a document being read.
}
