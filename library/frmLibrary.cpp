#include "library/frmLibrary.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "library/LibraryDates.h"
#include "package/dom/DomInternal.h"
#include "package/modXML.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>

#include <cerrno>
#include <future>
#include <strings.h>
#include <sys/stat.h>
#include <system_error>

namespace {

const QString kDocument = QStringLiteral("document");

// Child elements are known by name in any letter case.
enum class Field { None, Title, Location, Bookshelf, LastOpened, TimesOpened };

Field FieldOf(const DomNode& child)
{
    if (child.nodeType() != DomNodeType::Element)
        return Field::None;
    const QString name = child.nodeName().toUpper();
    if (name == QLatin1String("TITLE"))
        return Field::Title;
    if (name == QLatin1String("LOCATION"))
        return Field::Location;
    if (name == QLatin1String("BOOKSHELF"))
        return Field::Bookshelf;
    if (name == QLatin1String("LASTOPENED"))
        return Field::LastOpened;
    if (name == QLatin1String("TIMESOPENED"))
        return Field::TimesOpened;
    return Field::None;
}

DomNode FieldNode(const DomNode& document, Field field)
{
    for (DomNode child = document.firstChild(); child; child = child.nextSibling()) {
        if (FieldOf(child) == field)
            return child;
    }
    return {};
}

LibraryEntry EntryOf(const DomNode& document)
{
    LibraryEntry e;
    e.id = document.getAttribute(QStringLiteral("id"));
    e.date = document.getAttribute(QStringLiteral("date"));
    for (DomNode child = document.firstChild(); child; child = child.nextSibling()) {
        switch (FieldOf(child)) {
        case Field::Title:
            e.title = child.text();
            break;
        case Field::Location:
            e.location = child.text();
            break;
        case Field::Bookshelf:
            e.bookshelf = child.text();
            break;
        case Field::LastOpened:
            e.lastopened = child.text();
            break;
        case Field::TimesOpened:
            e.timesopened = child.text();
            break;
        case Field::None:
            break;
        }
    }
    return e;
}

// The reading passes (check, table, counts) walk the parsed tree directly:
// over thousands of entries a handle per node costs more than the parse.
QString NativeText(pugi::xml_node node)
{
    QByteArray text;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            text += c.value();
        else if (c.type() == pugi::node_element)
            text += NativeText(c).toUtf8();
    }
    return QString::fromUtf8(text);
}

Field NativeFieldOf(pugi::xml_node child)
{
    if (child.type() != pugi::node_element)
        return Field::None;
    const char* name = child.name();
    if (strcasecmp(name, "title") == 0)
        return Field::Title;
    if (strcasecmp(name, "location") == 0)
        return Field::Location;
    if (strcasecmp(name, "bookshelf") == 0)
        return Field::Bookshelf;
    if (strcasecmp(name, "lastopened") == 0)
        return Field::LastOpened;
    if (strcasecmp(name, "timesopened") == 0)
        return Field::TimesOpened;
    return Field::None;
}

LibraryEntry NativeEntryOf(pugi::xml_node document)
{
    LibraryEntry e;
    e.id = QString::fromUtf8(document.attribute("id").value());
    e.date = QString::fromUtf8(document.attribute("date").value());
    for (pugi::xml_node child = document.first_child(); child; child = child.next_sibling()) {
        switch (NativeFieldOf(child)) {
        case Field::Title:
            e.title = NativeText(child);
            break;
        case Field::Location:
            e.location = NativeText(child);
            break;
        case Field::Bookshelf:
            e.bookshelf = NativeText(child);
            break;
        case Field::LastOpened:
            e.lastopened = NativeText(child);
            break;
        case Field::TimesOpened:
            e.timesopened = NativeText(child);
            break;
        case Field::None:
            break;
        }
    }
    return e;
}

std::vector<LibraryEntry> ReadEntries(const DomDocument& doc)
{
    std::vector<LibraryEntry> out;
    const DomNode root = doc.documentElement();
    if (root.isNull())
        return out;
    for (pugi::xml_node d = DomAccess::node(root).child("document"); d; d = d.next_sibling("document"))
        out.push_back(NativeEntryOf(d));
    return out;
}

