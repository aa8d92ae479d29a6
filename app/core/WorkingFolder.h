#pragma once

#include <QString>
#include <QStringList>

// The working folder (AppPaths::TempDir()) where a package is unpacked before
// its XML is loaded.

// How a path is handled before loading, by its last three characters in any case.
enum class PackageKind { Zip, Encrypted, Xml, Rtf, Unsupported };
PackageKind PackageKindOf(const QString& path);

// Deletes every file in the working folder (links are removed, never followed).
// Returns false when a file could not be deleted.
bool EmptyWorkingFolder();

// What the working folder holds after unpacking, in name order.
struct WorkingFolderContents {
    QString xmlFileName;        // the last .xml file in name order
    QStringList styleSheets;    // .css file names
    QStringList descriptors;    // .xdf file names
};
WorkingFolderContents ListWorkingFolder();

// Documents larger than this are refused before they are read.
constexpr qint64 MaxDocumentBytes = qint64(1) << 30;
