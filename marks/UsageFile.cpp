#include "marks/UsageFile.h"

#include "app/core/DocumentFiles.h"
#include "app/core/ErrorConvention.h"
#include "app/core/ErrorLog.h"
#include "app/core/RunState.h"
#include "package/modXML.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <sys/stat.h>

namespace {

const QLatin1String kBookmark("bookmark");
const QLatin1String kDate("bmk-date");
const QLatin1String kId("bmk-id");
const QLatin1String kPosition("bmk-position");

bool IsLastReadBookmark(const DomNode& node)
{
    return node.nodeType() == DomNodeType::Element && node.nodeName() == kBookmark &&
           node.getAttribute(QStringLiteral("id")) == QLatin1String("0");
}

// The first last-read bookmark in document order. The program writes it as
// the root's first element, so that is looked at before the whole file.
DomNode FirstLastReadBookmark(const DomDocument& document)
{
    const DomNode root = document.documentElement();
    for (DomNode child = root.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.nodeType() != DomNodeType::Element)
            continue;
        if (IsLastReadBookmark(child))
            return child; // nothing comes before the root's first element
        break;
    }
    // One query, not a walk over every bookmark: a usage file may hold thousands.
    for (const DomNode& node : document.selectNodes(QStringLiteral("//bookmark[@id='0']"))) {
        if (IsLastReadBookmark(node))
            return node;
    }
    return {};
}

void WriteNewFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        RaiseError(ErrNo::PathFileAccess,
                   QStringLiteral("Path/File access error: %1: %2").arg(path, file.errorString()));
}

// Holds the usage file's lock for one read-modify-write.
class UsageLock {
public:
    // A reader may go on without the lock (readOnly) when the folder takes no lock file at all.
    explicit UsageLock(const QString& path, bool readOnly = false) : m_lock(path + QStringLiteral(".lock"))
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_lock.tryLock(100)) {
            if (readOnly && m_lock.error() == QLockFile::PermissionError) {
                LogError(QStringLiteral("OpenUsageFile"), Run().CurrentStep, ErrNo::PathFileAccess,
                         QStringLiteral("Path/File access error: no lock beside ") + path);
                return;
            }
            // A program killed before it wrote its name into the lock leaves a lock that names nobody.
            qint64 pid = 0;
            QString host, application;
            const QFileInfo lock(path + QStringLiteral(".lock"));
            if (!m_lock.getLockInfo(&pid, &host, &application) && lock.exists() &&
                lock.lastModified().msecsTo(QDateTime::currentDateTime()) > 1000)
                m_lock.removeStaleLockFile();
            if (waited.elapsed() > UsageFile::LockTimeoutMs)
                RaiseError(ErrNo::PathFileAccess,
                           QStringLiteral("The usage file is in use by another program: ") + path);
        }
    }

private:
    QLockFile m_lock;
};

} // namespace

UsageFile::UsageFile() = default;

QByteArray UsageFile::BuiltInTemplate()
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"
                             "<usage>\r\n"
                             "\t<bookmark id=\"0\" type=\"auto\">\r\n"
                             "\t\t<bmk-date></bmk-date>\r\n"
                             "\t\t<bmk-id></bmk-id>\r\n"
                             "\t\t<bmk-position></bmk-position>\r\n"
                             "\t</bookmark>\r\n"
                             "</usage>\r\n");
}

UsageFile::Stamp UsageFile::DiskStamp() const
{
    struct stat info {};
    if (::stat(QFile::encodeName(m_path).constData(), &info) != 0)
        return {};
    Stamp stamp;
    stamp.exists = true;
    stamp.size = info.st_size;
    stamp.modified = int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    stamp.inode = info.st_ino;
    return stamp;
}

UsageFile::OpenOutcome UsageFile::Open(const QString& path, const QString& templatePath)
{
    Close();
    OpenOutcome outcome;
    GuardedVoid("OpenUsageFile", [&] {
        m_path = path;
        SetStep(QStringLiteral("Create the folder of the usage files"));
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            RaiseError(ErrNo::PathFileAccess,
                       QStringLiteral("Path/File access error: ") + QFileInfo(path).absolutePath());

        UsageLock lock(path, QFileInfo::exists(path));
        bool created = false;
        if (!QFileInfo::exists(path)) {
            SetStep(QStringLiteral("Copy the template of the usage file"));
            QFile templateFile(templatePath);
            QByteArray bytes;
            if (templateFile.open(QIODevice::ReadOnly)) {
                bytes = templateFile.readAll();
            } else {
                // The reader can still read; only the shipped template's extras are missing.
                LogError(QStringLiteral("OpenUsageFile"), Run().CurrentStep, ErrNo::FileNotFound,
                         QStringLiteral("File not found: ") + templatePath);
                bytes = BuiltInTemplate();
            }
            WriteNewFile(path, bytes);
            created = true;
        }

        SetStep(QStringLiteral("Load the usage file"));
        auto document = std::make_shared<DomDocument>();
        const Stamp stamp = DiskStamp();
        if (!document->load(path)) {
            outcome.result = Opening::Damaged;
            outcome.errorNumber = document->parseError().errorCode;
            outcome.description = document->parseError().reason;
            return;
        }
        m_document = document;
        m_stamp = stamp;
        outcome.result = created ? Opening::Created : Opening::Opened;
    });
    return outcome;
}

void UsageFile::Adopt(const std::shared_ptr<DomDocument>& document, const QString& path)
{
    m_document = document;
    m_path = path;
    // What is in memory is taken as what the file holds.
    m_stamp = DiskStamp();
}

void UsageFile::Close()
{
    m_document.reset();
    m_path.clear();
    m_stamp = {};
}

