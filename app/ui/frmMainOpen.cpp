// Opening a document: from a path to the open document of the run state.
#include "app/ui/frmMain.h"

#include "app/core/AppPaths.h"
#include "app/core/BackgroundLoad.h"
#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "app/core/WorkingFolder.h"
#include "package/modUnzip.h"
#include "package/modXML.h"
#include "package/ui/frmEncryption.h"
#include "package/modXdf.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>

namespace {

bool CopyIntoWorkingFolder(const QString& path)
{
    const QString target = AppPaths::TempDir() + QLatin1Char('/') + QFileInfo(path).fileName();
    QFile::remove(target);
    return QFile::copy(path, target);
}

} // namespace

std::optional<std::array<QString, 8>> frmMain::OpenFile(QString& path, bool& addOnly)
{
    std::optional<std::array<QString, 8>> result;
    GuardedVoid("OpenFile", [&] {
        SetStep(QStringLiteral("Check if file exists"));
        if (path.isEmpty() || !QFileInfo(path).isFile())
            return;

        SetStep(QStringLiteral("Clear temp-files"));
        EmptyWorkingFolder();

        SetStep(QStringLiteral("Set Unzip variables"));
        RunState& rs = Run();
        rs.UnzipZipFile = path;
        rs.UnzipExtractDir = AppPaths::TempDir() + QLatin1Char('/');

        SetStep(QStringLiteral("Handle the correct file-extension"));
        switch (PackageKindOf(path)) {
        case PackageKind::Xml:
            if (QFileInfo(path).size() > MaxDocumentBytes) {
                Prompt().MsgBox(SetLangTxt(1113, QFileInfo(path).fileName()), PromptButtons::Ok,
                                PromptIcon::Exclamation);
                return;
            }
            if (!CopyIntoWorkingFolder(path))
                RaiseError(ErrNo::PathFileAccess, QStringLiteral("Could not copy the document to the working folder"));
            break;
        case PackageKind::Rtf:
            Prompt().MsgBox(SetLangTxt(1109), PromptButtons::Ok);
            break;
        case PackageKind::Zip:
            SetStep(QStringLiteral("Unzip file"));
            Unzip(); // tells the reader what went wrong; a package without XML is reported by the load
            break;
        case PackageKind::Encrypted: {
            SetStep(QStringLiteral("Descrypt file"));
            frmEncryption decryption(this);
            if (!decryption.DecryptFile(path, addOnly))
                return; // the reader was told why, and nothing of the package is in the working folder
            SetStep(QStringLiteral("Unzip file"));
            rs.UnzipZipFile = rs.UnzipExtractDir + QLatin1Char('_');
            Unzip();
            QFile::remove(rs.UnzipZipFile); // the decrypted archive is not needed once unpacked
            break;
        }
        case PackageKind::Unsupported:
            Prompt().MsgBox(SetLangTxt(1110), PromptButtons::Ok);
            return;
        }

        SetStep(QStringLiteral("go load the XML document"));
        result = LoadXMLBook(path, addOnly);

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
    RunState& rs = Run();
    GuardedVoid("LoadXMLBook", [&] {
        rs.XmlFileName.clear();
        rs.StyleSheets.clear();
        rs.StyleSheetCount = 0;

        SetStep(QStringLiteral("Get files from temp folder"));
        const WorkingFolderContents contents = ListWorkingFolder();
        const QString temp = AppPaths::TempDir() + QLatin1Char('/');
        for (const QString& name : contents.styleSheets)
            rs.StyleSheets.push_back({name.left(name.size() - 4), ReadWholeFile(temp + name)});
        rs.StyleSheetCount = int16_t(qMin<qsizetype>(rs.StyleSheets.size(), 32767));
        for (const QString& name : contents.descriptors)
            LoadXdf(temp + name);
        rs.XmlFileName = contents.xmlFileName;

        if (rs.XmlFileName.isEmpty()) {
            Prompt().MsgBox(SetLangTxt(1093), PromptButtons::Ok, PromptIcon::Exclamation);
            return;
        }
        if (contents.descriptors.isEmpty())
            LoadXdf(AppPaths::DefaultDir() + QStringLiteral("/news.xdf"));

        SetStep(QStringLiteral("Load the XML document"));
        if (!LoadXmlKeepingWindowAlive(rs.XmlDoc, temp + rs.XmlFileName)) {
            const DomParseError& e = rs.XmlDoc.parseError();
            const QString details = QString::number(e.errorCode) + QStringLiteral(" - ") + e.reason +
                                    QStringLiteral("\r\nLine: ") + QString::number(e.line) + QLatin1Char(':') +
                                    QString::number(e.linepos);
            Prompt().MsgBox(SetLangTxt(1094, rs.XmlFileName) + QStringLiteral("\r\n") + details, PromptButtons::Ok,
                            PromptIcon::Critical);
            RaiseError(ErrNo::XmlNotWellFormed, details, QStringLiteral("XML document load error"));
        }

        SetStep(QStringLiteral("Clean up the unzipped files"));
        EmptyWorkingFolder();

        SetStep(QStringLiteral("Get document title"));
        const DomNode doc = rs.XmlDoc.asNode();
        rs.DocInfo[1] = GetXMLTagValue(doc, rs.XdfDocTitleTag);
        if (rs.DocInfo[1].isEmpty())
            rs.DocInfo[1] = GetXMLTagValue(doc, QStringLiteral("TijdschriftTitel"));
        if (rs.DocInfo[1].isEmpty())
            RaiseError(ErrNo::NoTitle, QStringLiteral("Doc_Title is missing"));

        SetStep(QStringLiteral("Get document id"));
        rs.DocInfo[0] = GetXMLTagValue(doc, rs.XdfDocIdTag);
        if (rs.DocInfo[0].isEmpty())
            rs.DocInfo[0] = QFileInfo(path).fileName();

        SetStep(QStringLiteral("Get document type"));
        rs.DocInfo[2] = GetXMLTagValue(doc, rs.XdfDocTypeTag);
        rs.DocInfo[3] = GetXMLTagValue(doc, rs.XdfDocSubTitleTag);
        rs.DocInfo[4] = GetXMLTagValue(doc, rs.XdfDocEditionTag);
        rs.DocInfo[5] = GetXMLTagValue(doc, rs.XdfDocAuthorTag);
        rs.DocInfo[6] = GetXMLTagValue(doc, rs.XdfDocPublisherTag);
        rs.DocInfo[7] = GetXMLTagValue(doc, rs.XdfDocPublicationDateTag);

        if (addOnly)
            rs.ArchiveOnOpen = true;
        // Archiving into the library and cataloguing happen here once the library exists.
        if (addOnly)
            return;

        txtTitle->setText(rs.DocInfo[1]);
        txtTitle->setCursorPosition(0);
        SetFormTitle(rs.DocInfo[1]);
        rs.DocumentId = rs.DocInfo[0];

        SetStep(QStringLiteral("Add id's to navigation nodes"));
        AddNodeIds();

        // The usage file, the style sheet and the first navigation level are
        // added here as those parts of the program arrive.
        LoadAndSetStyleSheets();
        SetStep(QStringLiteral("Buildt top-navigation level and show it"));
        rs.CurrentLevel = 1;
        rs.DocumentOpen = true;
        LoadLevelTitles(1);
        ShowInfo(rs.CurrentLevel, true);

        SetMenuOptions();
        SetNavigationOptions();
    });
    return rs.DocInfo;
}

void frmMain::ShowLibrary(bool runNewInstance)
{
    GuardedVoid("ShowLibrary", [&] {
        // Until the library's open-book dialog exists, the reader picks a file.
        SetStep(QStringLiteral("Choose a document"));
        QString path = Prompt().GetOpenFileName(SetLangTxt(1102), AppPaths::SamplesDir(),
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
