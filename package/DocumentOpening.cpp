#include "package/DocumentOpening.h"

#include "app/core/AppPaths.h"
#include "app/core/BackgroundLoad.h"
#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "app/core/WorkingFolder.h"
#include "package/NavIndex.h"
#include "package/modUnzip.h"
#include "package/modXML.h"
#include "package/modXdf.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"

#include <QFile>
#include <QFileInfo>

namespace {

qint64 g_sizeLimit = MaxDocumentBytes;

// A package refused whole, or one that left nothing behind: the reader was
// told why, and looking for its XML would only add a misleading message.
bool NothingUnpacked(const UnzipResult& r)
{
    switch (r.code) {
    case UnzipCode::ArchiveDamaged:
    case UnzipCode::NotFound:
    case UnzipCode::DiskFull:
    case UnzipCode::WriteFailed:
    case UnzipCode::UnsafeMember:
    case UnzipCode::TooLarge:
        return true;
    default:
        return false;
    }
}

bool CopyIntoWorkingFolder(const QString& path)
{
    const QString target = AppPaths::TempDir() + QLatin1Char('/') + QFileInfo(path).fileName();
    QFile::remove(target);
    // A link serves as well as a copy, which would cost a tenth of the open for
    // a large document; where the working folder takes no links, a copy.
    return QFile::link(QFileInfo(path).absoluteFilePath(), target) || QFile::copy(path, target);
}

QString ParseReport(const DomParseError& e)
{
    return QString::number(e.errorCode) + QStringLiteral(" - ") + e.reason + QStringLiteral("\r\nLine: ") +
           QString::number(e.line) + QLatin1Char(':') + QString::number(e.linepos);
}

} // namespace

qint64 DocumentSizeLimit()
{
    return g_sizeLimit;
}

void SetDocumentSizeLimit(qint64 bytes)
{
    g_sizeLimit = bytes;
}

bool OpenOutcome::loadStepsRan() const
{
    switch (result) {
    case OpenResult::NoFile:
    case OpenResult::Unsupported:
    case OpenResult::TooLarge:
    case OpenResult::CopyFailed:
    case OpenResult::PackageFailed:
        return false;
    default:
        return true;
    }
}

void ResetDocumentState()
{
    RunState& rs = Run();
    rs.DocInfo = {};
    rs.XmlFileName.clear();
    rs.StyleSheets.clear();
    rs.StyleSheetCount = 0;
    for (QString* tag :
         {&rs.XdfDocIdTag, &rs.XdfDocTitleTag, &rs.XdfDocTypeTag, &rs.XdfDocSubTitleTag, &rs.XdfDocEditionTag,
          &rs.XdfDocAuthorTag, &rs.XdfDocPublisherTag, &rs.XdfDocPublicationDateTag, &rs.XdfDefaultCss})
        tag->clear();
    rs.XdfNavLevel = {};
    rs.NavLevelCount = 0;
    rs.HasPageNumbers = false;
    // The index holds the last document's tree; let it go before the next is read.
    DocumentNavIndex().clear();
}

OpenOutcome OpenDocumentFile(const QString& path, bool addOnly, const DecryptPackage& decrypt)
{
    OpenOutcome outcome;
    GuardedVoid("OpenFile", [&] {
        SetStep(QStringLiteral("Check if file exists"));
        if (path.isEmpty() || !QFileInfo(path).isFile()) {
            outcome.result = OpenResult::NoFile;
            return;
        }

        SetStep(QStringLiteral("Clear temp-files"));
        EmptyWorkingFolder();

        SetStep(QStringLiteral("Set Unzip variables"));
        RunState& rs = Run();
        rs.UnzipZipFile = path;
        rs.UnzipExtractDir = AppPaths::TempDir() + QLatin1Char('/');

        SetStep(QStringLiteral("Handle the correct file-extension"));
        bool rtf = false;
        switch (PackageKindOf(path)) {
        case PackageKind::Xml:
            if (QFileInfo(path).size() > g_sizeLimit) {
                outcome.result = OpenResult::TooLarge;
                return;
            }
            if (!CopyIntoWorkingFolder(path)) {
                outcome.result = OpenResult::CopyFailed;
                RaiseError(ErrNo::PathFileAccess, QStringLiteral("Could not copy the document to the working folder"));
            }
            break;
        case PackageKind::Rtf:
            // The load step then finds no XML and says so.
            rtf = true;
            break;
        case PackageKind::Zip:
            SetStep(QStringLiteral("Unzip file"));
            // Unzip tells the reader what went wrong; a package without XML is reported by the load.
            if (NothingUnpacked(Unzip())) {
                outcome.result = OpenResult::PackageFailed;
                return;
            }
            break;
        case PackageKind::Encrypted: {
            SetStep(QStringLiteral("Descrypt file"));
            if (!decrypt || !decrypt(path, addOnly)) {
                // The reader was told why, and nothing of the package is in the working folder.
                outcome.result = OpenResult::PackageFailed;
                return;
            }
            SetStep(QStringLiteral("Unzip file"));
            rs.UnzipZipFile = rs.UnzipExtractDir + QLatin1Char('_');
            const bool nothing = NothingUnpacked(Unzip());
            QFile::remove(rs.UnzipZipFile); // the decrypted archive is not needed once unpacked
            if (nothing) {
                outcome.result = OpenResult::PackageFailed;
                return;
            }
            break;
        }
        case PackageKind::Unsupported:
            outcome.result = OpenResult::Unsupported;
            return;
        }

        SetStep(QStringLiteral("go load the XML document"));
        outcome = LoadDocumentFromWorkingFolder(path, addOnly);
        outcome.rtfNotice = rtf;
    });
    return outcome;
}