bool UsageFile::Reload()
{
    const Stamp stamp = DiskStamp();
    if (!m_document->load(m_path))
        RaiseError(ErrNo::PathFileAccess, QStringLiteral("The usage file changed and cannot be read: %1: %2")
                                              .arg(m_path, m_document->parseError().reason));
    m_stamp = stamp;
    return true;
}

bool UsageFile::Refresh()
{
    return GuardedVoid("RefreshUsageFile", [&] {
        if (!m_document)
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: no usage file"));
        UsageLock lock(m_path);
        const Stamp now = DiskStamp();
        if (now.exists && now != m_stamp)
            Reload();
    });
}

void UsageFile::RemoveLeftOverSaves() const
{
    // Only a writer that was killed while saving leaves these; the lock says none is saving now.
    const QFileInfo target(m_path);
    const QRegularExpression leftOver(
        QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(target.fileName())));
    const QDir folder = target.absoluteDir();
    for (const QString& name :
         folder.entryList({target.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden)) {
        if (leftOver.match(name).hasMatch())
            QFile::remove(folder.filePath(name));
    }
}

bool UsageFile::Change(const std::function<void(DomNode& root)>& change)
{
    bool changed = false;
    const bool ran = GuardedVoid("SaveUsageFile", [&] {
        if (!m_document)
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: no usage file"));
        SetStep(QStringLiteral("Lock the usage file"));
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        UsageLock lock(m_path);
        const Stamp now = DiskStamp();
        if (now.exists && now != m_stamp) {
            SetStep(QStringLiteral("Read the usage file again"));
            Reload();
        }
        DomNode root = m_document->documentElement();
        if (root.isNull())
            RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: the usage file has no root"));
        // Until the save succeeds the DOM may differ from the file: the next change reads it again.
        m_stamp = {};
        change(root);
        SetStep(QStringLiteral("Save the usage file"));
        RemoveLeftOverSaves();
        if (!SaveFormattedXML(root, m_path))
            RaiseError(ErrNo::PathFileAccess, QStringLiteral("The usage file could not be saved: ") + m_path);
        m_stamp = DiskStamp();
        changed = true;
    });
    return ran && changed;
}

QString UsageFile::SetAside()
{
    QString aside;
    GuardedVoid("SetAsideUsageFile", [&] {
        SetStep(QStringLiteral("Move the damaged usage file aside"));
        UsageLock lock(m_path);
        const QString base = m_path + QStringLiteral(".damaged-") +
                             QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString candidate = base;
        for (int n = 2; QFileInfo::exists(candidate); ++n)
            candidate = base + QLatin1Char('-') + QString::number(n);
        if (!QFile::rename(m_path, candidate))
            RaiseError(ErrNo::PathFileAccess, QStringLiteral("Path/File access error: ") + m_path);
        aside = candidate;
    });
    return aside;
}

LastReadBookmark UsageFile::LastRead() const
{
    return m_document ? ReadLastReadBookmark(*m_document) : LastReadBookmark();
}

bool UsageFile::SaveLastRead(const QString& date, const QString& locationId, const QString& position)
{
    return Change([&](DomNode& root) { SetLastReadBookmark(root, date, locationId, position); });
}

LastReadBookmark ReadLastReadBookmark(const DomDocument& document)
{
    LastReadBookmark bookmark;
    const DomNode found = FirstLastReadBookmark(document);
    if (found.isNull())
        return bookmark;
    bookmark.present = true;
    // The walk stops at an empty date: nothing was ever saved there.
    for (const DomNode& child : found.childNodes()) {
        if (child.nodeType() != DomNodeType::Element)
            continue;
        const QString name = child.nodeName().toLower();
        if (name == kDate) {
            bookmark.date = child.text();
            if (bookmark.date.isEmpty())
                break;
        } else if (name == kId) {
            bookmark.id = child.text();
        } else if (name == kPosition) {
            bookmark.position = child.text();
        }
    }
    return bookmark;
}

void SetLastReadBookmark(DomNode& root, const QString& date, const QString& locationId, const QString& position)
{
    DomDocument document = root.ownerDocument();
    // With more than one (a hand edit) the first is the one read back, so that is the one kept up to date.
    DomNode bookmark = FirstLastReadBookmark(document);
    if (bookmark.isNull()) {
        bookmark = root.appendChild(document.createElement(kBookmark));
        bookmark.setAttribute(QStringLiteral("type"), QStringLiteral("auto"));
        bookmark.setAttribute(QStringLiteral("id"), QStringLiteral("0"));
    }
    const std::pair<QLatin1String, QString> values[] = {{kDate, date}, {kId, locationId}, {kPosition, position}};
    for (const auto& [name, value] : values) {
        DomNode element;
        for (const DomNode& child : bookmark.childNodes()) {
            if (child.nodeType() == DomNodeType::Element && child.nodeName().compare(name, Qt::CaseInsensitive) == 0) {
                element = child;
                break;
            }
        }
        // A bookmark without its children (an empty one in a template) gets them, in order.
        if (element.isNull())
            element = bookmark.appendChild(document.createElement(name));
        element.setText(value);
    }
}

UsageFile& DocumentUsageFile()
{
    static UsageFile file;
    return file;
}

bool ChangeDocumentUsageFile(const std::function<void(DomNode& root)>& change)
{
    const RunState& rs = Run();
    UsageFile& file = DocumentUsageFile();
    if (!rs.DufDoc) {
        LogError(QStringLiteral("ChangeDocumentUsageFile"), rs.CurrentStep, ErrNo::NoObject,
                 QStringLiteral("Object variable not set: no usage file"));
        return false;
    }
    if (file.document() != rs.DufDoc)
        file.Adopt(rs.DufDoc, UsageFilePathFor(rs.DocumentId));
    return file.Change(change);
}
