// Opening a document: from a path to the open document of the run state.
#include "app/ui/frmMain.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "marks/LastReadSteps.h"
#include "navigation/Navigator.h"
#include "package/DocumentOpening.h"
#include "package/ui/frmEncryption.h"
#include "search/SearchEntries.h"
#include "settings/modLanguage.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>

namespace {

void Tell(const std::vector<OpenMessage>& messages)
{
    for (const OpenMessage& m : messages) {
        const PromptIcon icon = m.icon == OpenMessage::Icon::Critical      ? PromptIcon::Critical
                                : m.icon == OpenMessage::Icon::Exclamation ? PromptIcon::Exclamation
                                                                           : PromptIcon::None;
        Prompt().MsgBox(m.text, PromptButtons::Ok, icon);
    }
}

} // namespace

std::optional<std::array<QString, 8>> frmMain::OpenFile(QString& path, bool& addOnly)
{
    std::optional<std::array<QString, 8>> result;
    GuardedVoid("OpenFile", [&] {
        const OpenOutcome outcome = OpenDocumentFile(path, addOnly, [this](const QString& file, bool onlyAdd) {
            frmEncryption decryption(this);
            return decryption.DecryptFile(file, onlyAdd);
        });
        if (outcome.result == OpenResult::NoFile)
            return;
        Tell(DocumentOpeningMessages(outcome, path));
        if (!outcome.loadStepsRan())
            return;
        if (outcome.opened() && !addOnly)
            ShowOpenedDocument();
        result = outcome.docInfo;

        if (!addOnly) {
            SetStep(QStringLiteral("Set the correct menu-options"));
            SetMenuOptions();
            SetStep(QStringLiteral("Refresh screen"));
            Refresh_Markup(true);
        }
    });
    return result;
}

std::array<QString, 8> frmMain::LoadXMLBook(QString& path, bool& addOnly)
{
    const OpenOutcome outcome = LoadDocumentFromWorkingFolder(path, addOnly);
    Tell(DocumentOpeningMessages(outcome, path));
    if (outcome.opened() && !addOnly)
        ShowOpenedDocument();
    return outcome.docInfo;
}

void frmMain::ShowOpenedDocument()
{
    GuardedVoid("LoadXMLBook", [&] {
        RunState& rs = Run();
        txtTitle->setText(rs.DocInfo[1]);
        txtTitle->setCursorPosition(0);
        SetFormTitle(rs.DocInfo[1]);

        // Without its usage file the document is not opened further.
        if (!OpenDocumentUsageFile())
            return;
        LoadAndSetStyleSheets();
        // What was prepared for searching belongs to the document read before.
        ForgetSearchableEntries();
        Navigation->ShowFirstLevel();
        RestoreLastReadPosition(*Navigation, *NavLists, *Viewer,
                                [](const QString& question) { return Prompt().LastReadPosition(question); });

        SetMenuOptions();
        SetNavigationOptions();
    });
}

void frmMain::ShowLibrary(bool runNewInstance)
{
    GuardedVoid("ShowLibrary", [&] {
        // Until the library's open-book dialog exists, the reader picks a file.
        SetStep(QStringLiteral("Choose a document"));
        QString path = Prompt().GetOpenFileName(
            SetLangTxt(1102), AppPaths::SamplesDir(),
            {SetLangTxt(1114) + QStringLiteral(" (*.xml *.XML *.zip *.ZIP *.cxb *.CXB *.exb *.EXB *.exd *.EXD)"),
             SetLangTxt(1115) + QStringLiteral(" (*)")});
        if (path.isEmpty())
            return;
        if (runNewInstance) {
            SetStep(QStringLiteral("Start a new instance"));
            if (StartNewInstance)
                StartNewInstance(path);
            else
                QProcess::startDetached(QCoreApplication::applicationFilePath(), {path});
            return;
        }
        bool addOnly = false;
        OpenFile(path, addOnly);
    });
}

void frmMain::mnuFileOpen_Click()
{
    GuardedVoid("mnuFileOpen_Click", [&] {
        if (Run().DocumentOpen) {
            const PromptAnswer answer =
                Prompt().MsgBox(SetLangTxt(1103), PromptButtons::YesNo, PromptIcon::Question, SetLangTxt(1102));
            if (answer == PromptAnswer::Yes) {
                mnuFileClose_Click();
                ShowLibrary(false);
            } else {
                ShowLibrary(true);
            }
            return;
        }
        ShowLibrary(false);
    });
}
