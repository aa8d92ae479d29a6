#include "render/StyleSheetChoice.h"

#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/ErrorConvention.h"
#include "app/core/ErrorLog.h"
#include "app/core/RunState.h"
#include "marks/UsageFile.h"
#include "render/modCss2RTF.h"
#include "settings/SettingsStore.h"
#include "settings/modFilesFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QLatin1String kAllDocumentsKey("DefaultCSS");
const QLatin1String kCssElement("css");
// Copy names of the wider scopes hold brackets, which DocumentFileStem never
// leaves in a name, so no document can take the type's or all documents' copy.
// They are read in the View menu as they stand.
const QLatin1String kAllDocumentsName("(all documents)");
const QLatin1String kTypeSuffix(" (type)");

int g_inUse = 0;

// The settings key of the document type's choice. A "/" would make the store
// nest the key in a group of its own.
QString TypeKey()
{
    return QStringLiteral("CSS") + DocumentFileStem(Run().DocInfo[2]);
}

QString DufPath(const QString& fileName)
{
    // A stored name is taken as a name only: it never leads out of the folder.
    return AppPaths::DufDir() + QLatin1Char('/') + QFileInfo(fileName).fileName();
}

DomNode CssElement(const DomNode& root)
{
    for (const DomNode& child : root.childNodes()) {
        if (child.nodeType() == DomNodeType::Element && child.nodeName() == kCssElement)
            return child;
    }
    return {};
}

QString WithoutCssExtension(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".css"), Qt::CaseInsensitive) ? fileName.chopped(4) : fileName;
}

// Adds the sheets of the data folder's CSS folder, by name.
void AddSystemStyleSheets(std::vector<PackageStyleSheet>& sheets)
{
    const QString folder = AppPaths::CssDir();
    const QStringList files = QDir(folder).entryList({QStringLiteral("*")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : files) {
        if (!name.endsWith(QLatin1String(".css"), Qt::CaseInsensitive))
            continue;
        sheets.push_back({name.chopped(4), ReadWholeFile(folder + QLatin1Char('/') + name)});
    }
}

// The document type's default sheet, else the first.
int DefaultEntry(const std::vector<PackageStyleSheet>& sheets)
{
    const QString wanted = Run().XdfDefaultCss;
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (!wanted.isEmpty() && sheets[i].name == wanted)
            return int(i) + 1;
    }
    return 1;
}

void WriteTextFile(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        RaiseError(ErrNo::PathFileAccess, QStringLiteral("Path/File access error: ") + path);
    // The copy ends with a line break, as a written text line does.
    QString content = text;
    if (!content.endsWith(QLatin1Char('\n')))
        content += QStringLiteral("\r\n");
    const QByteArray bytes = content.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit())
        RaiseError(ErrNo::PathFileAccess, QStringLiteral("Path/File access error: ") + path);
}

bool HasUsageFile()
{
    const auto& duf = Run().DufDoc;
    return duf && !duf->documentElement().isNull();
}

// The scope's copy name; raises when the scope cannot hold a choice (a document
// without a type, or without a usage file).
QString CheckedCopyName(StyleScope scope)
{
    if (scope == StyleScope::Document && !HasUsageFile())
        RaiseError(ErrNo::NoObject, QStringLiteral("Object variable or With block variable not set"));
    const QString fileName = PersonalCopyName(scope);
    if (fileName.isEmpty())
        RaiseError(ErrNo::InvalidCall, QStringLiteral("Invalid procedure call or argument"));
    return fileName;
}

void SaveChoice(StyleScope scope, const QString& fileName)
{
    switch (scope) {
    case StyleScope::Document:
        DefaultCss(fileName);
        break;
    case StyleScope::DocumentType:
        if (!SaveSetting(TypeKey(), fileName))
            RaiseError(ErrNo::PathFileAccess, QStringLiteral("The settings could not be saved"));
        break;
    case StyleScope::AllDocuments:
        if (!SaveSetting(kAllDocumentsKey, fileName))
            RaiseError(ErrNo::PathFileAccess, QStringLiteral("The settings could not be saved"));
        break;
    }
}

} // namespace

QString DocumentStyleChoice()
{
    const auto& duf = Run().DufDoc;
    if (!duf)
        return {};
    return CssElement(duf->documentElement()).text();
}

QString TypeStyleChoice()
{
    if (Run().DocInfo[2].isEmpty())
        return {};
    return GetSetting(TypeKey());
}

QString AllDocumentsStyleChoice()
{
    return GetSetting(kAllDocumentsKey);
}

