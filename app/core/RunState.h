#pragma once

#include "package/dom/Dom.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

// The program's run state: the open document, its descriptor values, where the
// reader is and the mode flags. One instance lives for the whole run (Run());
// the main window and the dialogs read and write it directly.

// One style sheet found in a package: its name (file name without ".css") and its whole text.
struct PackageStyleSheet {
    QString name;
    QString text;
};

struct RunState {
    DomDocument XmlDoc;
    std::shared_ptr<DomDocument> DufDoc; // none while no usage file is open
    DomDocument CopyPasteDoc;            // the copy-paste collection, loaded at start-up

    // 0 identifier, 1 title, 2 document type, 3 subtitle, 4 edition, 5 author,
    // 6 publisher, 7 publication date.
    std::array<QString, 8> DocInfo;
    QString DocumentId;
    QString XmlFileName;

    // Style sheets of the package, in the order they were found (entry 1 of the sheet list is StyleSheets[0]).
    std::vector<PackageStyleSheet> StyleSheets;
    int16_t StyleSheetCount = 0;

    // Descriptor values.
    QString XdfDocIdTag;
    QString XdfDocTitleTag;
    QString XdfDocTypeTag;
    QString XdfDocSubTitleTag;
    QString XdfDocEditionTag;
    QString XdfDocAuthorTag;
    QString XdfDocPublisherTag;
    QString XdfDocPublicationDateTag;
    std::array<QString, 7> XdfNavLevel; // index 1..6 used
    QString XdfDefaultCss;

    int16_t NavLevelCount = 0;
    // -1 no document, 0 search results, 1..6 a navigation level, 9 the text.
    int16_t CurrentLevel = -1;
    int32_t LastReadPosition = -1;
    bool DocumentOpen = false;
    bool ArchiveOnOpen = false;
    bool HasPageNumbers = false;
    bool GlobalSearchMode = false;
    bool PersonalInterestMode = false;
    bool LocalSearchMode = false;

    QString CurrentStep;
    DomNode CurrentNode;
    DomNodeList CurrentNodeList;

    QString UnzipZipFile;
    QString UnzipExtractDir;

    // Main window: discard the next key release (set when a modal question closes).
    bool IgnoreNextKeyUp = false;

    // The selected index of navigation list `level` (for the error log); set by
    // whoever owns the lists. Answers -1 while nobody does.
    std::function<int(int level)> NavListIndex;
};

// The one run state of this process.
RunState& Run();
// Puts the run state back to its start-up values (used by tests).
void ResetRunState();
