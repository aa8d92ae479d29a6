#include "app/core/WorkingFolder.h"

#include "app/core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace {

struct HeldFiles {
    QMutex mutex;
    QHash<QString, HeldFile> byPath;
};

HeldFiles& Held()
{
    static HeldFiles held;
    return held;
}

void DropAllHeld()
{
    HeldFiles& held = Held();
    const QMutexLocker lock(&held.mutex);
    held.byPath.clear();
}

} // namespace

void HoldWorkingFile(const QString& path, HeldFile file)
{
    HeldFiles& held = Held();
    const QMutexLocker lock(&held.mutex);
    held.byPath.insert(QFileInfo(path).absoluteFilePath(), std::move(file));
}

void DropHeldWorkingFile(const QString& path)
{
    HeldFiles& held = Held();
    const QMutexLocker lock(&held.mutex);
    held.byPath.remove(QFileInfo(path).absoluteFilePath());
}

HeldFile HeldWorkingFile(const QString& path)
{
    HeldFiles& held = Held();
    const QMutexLocker lock(&held.mutex);
    return held.byPath.value(QFileInfo(path).absoluteFilePath());
}

qint64 WorkingFileSize(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return -1;
    // Held bytes count only while their (empty) stand-in is still there.
    if (const HeldFile held = HeldWorkingFile(path); held && info.size() == 0)
        return qint64(held.size);
    return info.size();
}

PackageKind PackageKindOf(const QString& path)
{
    const QString ext = path.right(3).toUpper();
    if (ext == QLatin1String("ZIP") || ext == QLatin1String("CXB"))
        return PackageKind::Zip;
    if (ext == QLatin1String("EXB") || ext == QLatin1String("EXD"))
        return PackageKind::Encrypted;
    if (ext == QLatin1String("XML"))
        return PackageKind::Xml;
    if (ext == QLatin1String("RTF"))
        return PackageKind::Rtf;
    return PackageKind::Unsupported;
}

bool EmptyWorkingFolder()
{
    DropAllHeld();
    QDir dir(AppPaths::TempDir());
    if (!dir.exists())
        return QDir().mkpath(dir.path());
    bool ok = true;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries)
        ok = QFile::remove(entry.filePath()) && ok;
    return ok;
}

WorkingFolderContents ListWorkingFolder()
{
    WorkingFolderContents contents;
    const QDir dir(AppPaths::TempDir());
    const QStringList names = dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QString ext = name.right(3).toLower();
        if (ext == QLatin1String("xml"))
            contents.xmlFileName = name;
        else if (ext == QLatin1String("css"))
            contents.styleSheets << name;
        else if (ext == QLatin1String("xdf"))
            contents.descriptors << name;
    }
    return contents;
}
