#pragma once

#include "library/LibraryPaths.h"
#include "library/modSort.h"
#include "package/dom/Dom.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

// The library catalogue: every document that was opened or found in the
// library folder, kept in library.xml in the user folder. A never-shown
// window in the old design; here a plain object with the same operations.
//
// Every change locks the file, reads it again when another instance changed
// it since, applies the change and writes the whole file back, so two running
// programs never lose each other's changes. A file that cannot be read is
// reported once and never written over; the program then works without a
// catalogue.

// Columns of the library table. Titles, locations, shelves and ids are text;
// the two dates are milliseconds since the epoch (empty for a date never set
// or not readable) and the count a number, so that they sort as such.
enum LibraryColumn {
    ColTitle = 0,
    ColLocation = 1,
    ColBookshelf = 2,
    ColLastOpened = 3,
    ColTimesOpened = 4,
    ColDateAdded = 5,
    ColId = 6,
};

// One catalogue entry as stored.
struct LibraryEntry {
    QString id;
    QString title;
    QString location;
    QString bookshelf;
    QString lastopened;
    QString timesopened;
    QString date;
};

class frmLibrary : public QObject {
    Q_OBJECT
public:
    frmLibrary();
    ~frmLibrary() override;

    // library.xml in the user folder.
    static QString LibraryPath();

    // Loads the catalogue (made from Default/default.lib when there is none)
    // and checks it against the disk. False when it could not be loaded; the
    // reader was told once.
    bool LoadLibrary();
    // Drops entries whose file is gone from a fixed disk (one message, one
    // save for all), then offers the new documents of the library folder.
    void CheckLibrary();
    bool IsLoaded() const { return m_loaded; }

    // Catalogues a document, or counts one more opening of a known one. The
    // location is stored as a cleaned absolute path. An add-only entry (the
    // folder scan) gets no shelf and no opening; a known id keeps its title
    // and shelf, and takes the new location only when its stored file is gone.
    bool AddLibraryItem(const QString& id, const QString& title, const QString& location, QString& bookshelf,
                        bool addOnly);
    // One more opening of a known document: count and last-opened date.
    bool UpdateLibraryItem(const QString& id);
    // Puts a document on a shelf (empty: on none); not an opening.
    bool SetBookShelf(const QString& id, const QString& bookshelf);
    // Removes every entry of that id; false when there was none.
    bool DeleteLibraryItem(const QString& id);
    // Renames a shelf in every entry (names compared ignoring case).
    void UpdateLibraryLocation(const QString& oldName, const QString& newName);

    // Fills LibraryTable (or RecentLibraryTable) with one row per entry, sorted
    // by sortField (0..5); an empty catalogue gives one empty row.
    void BuildLibrary(int sortField, bool descending, bool forRecentList);
    VariantTable LibraryTable;
    VariantTable RecentLibraryTable;
    // Rows in the table that hold an entry (0 for an empty catalogue).
    int LibraryRows = 0;
    int RecentLibraryRows = 0;

    // Makes a document type a shelf name, unless it is empty or listed.
    void AddDocument(const QString& documentType);
    // Catalogue entries on that shelf.
    int CountBookShelfUsage(const QString& bookshelf);

    // Where a document opened from path is to be catalogued: inside the
    // library folder the path itself; from outside, a copy in the library
    // folder when the options say so or the reader agrees. The copy never
    // replaces another file: a different file of the same name makes it take
    // a free name. When it cannot be made the reader is told and the original
    // path stays. An outside document's type becomes a shelf.
    QString ArchiveDocument(QString& path, const QString& documentType);
    // The shelf for a document type by the archive option; the personal
    // option asks the reader with the bookshelf chooser.
    QString AssignDocumentArchiveClass(const QString& documentType);

    // The entry of an id, as stored.
    std::optional<LibraryEntry> FindEntry(const QString& id);
    // Every entry, in file order.
    std::vector<LibraryEntry> Entries();

    // Opens a new file of the library folder without showing it (the folder
    // scan); the document's facts, or nothing when it could not be read.
    std::function<std::optional<std::array<QString, 8>>(const QString& path)> OpenAddOnly;
    // The bookshelf chooser: the chosen entry's text, nothing when cancelled.
    std::function<std::optional<QString>()> ChooseBookShelf;
    // The mount table the check judges locations by (this machine's when unset).
    std::function<std::vector<MountEntry>()> Mounts;

    // Drops the catalogue from memory (tests start again with LoadLibrary).
    void Unload();

signals:
    // The catalogue changed, here or in another instance: lists built from it are stale.
    void catalogueChanged();

private:
    struct FileStamp {
        qint64 inode = -1;
        qint64 size = -1;
        qint64 mtimeNs = -1;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp StampOf(const QString& path);
    // Runs a change under the file lock on a fresh copy of the file, then saves.
    // change returns whether it changed anything.
    bool Change(const char* procedure, const std::function<bool()>& change);
    // Reads the file again when another instance wrote it since.
    void RefreshIfChanged();
    void ScanLibraryFolder(const std::vector<std::pair<qint64, qint64>>& knownFiles, const QStringList& names);
    DomNodeList FindDocuments(const QString& id) const;
    void Save();

    DomDocument m_doc;
    bool m_loaded = false;
    FileStamp m_stamp;
    QStringList m_knownLocations;
};

// The one catalogue of this process.
frmLibrary& Library();

// Text of a date cell of the library table in the reader's short form; empty when none.
QString LibraryDateCellText(const QVariant& cell);

// A document type as a shelf name: commas (the list separator) become blanks.
QString ShelfNameOf(const QString& documentType);

// Adds a shelf name to the options' list unless it is empty or an entry of
// the list already has that whole name (any letter case); commas become
// blanks. True when added.
bool AddShelfName(const QString& name);
// The shelf names of the options' list, in order.
QStringList ShelfNames();
