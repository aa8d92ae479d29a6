// Copying documents from outside into the library folder.
#include "library/Archive.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "library/frmLibrary.h"
#include "settings/Options.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool SameContent(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 16) != fb.read(1 << 16))
            return false;
    }
    return true;
}

// "name (2).ext", "name (3).ext", ...
QString NumberedName(const QString& fileName, int n)
{
    const QFileInfo info(fileName);
    const QString suffix = info.completeSuffix();
    const QString base = suffix.isEmpty() ? fileName : fileName.left(fileName.size() - suffix.size() - 1);
    return base + QStringLiteral(" (%1)").arg(n) + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

// Gives the finished copy its name only if no file has that name yet.
bool LinkNoReplace(const QString& from, const QString& to)
{
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (::link(f.constData(), t.constData()) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    // File systems without hard links: a rename after a last look.
    return !QFileInfo::exists(to) && ::rename(f.constData(), t.constData()) == 0;
}

} // namespace

QString CopyIntoFolder(const QString& source, const QString& folder, QString* error)
{
    const QString fileName = QFileInfo(source).fileName();
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return {};
    }
    // A file of that name that is this very document needs no second copy.
    for (int n = 1; n < 1000; ++n) {
        const QString target = folder + QLatin1Char('/') + (n == 1 ? fileName : NumberedName(fileName, n));
        if (!QFileInfo::exists(target))
            break;
        if (SameContent(source, target))
            return target;
    }
    QTemporaryFile temp(folder + QStringLiteral("/.quillbook-copy-XXXXXX"));
    if (!temp.open()) {
        if (error)
            *error = temp.errorString();
        return {};
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFile::NoError)
            break;
        if (temp.write(chunk) != chunk.size())
            break;
    }
    if (in.error() != QFile::NoError || temp.error() != QFile::NoError || !temp.flush() ||
        ::fsync(temp.handle()) != 0 || temp.size() != in.size()) {
        if (error)
            *error = temp.error() != QFile::NoError ? temp.errorString() : in.errorString();
        return {};
    }
    temp.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    for (int n = 1; n < 1000; ++n) {
        const QString target = folder + QLatin1Char('/') + (n == 1 ? fileName : NumberedName(fileName, n));
        if (LinkNoReplace(temp.fileName(), target))
            return target; // the temporary name goes with temp
    }
    if (error)
        *error = QStringLiteral("No free file name");
    return {};
}

QString frmLibrary::ArchiveDocument(QString& path, const QString& documentType)
{
    const QString original = CleanAbsolutePath(path);
    QString result = original;
    GuardedVoid("ArchiveDocument", [&] {
        SetStep(QStringLiteral("Is the document in the library"));
        const QString shown =
            Opts().LibraryLocationText.isEmpty() ? Opts().LibraryLocation : Opts().LibraryLocationText;
        const QString folder = CleanAbsolutePath(shown);
        if (folder.isEmpty() || IsInsideFolder(original, folder))
            return;

        SetStep(QStringLiteral("Ask to copy the document to the library"));
        bool copy = Opts().CopyToLibrary;
        if (!copy) {
            // The key that answers is let go over the main window, which passes
            // over a release whose press it did not see: no flag is needed.
            copy = Prompt().MsgBox(SetLangTxt(1105, folder), PromptButtons::YesNo, PromptIcon::Question,
                                   SetLangTxt(1104, folder)) == PromptAnswer::Yes;
        }
        if (copy) {
            const QString longPath = GetLongFileName(original);
            bool haveFolder = QFileInfo(folder).isDir();
            if (!haveFolder) {
                SetStep(QStringLiteral("Create the library folder"));
                if (Prompt().MsgBox(SetLangTxt(1107, folder), PromptButtons::YesNo, PromptIcon::Question,
                                    SetLangTxt(1106)) == PromptAnswer::Yes) {
                    haveFolder = QDir().mkdir(folder);
                    if (!haveFolder)
                        Prompt().MsgBox(SetLangTxt(1220, folder), PromptButtons::Ok, PromptIcon::Exclamation);
                }
            }
            if (haveFolder) {
                SetStep(QStringLiteral("Copy the document to the library"));
                QString error;
                const QString copied = CopyIntoFolder(longPath.isEmpty() ? original : longPath, folder, &error);
                if (copied.isEmpty())
                    Prompt().MsgBox(SetLangTxt(1220, folder) + QStringLiteral("\r\n") + error, PromptButtons::Ok,
                                    PromptIcon::Exclamation);
                else
                    result = copied;
            }
        }
        SetStep(QStringLiteral("Make the document type a bookshelf"));
        AddDocument(documentType);
    });
    path = result;
    return result;
}
