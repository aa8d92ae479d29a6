#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Unpacking a ZIP package (.zip, .cxb) into the working folder.
//
// Every member lands directly in the target folder: folder paths inside the
// archive are dropped. All members are checked before anything is written; a
// package with an unsafe member (empty, absolute or drive-prefixed name, a ".."
// component, a link or a device) or one beyond the size limits is refused
// whole. Outputs are created with O_EXCL|O_NOFOLLOW inside the target folder,
// so nothing is ever written outside it or through a link.
//
// Questions go through the Prompter: "Overwrite <name>?" (Yes overwrites, No
// keeps the existing file, Cancel keeps it and every later one) when two
// members share a name, and "Please Enter The Password!" for a
// password-protected member; an empty answer gives up password questions for
// the rest of the run. A non-zero result is shown as "Uncompress error: <code>"
// with the reason.

// Result codes; 0 is success.
namespace UnzipCode {
constexpr int Ok = 0;
constexpr int MemberDamaged = 2;    // a member failed its check; that member was not kept
constexpr int ArchiveDamaged = 3;   // not a ZIP archive, truncated or inconsistent; nothing unpacked
constexpr int NotFound = 9;         // the archive cannot be opened
constexpr int DiskFull = 50;        // the target folder ran out of space; everything unpacked removed
constexpr int WriteFailed = 51;     // a file could not be written; everything unpacked removed
constexpr int UnsafeMember = 60;    // a member may not be unpacked; nothing unpacked
constexpr int TooLarge = 61;        // beyond the size limits; everything unpacked removed
constexpr int Unsupported = 81;     // a member's compression or encryption is not supported; not kept
constexpr int PasswordMissing = 82; // a protected member was not unpacked: no or wrong password
} // namespace UnzipCode

// Bounds against decompression bombs, generous for a newspaper with images.
struct UnzipLimits {
    int64_t maxMembers = 10'000;
    int64_t maxTotalBytes = int64_t(2) << 30;   // declared and actually written, all members
    int64_t ratioCheckAbove = int64_t(1) << 20; // members larger than this ...
    int64_t maxRatio = 200;                     // ... may not expand more than this
    // Not a bound: a large .xml member unpacked whole stays in memory, held by
    // the working folder (HoldWorkingFile), and its file is left empty.
    bool holdLargeXml = false;
};

struct UnzipResult {
    int code = UnzipCode::Ok;
    QString reason;      // for the reader, from the language file; empty on success
    QString detail;      // technical detail for the error log and tests
    QStringList written; // file names created in the target folder, in archive order
    bool ok() const { return code == UnzipCode::Ok; }
};

// Unpacks Run().UnzipZipFile into Run().UnzipExtractDir and shows a non-zero result.
UnzipResult Unzip();

// Unpacks zipFile into extractDir (which must exist); the same questions and message.
UnzipResult Unzip(const QString& zipFile, const QString& extractDir, const UnzipLimits& limits = {});

// Whether the reader gave up password questions in this run.
bool UnzipPasswordGivenUp();
// Asks for passwords again (tests).
void ResetUnzipPasswordPrompt();