// Id and location of every entry, for the check.
std::vector<std::pair<QString, QString>> ReadLocations(const DomDocument& doc)
{
    std::vector<std::pair<QString, QString>> out;
    const DomNode root = doc.documentElement();
    if (root.isNull())
        return out;
    for (pugi::xml_node d = DomAccess::node(root).child("document"); d; d = d.next_sibling("document")) {
        for (pugi::xml_node child = d.first_child(); child; child = child.next_sibling()) {
            if (NativeFieldOf(child) == Field::Location) {
                out.emplace_back(QString::fromUtf8(d.attribute("id").value()), NativeText(child));
                break;
            }
        }
    }
    return out;
}

std::vector<DomNode> DocumentElements(const DomDocument& doc)
{
    std::vector<DomNode> out;
    const DomNode root = doc.documentElement();
    for (DomNode child = root.firstChild(); child; child = child.nextSibling()) {
        if (child.nodeType() == DomNodeType::Element && child.nodeName() == kDocument)
            out.push_back(child);
    }
    return out;
}

// Only "no such file" means gone: a file that cannot be reached for another
// reason (no permission, an I/O error) may well still be there.
bool IsGone(const QString& path, struct stat* info = nullptr)
{
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) == 0) {
        if (info)
            *info = st;
        return false;
    }
    return errno == ENOENT;
}

QString Now()
{
    return LibraryDateText(QDateTime::currentDateTime().toTimeSpec(Qt::LocalTime));
}

void AppendField(DomDocument& doc, DomNode& parent, const char* name, const QString& text)
{
    DomNode element = doc.createElement(QString::fromLatin1(name));
    if (!text.isEmpty())
        element.setText(text);
    parent.appendChild(element);
}

