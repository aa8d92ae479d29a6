#pragma once

#include <QString>

// Deleting a catalogued document for good: its entry, its usage file and,
// when it lies inside the library folder, its file (to the trash where there
// is one). A document outside the library folder is the reader's own file
// and stays on disk.

enum class RemovalResult {
    Removed,      // entry gone (and the files that were ours)
    DocumentOpen, // the document is open in this window: nothing done
    Failed,       // the entry could not be removed: nothing else done
};

RemovalResult RemoveCataloguedDocument(const QString& id, const QString& location);
