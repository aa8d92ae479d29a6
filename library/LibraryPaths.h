#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Paths as the catalogue keeps them, and which of them the start-up check may
// examine: only places on a fixed local disk, so a document on an unplugged
// stick, a disc or a network share keeps its entry.

// The path made absolute (against the current folder) and cleaned of ".",
// ".." and doubled "/"; empty for an empty path.
QString CleanAbsolutePath(const QString& path);

// Whether path lies inside folder, comparing whole components exactly:
// "/lib/a.xml" is inside "/lib", "/lib2/a.xml" is not, nor is "/lib" itself.
bool IsInsideFolder(const QString& path, const QString& folder);

// The names of the regular files in folder, and of links to them, hidden ones
// included, in no order: what QDir lists for Files | Hidden | NoDotAndDotDot,
// read straight from the directory, so a folder of thousands of documents
// costs no look-up per name. Empty when the folder cannot be read.
QStringList RegularFileNames(const QString& folder);

// One mounted file system.
struct MountEntry {
    QString mountPoint;
    QByteArray fsType;
    QString device;         // "major:minor"
    bool removable = false; // the block device (or the disk it is part of) is removable media
};

// The mount table from the text of /proc/self/mountinfo; isRemovable answers
// for a "major:minor" device. Malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(const QByteArray& mountinfo,
                                       const std::function<bool(const QString& device)>& isRemovable);

// This machine's mount table (/proc/self/mountinfo and /sys/dev/block).
std::vector<MountEntry> CurrentMounts();

// The mount holding a cleaned absolute path: the longest mount point it lies
// in or equals; null when none does.
const MountEntry* MountOf(const QString& path, const std::vector<MountEntry>& mounts);

// Whether a file system of this kind and device is a fixed local disk: not
// network, optical or an image, not removable. A RAM disk (tmpfs) counts.
bool IsFixedDisk(const MountEntry& mount);

// Whether the start-up check may examine a location: its cleaned absolute path
// is not under /media, /run/media or /mnt, and the volume of its nearest
// existing folder (links resolved) is a fixed disk by the mount table.
class FixedDiskCheck {
public:
    explicit FixedDiskCheck(std::vector<MountEntry> mounts) : m_mounts(std::move(mounts)) {}
    bool IsExamined(const QString& location);

private:
    std::vector<MountEntry> m_mounts;
    // Answers by folder, since most locations share a few folders.
    std::vector<std::pair<QString, bool>> m_cache;
};
