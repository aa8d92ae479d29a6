#pragma once

#include "package/dom/Dom.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

// The last-read bookmark of a usage file, as text: empty fields were never written.
struct LastReadBookmark {
    QString date;     // "bmk-date"
    QString id;       // "bmk-id": the location id, "00307"
    QString position; // "bmk-position": the caret, or empty outside the text
    bool present = false;
};

// One document usage file on disk and its DOM. Every change is a
// read-modify-write under a lock file beside it: the file is read again first
// when anyone else wrote it since this instance last read or wrote it, so two
// programs with the same document open keep each other's marks. Saving
// replaces the file atomically; a file that cannot be read is never written
// over or deleted.
class UsageFile {
public:
    enum class Opening { Opened, Created, Damaged, Failed };
    struct OpenOutcome {
        Opening result = Opening::Failed;
        int errorNumber = 0; // why a damaged file did not load
        QString description;
    };

    UsageFile();

    // Loads path, first copying the template there byte for byte when there is
    // no file yet (a missing template gives a minimal file, logged).
    OpenOutcome Open(const QString& path, const QString& templatePath);
    // Takes over a DOM made elsewhere as the content of path (nothing is read).
    void Adopt(const std::shared_ptr<DomDocument>& document, const QString& path);
    void Close();
    bool isOpen() const { return m_document != nullptr; }
    const QString& path() const { return m_path; }
    const std::shared_ptr<DomDocument>& document() const { return m_document; }

    // Runs change on the root element of the current file, then saves. False
    // (logged) when the lock could not be had, the file changed into something
    // unreadable, or the save failed; the file on disk is then as it was.
    bool Change(const std::function<void(DomNode& root)>& change);
    // Reads the file again when another program changed it; false when that failed.
    bool Refresh();

    // Moves a damaged file aside, keeping it, so a fresh one can be made; the
    // new name, or empty on failure.
    QString SetAside();

    // The first last-read bookmark (id 0), or an absent one.
    LastReadBookmark LastRead() const;
    // Writes the date, location id and position into the first last-read
    // bookmark, making one when there is none, and saves.
    bool SaveLastRead(const QString& date, const QString& locationId, const QString& position);

    // What a fresh usage file holds when the template is missing.
    static QByteArray BuiltInTemplate();

    // How long a change waits for another program's lock.
    static constexpr int LockTimeoutMs = 5000;

private:
    struct Stamp {
        bool exists = false;
        int64_t size = 0;
        int64_t modified = 0; // nanoseconds
        uint64_t inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp DiskStamp() const;
    bool Reload();
    void RemoveLeftOverSaves() const;

    QString m_path;
    std::shared_ptr<DomDocument> m_document;
    Stamp m_stamp;
};

// The first last-read bookmark (id 0) of a usage file's DOM, or an absent one.
LastReadBookmark ReadLastReadBookmark(const DomDocument& document);
// Writes date, location id and position into the first last-read bookmark
// below root's document, making the bookmark or its missing children as needed.
void SetLastReadBookmark(DomNode& root, const QString& date, const QString& locationId, const QString& position);

// The usage file of the open document; Run().DufDoc is its DOM.
UsageFile& DocumentUsageFile();

// A change to the open document's usage file. When the run state's DufDoc was
// set by other means, that DOM is taken over as the file of DocumentId first.
// False (logged) when there is no usage file or the change could not be saved.
bool ChangeDocumentUsageFile(const std::function<void(DomNode& root)>& change);
