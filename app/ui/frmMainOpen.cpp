// Opening a document: from a path to the open document of the run state.
#include "app/ui/frmMain.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "app/ui/ScreenReaderFocus.h"
#include "library/OpenBookList.h"
#include "library/frmLibrary.h"
#include "library/ui/frmBookShelfs.h"
#include "library/ui/frmOpenBook.h"
#include "marks/LastReadSteps.h"
#include "navigation/Navigator.h"
#include "package/DocumentOpening.h"
#include "package/ui/frmEncryption.h"
#include "search/SearchEntries.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "settings/ui/frmOptions.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QTabWidget>

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
        if (!m_quietOpen)
            Tell(DocumentOpeningMessages(outcome, path));
        if (!outcome.loadStepsRan())
            return;
        if (outcome.opened())
            CatalogueOpenedDocument(path, addOnly, outcome.docInfo);
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
    if (outcome.opened())
        CatalogueOpenedDocument(path, addOnly, outcome.docInfo);
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

void frmMain::CatalogueOpenedDocument(QString& path, bool addOnly, const std::array<QString, 8>& docInfo)
{
    GuardedVoid("LoadXMLBook", [&] {
        frmLibrary& library = Library();
        // Without a readable catalogue the program goes on without one.
        if (!library.IsLoaded())
            return;
        if (Run().ArchiveOnOpen) {
            SetStep(QStringLiteral("Archive document"));
            library.ArchiveDocument(path, docInfo[2]);
        }
        SetStep(QStringLiteral("Add document to library"));
        QString shelf = docInfo[2];
        library.AddLibraryItem(docInfo[0], docInfo[1], path, shelf, addOnly);
    });
}

void frmMain::RunNewInstance(const QString& path)
{
    SetStep(QStringLiteral("Start a new instance"));
    if (StartNewInstance)
        StartNewInstance(path);
    else
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {path});
}

void frmMain::ShowLibrary(bool runNewInstance)
{
    GuardedVoid("ShowLibrary", [&] {
        SetStep(QStringLiteral("Choose a document"));
        QWidget* reading = QApplication::focusWidget();
        openBookWindow()->exec();
        QString path = OpenBookWindow->txtOpenFile->text();
        if (path.isEmpty() || runNewInstance) {
            RefocusAfterDialog(reading);
            if (!path.isEmpty())
                RunNewInstance(path);
            return;
        }
        bool addOnly = false;
        OpenFile(path, addOnly);
        if (!Run().DocumentOpen)
            RefocusAfterDialog(reading);
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

// The library's windows are built when first shown; the library itself is wired at once.
frmBookShelfs* frmMain::bookShelfsWindow()
{
    if (!BookShelfsWindow)
        BookShelfsWindow = new frmBookShelfs(this);
    return BookShelfsWindow;
}

frmOpenBook* frmMain::openBookWindow()
{
    if (!OpenBookWindow) {
        OpenBookWindow = new frmOpenBook(this);
        OpenBookWindow->BookShelfChooser = bookShelfsWindow();
        OpenBookWindow->UpdateMRU = [this] { UpdateMRU(); };
        OpenBookWindow->FocusList = [](QListView* view, int row) { FocusListOnRow(view, row); };
        OpenBookWindow->ShowLibraryOptions = [this] {
            optionsWindow()->tabOptions->setCurrentIndex(1);
            optionsWindow()->exec();
        };
    }
    return OpenBookWindow;
}

void frmMain::connectLibrary()
{
    frmLibrary& library = Library();
    library.ChooseBookShelf = [this] { return bookShelfsWindow()->Choose(); };
    library.OpenAddOnly = [this](const QString& file) {
        QString path = file;
        bool addOnly = true;
        m_quietOpen = true;
        const auto facts = OpenFile(path, addOnly);
        m_quietOpen = false;
        return facts;
    };
    connect(&library, &frmLibrary::catalogueChanged, this, &frmMain::UpdateMRU);
}

void frmMain::UpdateMRU()
{
    GuardedVoid("UpdateMRU", [&] {
        SetStep(QStringLiteral("Remove All menu entries"));
        m_recent.clear();
        for (int i = 1; i < 5; ++i)
            mnuFileMRU[size_t(i)]->setVisible(false);
        SetStep(QStringLiteral("Build to library"));
        frmLibrary& library = Library();
        library.BuildLibrary(SortLastRead, true, true);
        const std::vector<RecentDocument> recent =
            RecentDocuments(library.RecentLibraryTable, library.RecentLibraryRows);
        for (size_t i = 0; i < recent.size(); ++i) {
            QAction* item = mnuFileMRU[i + 1];
            item->setText(recent[i].caption);
            item->setEnabled(true);
            item->setVisible(true);
            m_recent.push_back({recent[i].title, recent[i].location, recent[i].id});
        }
        mnuFileMRU[0]->setVisible(!recent.empty());
    });
}

void frmMain::mnuFileMRU_Click(int index)
{
    GuardedVoid("mnuFileMRU_Click", [&] {
        if (index < 1 || index > int(m_recent.size()))
            return;
        const RecentItem item = m_recent[size_t(index - 1)];
        SetStep(QStringLiteral("Ask to close open document"));
        if (Run().DocumentOpen) {
            const PromptAnswer answer =
                Prompt().MsgBox(SetLangTxt(1103), PromptButtons::YesNo, PromptIcon::Question, SetLangTxt(1102));
            if (answer != PromptAnswer::Yes) {
                SetStep(QStringLiteral("Execute new instance with document"));
                RunNewInstance(item.location);
                UpdateMRU();
                return;
            }
            mnuFileClose_Click();
        }
        SetStep(QStringLiteral("Go open file"));
        // Only a file that is gone makes the entry stale: a package whose
        // passphrase was not given, or that failed to read, stays listed.
        if (!QFileInfo::exists(item.location) && !QFileInfo(item.location).isSymLink()) {
            SetStep(QStringLiteral("Doc no longer exists -> delete it"));
            Prompt().MsgBox(SetLangTxt(1094, QLatin1Char('\'') + item.title + QStringLiteral("'.")) +
                                QStringLiteral("\r\n") + SetLangTxt(1108),
                            PromptButtons::Ok, PromptIcon::Information);
            Library().DeleteLibraryItem(item.id);
        } else {
            QString path = item.location;
            bool addOnly = false;
            OpenFile(path, addOnly);
        }
        SetStep(QStringLiteral("Update the MRU"));
        UpdateMRU();
    });
}
