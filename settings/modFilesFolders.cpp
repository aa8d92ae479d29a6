#include "settings/modFilesFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStringDecoder>

#include <array>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five unassigned
// bytes keep their C1 code points, as the platform's own conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeCp1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

// "*" matches any run of characters, "?" exactly one; everything else itself.
bool WildcardMatch(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

bool IsNetworkFileSystem(const QByteArray& type)
{
    static const QByteArrayList kNetwork = {"cifs",  "ncpfs",       "afs",        "9p",
                                            "ceph",  "sshfs",       "fuse.sshfs", "fuse.rclone",
                                            "davfs", "fuse.davfs2", "glusterfs",  "fuse.glusterfs"};
    return type.startsWith("nfs") || type.startsWith("smb") || kNetwork.contains(type);
}

bool IsUnder(const QString& root, const QString& folder)
{
    return root == folder || root.startsWith(folder + QLatin1Char('/'));
}

// The old drive-type numbers, as near as a Linux mount allows; 0 for a volume never listed.
int DriveType(const QStorageInfo& volume)
{
    const QByteArray type = volume.fileSystemType();
    const QString root = volume.rootPath();
    if (IsNetworkFileSystem(type))
        return 0;
    if (type == "iso9660" || type == "udf" || type == "squashfs")
        return 5;
    if (type == "tmpfs" || type == "ramfs")
        return 6;
    if (IsUnder(root, QStringLiteral("/media")) || IsUnder(root, QStringLiteral("/run/media")) ||
        IsUnder(root, QStringLiteral("/mnt")))
        return 2;
    return 3;
}

} // namespace

QString DecodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    return DecodeCp1252(bytes);
}

QStringList SplitLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    QString pattern = path.mid(slash + 1);
    if (!pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?'))) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    }
    if (pattern == QLatin1String("*.*"))
        pattern = QStringLiteral("*");
    const QString folder = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : entries) {
        if (WildcardMatch(pattern, name))
            return true;
    }
    return false;
}

QString ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return DecodeText(file.readAll());
}

QString GetSpecialFolder(int id)
{
    QStandardPaths::StandardLocation location;
    switch (id) {
    case 0:  // desktop
    case 16: // desktop folder
        location = QStandardPaths::DesktopLocation;
        break;
    case 5: // documents
        location = QStandardPaths::DocumentsLocation;
        break;
    case 13: // music
        location = QStandardPaths::MusicLocation;
        break;
    case 14: // videos
        location = QStandardPaths::MoviesLocation;
        break;
    case 26: // per-user application data
    case 28: // local application data
        location = QStandardPaths::GenericDataLocation;
        break;
    case 39: // pictures
        location = QStandardPaths::PicturesLocation;
        break;
    case 40: // the user's home
        location = QStandardPaths::HomeLocation;
        break;
    default:
        return {};
    }
    return QStandardPaths::writableLocation(location);
}

QString GetDrives(const QString& filter)
{
    const QString wanted = filter.toLower();
    const bool all = wanted == QLatin1String("all");
    bool isNumber = false;
    const int type = wanted.toInt(&isNumber);
    if (!all && !isNumber)
        return {};
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const int driveType = DriveType(volume);
        if (driveType == 0 || (!all && driveType != type))
            continue;
        if (!roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    return roots.join(QLatin1Char(';'));
}

QString GetVolumeLabel(const QString& root)
{
    if (root.isEmpty())
        return {};
    const QString cleanRoot = QDir::cleanPath(root);
    const QStorageInfo volume(cleanRoot);
    if (!volume.isValid() || !volume.isReady() || volume.rootPath() != cleanRoot)
        return {};
    const QString label = volume.name();
    return label.isEmpty() ? QStringLiteral("[no label]") : QLatin1Char('[') + label + QLatin1Char(']');
}

QString ListSubfolders(const QString& path)
{
    return SubfolderNames(path).join(QLatin1Char(';'));
}

QStringList SubfolderNames(const QString& path)
{
    if (path.isEmpty())
        return {};
    // Sorted by name so the list is the same on every file system.
    return QDir(path).entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Name | QDir::IgnoreCase);
}

QString GetLongFileName(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QFileInfo(path).canonicalFilePath();
}

QString ParseDir(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return path;
    // A root-level entry's folder is the root itself, as "C:" stayed "C:".
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

QString StripAtNull(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString NextNullItem(QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul < 0)
        return {};
    const QString item = text.left(nul);
    text.remove(0, nul + 1);
    return item;
}
