#pragma once

#include <QString>
#include <array>
#include <functional>
#include <vector>

// From a path to the open document of the run state, without any window: the
// package is unpacked or decrypted into the working folder, the descriptor
// and style sheets read, the XML loaded and numbered, and the document's facts
// gathered. The outcome says what happened; the window turns a failure into
// the reader's message (DocumentOpeningMessages) and shows the document.

enum class OpenResult {
    Opened,        // the load steps ran to the end (add-only: read, not shown)
    NoFile,        // no file at the path: nothing happens
    Unsupported,   // an extension the program does not handle
    TooLarge,      // a plain document beyond MaxDocumentBytes
    CopyFailed,    // the document could not be copied into the working folder
    PackageFailed, // decryption failed or was given up; the reader was told why
    NoXml,         // the working folder holds no XML file
    NotWellFormed, // the XML did not parse; detail holds the parse report
    NoTitle,       // the document names no title
    Failed,        // another error, logged with its step
};

struct OpenOutcome {
    OpenResult result = OpenResult::Failed;
    // An RTF file was named: the reader hears that first, then the load reports no XML.
    bool rtfNotice = false;
    // The parse report (code, reason, line and position) of a document that is not well-formed.
    QString detail;
    // The XML file's name in the working folder, once found.
    QString xmlFileName;
    // The document's facts as read by this open (never those of an earlier document).
    std::array<QString, 8> docInfo;

    bool opened() const { return result == OpenResult::Opened; }
    // Whether the load steps ran, so the caller hands back the facts.
    bool loadStepsRan() const;
};

// Decrypts an encrypted package into the working folder's "_" archive; false
// when it failed or the reader gave up (they were told why).
using DecryptPackage = std::function<bool(const QString& path, bool addOnly)>;

// Unpacks, decrypts or copies path into the working folder by its kind, then
// runs LoadDocumentFromWorkingFolder. A document opened without addOnly is
// numbered and its id set, ready to be shown.
OpenOutcome OpenDocumentFile(const QString& path, bool addOnly, const DecryptPackage& decrypt);

// The load steps on what the working folder holds: style sheets, descriptors,
// the XML, then the document's facts. Per-document state starts fresh.
OpenOutcome LoadDocumentFromWorkingFolder(const QString& path, bool addOnly);

// Puts the per-document part of the run state back to "nothing read yet".
void ResetDocumentState();

// The largest XML document read, plain or unpacked from a package
// (MaxDocumentBytes unless a test sets a smaller one).
qint64 DocumentSizeLimit();
void SetDocumentSizeLimit(qint64 bytes);

// What the reader is told about an outcome, in order; empty when nothing.
struct OpenMessage {
    QString text;
    enum class Icon { None, Exclamation, Critical } icon = Icon::None;
};
std::vector<OpenMessage> DocumentOpeningMessages(const OpenOutcome& outcome, const QString& path);