int LoadAndSetStyleSheets()
{
    int chosen = 1;
    GuardedVoid("LoadAndSetStyleSheets", [&] {
        RunState& rs = Run();
        SetStep(QStringLiteral("Load system style sheets"));
        // Only the package's sheets stay from an earlier run.
        const size_t packageSheets = size_t(qMax<int16_t>(rs.StyleSheetCount, 0));
        if (rs.StyleSheets.size() > packageSheets)
            rs.StyleSheets.resize(packageSheets);
        AddSystemStyleSheets(rs.StyleSheets);

        SetStep(QStringLiteral("Load Document/Type/All style sheet"));
        QString fileName = DocumentStyleChoice();
        if (fileName.isEmpty())
            fileName = TypeStyleChoice();
        if (fileName.isEmpty())
            fileName = AllDocumentsStyleChoice();

        chosen = DefaultEntry(rs.StyleSheets);
        if (!fileName.isEmpty()) {
            const QString path = DufPath(fileName);
            if (QFileInfo(path).isFile()) {
                rs.StyleSheets.push_back({WithoutCssExtension(QFileInfo(fileName).fileName()), ReadWholeFile(path)});
                chosen = int(rs.StyleSheets.size());
            } else {
                // The reader still gets a sheet: the choice falls back to the default.
                LogError(QStringLiteral("LoadAndSetStyleSheets"), rs.CurrentStep, ErrNo::FileNotFound,
                         QStringLiteral("File not found: ") + path);
            }
        }
        g_inUse = chosen;
        SetStep(QStringLiteral("Load the chosen style sheet"));
        LoadCSS(chosen);
    });
    return chosen;
}

QStringList StyleSheetCaptions()
{
    QStringList captions;
    for (const PackageStyleSheet& sheet : Run().StyleSheets)
        captions << QString(sheet.name).replace(QLatin1Char('_'), QLatin1Char(' '));
    return captions;
}

int StyleSheetInUse()
{
    return g_inUse;
}

bool SelectStyleSheet(int index)
{
    g_inUse = index;
    return LoadCSS(index);
}

void DefaultCss(const QString& fileName)
{
    GuardedVoid("DefaultCss", [&] {
        SetStep(QStringLiteral("Find the usage file"));
        if (!Run().DufDoc || Run().DufDoc->documentElement().isNull())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable or With block variable not set"));
        SetStep(QStringLiteral("Set the document's style sheet"));
        // Read, changed and written under the usage file's lock, with the marks of any other program kept.
        const bool saved = ChangeDocumentUsageFile([&](DomNode& root) {
            DomNode css = CssElement(root);
            if (fileName.isEmpty()) {
                if (css)
                    root.removeChild(css);
            } else {
                if (!css)
                    css = root.appendChild(root.ownerDocument().createElement(kCssElement));
                css.setText(fileName);
            }
        });
        if (!saved)
            RaiseError(ErrNo::PathFileAccess, QStringLiteral("The usage file could not be saved"));
    });
}

QString PersonalCopyName(StyleScope scope)
{
    QString base;
    switch (scope) {
    case StyleScope::Document:
        base = DocumentFileStem(Run().DocumentId);
        break;
    case StyleScope::DocumentType:
        if (!Run().DocInfo[2].isEmpty())
            base = DocumentFileStem(Run().DocInfo[2]) + kTypeSuffix;
        break;
    case StyleScope::AllDocuments:
        base = kAllDocumentsName;
        break;
    }
    if (base.isEmpty())
        return {};
    return base + QStringLiteral(".css");
}

bool SaveDefaultStyleSheet(StyleScope scope)
{
    return GuardedVoid("SaveDefaultStyleSheet", [&] {
        SetStep(QStringLiteral("Find the style sheet in use"));
        const RunState& rs = Run();
        const int index = StyleSheetInUse();
        if (index < 1 || size_t(index) > rs.StyleSheets.size())
            RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        const QString fileName = CheckedCopyName(scope);

        // The copy is written before the choice names it, so a choice never
        // points at a copy that could not be written.
        SetStep(QStringLiteral("Write the personal copy ") + fileName);
        WriteTextFile(DufPath(fileName), rs.StyleSheets[size_t(index) - 1].text);
        SetStep(QStringLiteral("Store the default style sheet"));
        SaveChoice(scope, fileName);
    });
}

bool RemoveDefaultStyleSheet(StyleScope scope)
{
    const bool removed = GuardedVoid("RemoveDefaultStyleSheet", [&] {
        SetStep(QStringLiteral("Remove the default style sheet"));
        const QString fileName = CheckedCopyName(scope);
        SaveChoice(scope, QString());
        SetStep(QStringLiteral("Delete the personal copy ") + fileName);
        const QString path = DufPath(fileName);
        if (QFileInfo::exists(path) && !QFile::remove(path))
            RaiseError(ErrNo::PathFileAccess, QStringLiteral("Path/File access error: ") + path);
    });
    LoadAndSetStyleSheets();
    return removed;
}