bool IsHandledExtension(const QString& name)
{
    // The same rule the opening uses: the last three characters.
    for (const char* ext : {"xml", "zip", "cxb", "exb", "exd"}) {
        if (name.endsWith(QLatin1String(ext), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// Takes the catalogue's lock within timeoutMs. A lock file that names no
// process (its writer was killed between making and filling it) would
// otherwise stand for half a minute: after two seconds it is taken over.
bool LockCatalogue(QLockFile& lock, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (true) {
        if (lock.tryLock(qMin(200, timeoutMs)))
            return true;
        qint64 pid = 0;
        QString host, application;
        if (lock.error() == QLockFile::LockFailedError && !lock.getLockInfo(&pid, &host, &application) &&
            QFileInfo(lock.fileName()).lastModified().msecsTo(QDateTime::currentDateTime()) > 2000)
            lock.removeStaleLockFile();
        if (waited.elapsed() >= timeoutMs)
            return false;
    }
}

} // namespace

frmLibrary::frmLibrary() = default;
frmLibrary::~frmLibrary() = default;

QString frmLibrary::LibraryPath()
{
    return AppPaths::UserDir() + QStringLiteral("/library.xml");
}

frmLibrary::FileStamp frmLibrary::StampOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {qint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void frmLibrary::Unload()
{
    m_doc = DomDocument();
    m_loaded = false;
    m_stamp = {};
    m_knownLocations.clear();
    LibraryTable = VariantTable();
    RecentLibraryTable = VariantTable();
    LibraryRows = RecentLibraryRows = 0;
}

bool frmLibrary::LoadLibrary()
{
    Unload();
    const QString path = LibraryPath();
    const bool loaded = Guarded("LoadLibrary", false, [&] {
        SetStep(QStringLiteral("Create the library from its template"));
        if (!QFileInfo::exists(path)) {
            QLockFile lock(path + QStringLiteral(".lock"));
            LockCatalogue(lock, 10000);
            if (!QFileInfo::exists(path) && !QFile::copy(AppPaths::DefaultDir() + QStringLiteral("/default.lib"), path))
                RaiseError(ErrNo::FileNotFound, QStringLiteral("The library template could not be copied"));
            QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        }
        SetStep(QStringLiteral("Load the library"));
        const FileStamp stamp = StampOf(path);
        DomDocument doc;
        if (!doc.load(path) || doc.documentElement().isNull()) {
            const DomParseError& e = doc.parseError();
            Prompt().MsgBox(SetLangTxt(1095) + QStringLiteral(" '") + path + QStringLiteral("'!\r\n") +
                                QString::number(e.errorCode) + QStringLiteral(" - ") + e.reason,
                            PromptButtons::Ok, PromptIcon::Critical);
            return false;
        }
        m_doc = doc;
        m_stamp = stamp;
        m_loaded = true;
        return true;
    });
    if (!loaded)
        return false;
    CheckLibrary();
    emit catalogueChanged();
    return true;
}

void frmLibrary::RefreshIfChanged()
{
    const QString path = LibraryPath();
    const FileStamp stamp = StampOf(path);
    if (stamp == m_stamp)
        return;
    DomDocument doc;
    if (!doc.load(path) || doc.documentElement().isNull())
        RaiseError(ErrNo::PathFileAccess, QStringLiteral("The library was changed on disk and cannot be read"));
    m_doc = doc;
    m_stamp = stamp;
}

void frmLibrary::Save()
{
    if (!SaveFormattedXML(m_doc.documentElement(), LibraryPath()))
        RaiseError(ErrNo::PathFileAccess, QStringLiteral("The library could not be saved"));
    m_stamp = StampOf(LibraryPath());
}

bool frmLibrary::Change(const char* procedure, const std::function<bool()>& change)
{
    bool changed = false;
    const bool ok = GuardedVoid(procedure, [&] {
        if (!m_loaded)
            RaiseError(ErrNo::NoObject, QStringLiteral("There is no library"));
        QLockFile lock(LibraryPath() + QStringLiteral(".lock"));
        if (!LockCatalogue(lock, 10000))
            RaiseError(ErrNo::PathFileAccess, QStringLiteral("The library is locked by another program"));
        const FileStamp before = m_stamp;
        RefreshIfChanged();
        changed = change();
        if (changed)
            Save();
        changed = changed || !(before == m_stamp);
    });
    if (changed)
        emit catalogueChanged();
    return ok;
}

DomNodeList frmLibrary::FindDocuments(const QString& id) const
{
    return m_doc.documentElement().selectNodes(QStringLiteral("document[@id = $id]"), {{QStringLiteral("id"), id}});
}

std::optional<LibraryEntry> frmLibrary::FindEntry(const QString& id)
{
    const DomNodeList hits = FindDocuments(id);
    if (hits.length() == 0)
        return std::nullopt;
    return EntryOf(hits.item(0));
}

std::vector<LibraryEntry> frmLibrary::Entries()
{
    return ReadEntries(m_doc);
}

void frmLibrary::CheckLibrary()
{
    GuardedVoid("CheckLibrary", [&] {
        SetStep(QStringLiteral("Check file existence"));
        FixedDiskCheck disk(Mounts ? Mounts() : CurrentMounts());
        const QString folder = CleanAbsolutePath(Opts().LibraryLocation);
        // A library folder that is not there is an unmounted disk, not lost documents.
        const bool folderMissing = !folder.isEmpty() && !QFileInfo(folder).isDir();
        // The folder is read on the other core while the locations are examined here.
        std::future<QStringList> names;
        try {
            if (!folder.isEmpty() && !folderMissing)
                names = std::async(std::launch::async, [folder] { return RegularFileNames(folder); });
        } catch (const std::system_error&) {
        }
        std::vector<std::pair<QString, QString>> missing; // id, location
        std::vector<std::pair<qint64, qint64>> knownFiles;
        m_knownLocations.clear();
        for (const auto& [id, location] : ReadLocations(m_doc)) {
            if (location.isEmpty())
                continue;
            const QString clean = CleanAbsolutePath(location);
            m_knownLocations.append(clean);
            // A relative path (older catalogues) depends on where the program was started: no proof of anything.
            const bool absolute = location.startsWith(QLatin1Char('/')) || QDir::isAbsolutePath(location);
            if (!absolute || !disk.IsExamined(clean))
                continue;
            if (folderMissing && IsInsideFolder(clean, folder))
                continue;
            struct stat st {};
            if (IsGone(location, &st))
                missing.emplace_back(id, location);
            else
                knownFiles.emplace_back(qint64(st.st_dev), qint64(st.st_ino));
        }
        if (!missing.empty()) {
            QStringList where;
            for (const auto& m : missing)
                where.append(m.second);
            Prompt().MsgBox(SetLangTxt(1214, where.join(QStringLiteral("\r\n"))), PromptButtons::Ok,
                            PromptIcon::Information, SetLangTxt(1213));
            Change("CheckLibrary", [&] {
                bool removed = false;
                for (const auto& [id, location] : missing) {
                    // Another program may have changed the entry meanwhile: drop only what is still gone.
                    for (const DomNode& d : FindDocuments(id)) {
                        if (FieldNode(d, Field::Location).text() == location && IsGone(location)) {
                            d.parentNode().removeChild(d);
                            removed = true;
                        }
                    }
                }
                return removed;
            });
        }
        SetStep(QStringLiteral("Look for new files in My Library location"));
        ScanLibraryFolder(knownFiles, names.valid() ? names.get() : RegularFileNames(folder));
    });
}

void frmLibrary::ScanLibraryFolder(const std::vector<std::pair<qint64, qint64>>& knownFiles, const QStringList& names)
{
    const QString folder = CleanAbsolutePath(Opts().LibraryLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    const QSet<QString> known(m_knownLocations.cbegin(), m_knownLocations.cend());
    QSet<std::pair<qint64, qint64>> knownIds(knownFiles.cbegin(), knownFiles.cend());
    QStringList newFiles;
    QString path = folder + QLatin1Char('/');
    const qsizetype stem = path.size();
    for (const QString& name : names) {
        if (!IsHandledExtension(name))
            continue;
        path.truncate(stem);
        path += name;
        if (known.contains(path))
            continue;
        struct stat st {};
        // The same file under another spelling (a link, a second name) is known.
        if (IsGone(path, &st) || knownIds.contains({qint64(st.st_dev), qint64(st.st_ino)}))
            continue;
        newFiles.append(path);
    }
    if (newFiles.isEmpty() || !OpenAddOnly)
        return;
    newFiles.sort();
    const QString text = newFiles.size() == 1 ? SetLangTxt(1216) : SetLangTxt(1217, QString::number(newFiles.size()));
    if (Prompt().MsgBox(text, PromptButtons::OkCancel, PromptIcon::Question, SetLangTxt(1218)) != PromptAnswer::Ok)
        return;
    QStringList failed;
    for (const QString& path : newFiles) {
        const auto facts = OpenAddOnly(path);
        if (!facts || (*facts)[1].isEmpty())
            failed.append(QFileInfo(path).fileName());
    }
    if (!failed.isEmpty())
        Prompt().MsgBox(SetLangTxt(1219, failed.join(QStringLiteral("\r\n"))), PromptButtons::Ok,
                        PromptIcon::Exclamation, SetLangTxt(1218));
}

bool frmLibrary::AddLibraryItem(const QString& id, const QString& title, const QString& location, QString& bookshelf,
                                bool addOnly)
{
    if (addOnly)
        bookshelf.clear();
    const QString where = CleanAbsolutePath(location);
    const QString shelf = ShelfNameOf(bookshelf);
    return Change("AddLibraryItem", [&] {
        SetStep(QStringLiteral("Find the document in the library"));
        const DomNodeList hits = FindDocuments(id);
        if (hits.length() == 0) {
            SetStep(QStringLiteral("Add the document to the library"));
            DomNode d = m_doc.createElement(kDocument);
            d.setAttribute(QStringLiteral("id"), id);
            d.setAttribute(QStringLiteral("date"), Now());
            m_doc.documentElement().appendChild(d);
            AppendField(m_doc, d, "title", title);
            AppendField(m_doc, d, "location", where);
            AppendField(m_doc, d, "bookshelf", shelf);
            AppendField(m_doc, d, "lastopened", addOnly ? QString() : Now());
            AppendField(m_doc, d, "timesopened", addOnly ? QStringLiteral("0") : QStringLiteral("1"));
            return true;
        }
        bool changed = false;
        for (const DomNode& d : hits) {
            // A known document found at a new place while its stored file is gone has moved.
            DomNode stored = FieldNode(d, Field::Location);
            if (stored && stored.text() != where && IsGone(stored.text())) {
                stored.setText(where);
                changed = true;
            }
        }
        if (addOnly)
            return changed;
        SetStep(QStringLiteral("Count one more opening"));
        for (const DomNode& d : hits) {
            DomNode count = FieldNode(d, Field::TimesOpened);
            DomNode last = FieldNode(d, Field::LastOpened);
            bool ok = false;
            const qint64 n = count ? count.text().trimmed().toLongLong(&ok) : 0;
            if (count)
                count.setText(QString::number((ok && n >= 0 ? n : 0) + 1));
            if (last)
                last.setText(Now());
        }
        return true;
    });
}

bool frmLibrary::UpdateLibraryItem(const QString& id)
{
    return Change("UpdateLibraryItem", [&] {
        const DomNodeList hits = FindDocuments(id);
        if (hits.length() == 0)
            RaiseError(ErrNo::InvalidCall, QStringLiteral("The document is not in the library"));
        for (const DomNode& d : hits) {
            DomNode count = FieldNode(d, Field::TimesOpened);
            bool ok = false;
            const qint64 n = count ? count.text().trimmed().toLongLong(&ok) : 0;
            if (count)
                count.setText(QString::number((ok && n >= 0 ? n : 0) + 1));
            if (DomNode last = FieldNode(d, Field::LastOpened))
                last.setText(Now());
        }
        return true;
    });
}

bool frmLibrary::SetBookShelf(const QString& id, const QString& bookshelf)
{
    return Change("SetBookShelf", [&] {
        const DomNodeList hits = FindDocuments(id);
        if (hits.length() == 0)
            RaiseError(ErrNo::InvalidCall, QStringLiteral("The document is not in the library"));
        bool changed = false;
        for (const DomNode& d : hits) {
            DomNode shelf = FieldNode(d, Field::Bookshelf);
            if (!shelf) {
                DomNode target = d;
                AppendField(m_doc, target, "bookshelf", bookshelf);
                changed = true;
            } else if (shelf.text() != bookshelf) {
                shelf.setText(bookshelf);
                changed = true;
            }
        }
        return changed;
    });
}

bool frmLibrary::DeleteLibraryItem(const QString& id)
{
    return Change("DeleteLibraryItem", [&] {
        const DomNodeList hits = FindDocuments(id);
        if (hits.length() == 0)
            RaiseError(ErrNo::InvalidCall, QStringLiteral("The document is not in the library"));
        for (const DomNode& d : hits)
            d.parentNode().removeChild(d);
        return true;
    });
}

void frmLibrary::UpdateLibraryLocation(const QString& oldName, const QString& newName)
{
    Change("UpdateLibraryLocation", [&] {
        bool changed = false;
        for (const DomNode& d : DocumentElements(m_doc)) {
            DomNode shelf = FieldNode(d, Field::Bookshelf);
            if (shelf && shelf.text().toLower() == oldName.toLower() && shelf.text() != newName) {
                shelf.setText(newName);
                changed = true;
            }
        }
        return changed;
    });
}

void frmLibrary::BuildLibrary(int sortField, bool descending, bool forRecentList)
{
    VariantTable& table = forRecentList ? RecentLibraryTable : LibraryTable;
    int& rows = forRecentList ? RecentLibraryRows : LibraryRows;
    table = VariantTable(0, 6, 0, 0);
    rows = 0;
    GuardedVoid("BuildLibrary", [&] {
        SetStep(QStringLiteral("Build the library table"));
        // Another instance may have changed the file since it was read; a
        // file that cannot be read now leaves the catalogue as it was.
        GuardedVoid("BuildLibrary", [&] {
            if (!m_loaded)
                return;
            QLockFile lock(LibraryPath() + QStringLiteral(".lock"));
            if (!LockCatalogue(lock, 2000))
                return;
            const FileStamp before = m_stamp;
            RefreshIfChanged();
            if (!(before == m_stamp))
                QMetaObject::invokeMethod(this, &frmLibrary::catalogueChanged, Qt::QueuedConnection);
        });
        const std::vector<LibraryEntry> entries = ReadEntries(m_doc);
        const int n = int(entries.size());
        table = VariantTable(0, 6, 0, qMax(n, 1) - 1);
        for (int i = 0; i < n; ++i) {
            const LibraryEntry& e = entries[size_t(i)];
            table(ColTitle, i) = e.title;
            table(ColLocation, i) = e.location;
            table(ColBookshelf, i) = e.bookshelf;
            if (const auto last = LibraryDateKey(e.lastopened))
                table(ColLastOpened, i) = *last;
            bool ok = false;
            const qint64 count = e.timesopened.trimmed().toLongLong(&ok);
            table(ColTimesOpened, i) = ok ? count : qint64(0);
            if (const auto added = LibraryDateKey(e.date))
                table(ColDateAdded, i) = *added;
            table(ColId, i) = e.id;
        }
        rows = n;
        if (n >= 2)
            SortArray(table, {sortField, descending});
    });
}

void frmLibrary::AddDocument(const QString& documentType)
{
    GuardedVoid("AddDocument", [&] {
        SetStep(QStringLiteral("Make the document type a bookshelf"));
        AddShelfName(documentType);
    });
}

int frmLibrary::CountBookShelfUsage(const QString& bookshelf)
{
    return Guarded("CountBookShelfUsage", 0, [&] {
        if (m_loaded) {
            QLockFile lock(LibraryPath() + QStringLiteral(".lock"));
            if (LockCatalogue(lock, 2000))
                RefreshIfChanged();
        }
        int count = 0;
        for (const LibraryEntry& e : ReadEntries(m_doc)) {
            if (e.bookshelf == bookshelf)
                ++count;
        }
        return count;
    });
}

QString frmLibrary::AssignDocumentArchiveClass(const QString& documentType)
{
    return Guarded("AssignDocumentArchiveClass", documentType, [&] {
        if (Opts().AutoArchive != PersonalArchive)
            return documentType;
        const std::optional<QString> chosen = ChooseBookShelf ? ChooseBookShelf() : std::nullopt;
        return chosen ? *chosen : documentType;
    });
}

frmLibrary& Library()
{
    static frmLibrary library;
    return library;
}

QString LibraryDateCellText(const QVariant& cell)
{
    return cell.isValid() ? LibraryDateKeyText(cell.toLongLong()) : QString();
}

QString ShelfNameOf(const QString& documentType)
{
    QString name = documentType;
    name.replace(QLatin1Char(','), QLatin1Char(' '));
    return name.trimmed();
}

QStringList ShelfNames()
{
    QStringList names;
    for (const QString& name : Opts().BookShelfs.split(QLatin1Char(','))) {
        if (!name.trimmed().isEmpty())
            names.append(name);
    }
    return names;
}

bool AddShelfName(const QString& name)
{
    const QString shelf = ShelfNameOf(name);
    if (shelf.isEmpty())
        return false;
    for (const QString& known : ShelfNames()) {
        if (known.compare(shelf, Qt::CaseInsensitive) == 0)
            return false;
    }
    QString& list = Opts().BookShelfs;
    if (!list.isEmpty())
        list += QLatin1Char(',');
    list += shelf;
    SaveOptions();
    return true;
}
