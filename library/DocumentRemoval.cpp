#include "library/DocumentRemoval.h"

#include "app/core/DocumentFiles.h"
#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "library/frmLibrary.h"
#include "settings/Options.h"

#include <QFile>
#include <QFileInfo>

RemovalResult RemoveCataloguedDocument(const QString& id, const QString& location)
{
    const RunState& rs = Run();
    if (rs.DocumentOpen && rs.DocumentId == id)
        return RemovalResult::DocumentOpen;
    if (!Library().DeleteLibraryItem(id))
        return RemovalResult::Failed;
    GuardedVoid("RemoveCataloguedDocument", [&] {
        SetStep(QStringLiteral("Delete the usage file"));
        const QString usage = UsageFilePathFor(id);
        if (QFileInfo::exists(usage))
            QFile::remove(usage);
        SetStep(QStringLiteral("Delete the document file"));
        const QString path = CleanAbsolutePath(location);
        const QString folder = CleanAbsolutePath(Opts().LibraryLocation);
        if (!IsInsideFolder(path, folder) || !QFileInfo(path).isFile())
            return;
        if (!QFile::moveToTrash(path) && !QFile::remove(path))
            RaiseError(ErrNo::PathFileAccess, QStringLiteral("The document file could not be deleted"));
    });
    return RemovalResult::Removed;
}
