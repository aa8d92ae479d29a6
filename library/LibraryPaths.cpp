#include "library/LibraryPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

QString CleanAbsolutePath(const QString& path)
{
    if (path.isEmpty())
        return {};
    // Most stored paths are clean already; the check meets thousands of them.
    if (path.startsWith(QLatin1Char('/')) && !path.contains(QLatin1String("//")) &&
        !path.contains(QLatin1String("/./")) && !path.contains(QLatin1String("/../")) &&
        !path.endsWith(QLatin1String("/.")) && !path.endsWith(QLatin1String("/..")) &&
        (path.size() == 1 || !path.endsWith(QLatin1Char('/'))))
        return path;
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

namespace {

// Whether path lies inside folder (see IsInsideFolder), with nothing made on
// the way: the check asks this of every location.
template <typename Folder> bool Inside(const QString& path, Folder folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    const bool slash = folder.endsWith(QLatin1Char('/'));
    const qsizetype base = folder.size() + (slash ? 0 : 1);
    return path.size() > base && path.startsWith(folder, Qt::CaseSensitive) &&
           (slash || path.at(folder.size()) == QLatin1Char('/'));
}

} // namespace

bool IsInsideFolder(const QString& path, const QString& folder)
{
    return Inside(path, folder);
}

QStringList RegularFileNames(const QString& folder)
{
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        bool regular = entry->d_type == DT_REG;
        // A link counts for what it leads to; some file systems do not say the type at all.
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            regular = ::fstatat(fd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (regular)
            names.append(QFile::decodeName(name));
    }
    ::closedir(dir);
    return names;
}

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as octal.
QString Unescape(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3') {
            bool ok = false;
            const int c = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(c));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QString::fromUtf8(out);
}

bool IsNetwork(const QByteArray& type)
{
    static const QByteArrayList kNetwork = {"cifs",  "ncpfs",       "afs",        "9p",
                                            "ceph",  "sshfs",       "fuse.sshfs", "fuse.rclone",
                                            "davfs", "fuse.davfs2", "glusterfs",  "fuse.glusterfs"};
    return type.startsWith("nfs") || type.startsWith("smb") || kNetwork.contains(type);
}

bool IsUnderAny(const QString& path, std::initializer_list<const char*> roots)
{
    for (const char* root : roots) {
        const QLatin1String r(root);
        if (path == r || Inside(path, r))
            return true;
    }
    return false;
}

bool SysRemovable(const QString& device)
{
    // A partition's own folder has no "removable"; its disk is the folder above.
    const QString dev = QFileInfo(QStringLiteral("/sys/dev/block/") + device).canonicalFilePath();
    if (dev.isEmpty())
        return false;
    for (const QString& folder : {dev, QFileInfo(dev).path()}) {
        QFile f(folder + QStringLiteral("/removable"));
        if (f.open(QIODevice::ReadOnly))
            return f.readAll().trimmed() == "1";
    }
    return false;
}

} // namespace

std::vector<MountEntry> ParseMountInfo(const QByteArray& mountinfo,
                                       const std::function<bool(const QString& device)>& isRemovable)
{
    std::vector<MountEntry> mounts;
    for (const QByteArray& line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 7 || dash < 6 || dash + 1 >= fields.size())
            continue;
        MountEntry m;
        m.device = QString::fromLatin1(fields[2]);
        m.mountPoint = Unescape(fields[4]);
        m.fsType = fields[dash + 1];
        if (!m.mountPoint.startsWith(QLatin1Char('/')))
            continue;
        m.removable = isRemovable && isRemovable(m.device);
        mounts.push_back(std::move(m));
    }
    return mounts;
}

std::vector<MountEntry> CurrentMounts()
{
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return ParseMountInfo(f.readAll(), SysRemovable);
}

const MountEntry* MountOf(const QString& path, const std::vector<MountEntry>& mounts)
{
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts) {
        const bool holds =
            m.mountPoint == QLatin1String("/") || path == m.mountPoint || IsInsideFolder(path, m.mountPoint);
        // Equal points: the later mount hides the earlier one.
        if (holds && (!best || m.mountPoint.size() >= best->mountPoint.size()))
            best = &m;
    }
    return best;
}

bool IsFixedDisk(const MountEntry& mount)
{
    const QByteArray& t = mount.fsType;
    if (IsNetwork(t) || t == "iso9660" || t == "udf" || t == "squashfs" || t.startsWith("fuse") || t == "autofs")
        return false;
    if (mount.removable)
        return false;
    return !IsUnderAny(mount.mountPoint, {"/media", "/run/media", "/mnt"});
}

bool FixedDiskCheck::IsExamined(const QString& location)
{
    const QString path = CleanAbsolutePath(location);
    if (path.isEmpty() || IsUnderAny(path, {"/media", "/run/media", "/mnt"}))
        return false;
    const QStringView folderView = QStringView(path).left(qMax<qsizetype>(1, path.lastIndexOf(QLatin1Char('/'))));
    for (const auto& [known, answer] : m_cache) {
        if (known == folderView)
            return answer;
    }
    const QString folder = folderView.toString();
    // The nearest folder that exists, with its links resolved, says which volume it is.
    QString existing = folder;
    QString real;
    while (true) {
        real = QFileInfo(existing).canonicalFilePath();
        if (!real.isEmpty() || existing == QLatin1String("/"))
            break;
        existing = QFileInfo(existing).path();
    }
    bool answer = false;
    if (!real.isEmpty() && !IsUnderAny(real, {"/media", "/run/media", "/mnt"})) {
        const MountEntry* mount = MountOf(real, m_mounts);
        answer = mount && IsFixedDisk(*mount);
    }
    if (m_cache.size() > 64)
        m_cache.erase(m_cache.begin());
    m_cache.emplace_back(folder, answer);
    return answer;
}
