#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <memory>

// The working folder (AppPaths::TempDir()) where a package is unpacked before
// its XML is loaded.

// How a path is handled before loading, by its last three characters in any case.
enum class PackageKind { Zip, Encrypted, Xml, Rtf, Unsupported };
PackageKind PackageKindOf(const QString& path);

// Deletes every file in the working folder (links are removed, never followed)
// and lets go of every held file. Returns false when a file could not be deleted.
bool EmptyWorkingFolder();

// A document unpacked into memory instead of onto disk: writing it out only
// to read it back costs about as much as unpacking it. Its file in the
// working folder exists, empty, so the folder still lists it.
struct HeldFile {
    std::shared_ptr<const char> data;
    size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};
// Holds bytes as the content of the file at path (replacing any held before).
void HoldWorkingFile(const QString& path, HeldFile file);
// Forgets what is held for path.
void DropHeldWorkingFile(const QString& path);
// What is held for path, or nothing.
HeldFile HeldWorkingFile(const QString& path);
// The size of the file at path, its held content counted; -1 when there is none.
qint64 WorkingFileSize(const QString& path);

// What the working folder holds after unpacking, in name order.
struct WorkingFolderContents {
    QString xmlFileName;     // the last .xml file in name order
    QStringList styleSheets; // .css file names
    QStringList descriptors; // .xdf file names
};
WorkingFolderContents ListWorkingFolder();

// Documents larger than this are refused before they are read.
constexpr qint64 MaxDocumentBytes = qint64(1) << 30;