OpenOutcome LoadDocumentFromWorkingFolder(const QString& path, bool addOnly)
{
    OpenOutcome outcome;
    RunState& rs = Run();
    // An add-only open reads a document beside the one shown, which keeps its lists.
    const int16_t shownLevels = rs.NavLevelCount;
    const bool shownPages = rs.HasPageNumbers;
    GuardedVoid("LoadXMLBook", [&] {
        ResetDocumentState();

        SetStep(QStringLiteral("Get files from temp folder"));
        const WorkingFolderContents contents = ListWorkingFolder();
        const QString temp = AppPaths::TempDir() + QLatin1Char('/');
        for (const QString& name : contents.styleSheets)
            rs.StyleSheets.push_back({name.left(name.size() - 4), ReadWholeFile(temp + name)});
        rs.StyleSheetCount = int16_t(qMin<qsizetype>(rs.StyleSheets.size(), 32767));
        for (const QString& name : contents.descriptors)
            LoadXdf(temp + name);
        rs.XmlFileName = contents.xmlFileName;
        outcome.xmlFileName = rs.XmlFileName;

        if (rs.XmlFileName.isEmpty()) {
            outcome.result = OpenResult::NoXml;
            return;
        }
        if (contents.descriptors.isEmpty())
            LoadXdf(AppPaths::DefaultDir() + QStringLiteral("/news.xdf"));
        // What a package unpacks is held to the same limit as a plain document.
        if (WorkingFileSize(temp + rs.XmlFileName) > g_sizeLimit) {
            outcome.result = OpenResult::TooLarge;
            return;
        }

        SetStep(QStringLiteral("Load the XML document"));
        if (!LoadXmlKeepingWindowAlive(rs.XmlDoc, temp + rs.XmlFileName)) {
            outcome.result = OpenResult::NotWellFormed;
            outcome.detail = ParseReport(rs.XmlDoc.parseError());
            RaiseError(ErrNo::XmlNotWellFormed, outcome.detail, QStringLiteral("XML document load error"));
        }

        SetStep(QStringLiteral("Clean up the unzipped files"));
        EmptyWorkingFolder();

        SetStep(QStringLiteral("Get document title"));
        // All facts in one walk: a tag the document lacks would otherwise cost a walk of its own.
        const QStringList tags{rs.XdfDocIdTag,        rs.XdfDocTitleTag,          rs.XdfDocTypeTag,
                               rs.XdfDocSubTitleTag,  rs.XdfDocEditionTag,        rs.XdfDocAuthorTag,
                               rs.XdfDocPublisherTag, rs.XdfDocPublicationDateTag};
        const std::vector<DomNode> facts = rs.XmlDoc.firstElementsByTagNames(tags);
        const auto factText = [&facts](size_t i) { return facts[i].isNull() ? QString() : facts[i].text(); };
        rs.DocInfo[1] = factText(1);
        if (rs.DocInfo[1].isEmpty())
            rs.DocInfo[1] = GetXMLTagValue(rs.XmlDoc.asNode(), QStringLiteral("TijdschriftTitel"));
        if (rs.DocInfo[1].isEmpty()) {
            outcome.result = OpenResult::NoTitle;
            RaiseError(ErrNo::NoTitle, QStringLiteral("Doc_Title is missing"));
        }

        SetStep(QStringLiteral("Get document id"));
        rs.DocInfo[0] = factText(0);
        if (rs.DocInfo[0].isEmpty())
            rs.DocInfo[0] = QFileInfo(path).fileName();

        SetStep(QStringLiteral("Get document type"));
        for (size_t i = 2; i < 8; ++i)
            rs.DocInfo[i] = factText(i);

        if (addOnly)
            rs.ArchiveOnOpen = true;
        // Archiving into the library and cataloguing happen here once the library exists.
        if (!addOnly) {
            rs.DocumentId = rs.DocInfo[0];
            SetStep(QStringLiteral("Add id's to navigation nodes"));
            AddNodeIds();
        }
        outcome.result = OpenResult::Opened;
    });
    if (addOnly) {
        rs.NavLevelCount = shownLevels;
        rs.HasPageNumbers = shownPages;
    }
    outcome.docInfo = rs.DocInfo;
    return outcome;
}

std::vector<OpenMessage> DocumentOpeningMessages(const OpenOutcome& outcome, const QString& path)
{
    using Icon = OpenMessage::Icon;
    std::vector<OpenMessage> messages;
    if (outcome.rtfNotice)
        messages.push_back({SetLangTxt(1109), Icon::None});
    switch (outcome.result) {
    case OpenResult::Unsupported:
        messages.push_back({SetLangTxt(1110), Icon::None});
        break;
    case OpenResult::TooLarge:
        messages.push_back(
            {SetLangTxt(1113, outcome.xmlFileName.isEmpty() ? QFileInfo(path).fileName() : outcome.xmlFileName),
             Icon::Exclamation});
        break;
    case OpenResult::NoXml:
        messages.push_back({SetLangTxt(1093), Icon::Exclamation});
        break;
    case OpenResult::NotWellFormed:
        messages.push_back(
            {SetLangTxt(1094, outcome.xmlFileName) + QStringLiteral("\r\n") + outcome.detail, Icon::Critical});
        break;
    default:
        break;
    }
    return messages;
}
