#pragma once

#include <QString>
#include <QStringList>

// Which style sheet a document is shown with.
//
// The run state's StyleSheets holds, in this order, the sheets of the package
// (the first StyleSheetCount entries, put there by document opening), the
// system sheets of the data folder's CSS folder, and at most one personal copy
// from the user folder's DUF folder. The reader may make the sheet in use the
// default for the current document (the usage file's "css" element), for all
// documents of its type (setting "CSS" + type) or for all documents (setting
// "DefaultCSS"); each such choice names a personal copy of the sheet in the DUF
// folder. The narrowest choice wins; without any, the document type's default
// sheet (XdfDefaultCss) is used, else the first sheet.
// Entries are numbered from 1, as LoadCSS numbers them.

// The reach of a personal default, from the narrowest to the widest; the
// numbers are those of the dialog's option buttons.
enum class StyleScope { Document = 0, DocumentType = 1, AllDocuments = 2 };

// Gathers the sheets as above, chooses one, reads it into the style table and
// makes it the sheet in use. Runs again from the package's sheets each time, so
// calling it twice lists nothing twice. A chosen personal copy that is missing
// is logged and the choice falls back as if there were none. Returns the chosen
// entry (1 also when there is no sheet at all: then the defaults are in force).
int LoadAndSetStyleSheets();

// The View menu's captions for entries 1 to n: each sheet's name with every
// "_" shown as a space.
QStringList StyleSheetCaptions();

// The entry in use (the one checked in the menu); 0 before any choice.
int StyleSheetInUse();

// Reads entry index into the style table and makes it the one in use; false
// when it could not be read (the defaults are then in force).
bool SelectStyleSheet(int index);

// The stored choices: file names of personal copies, empty when not made.
QString DocumentStyleChoice();
QString TypeStyleChoice();
QString AllDocumentsStyleChoice();

// Writes fileName as the current document's choice into its usage file (the
// "css" element under the root, made when missing) and saves the file; an empty
// fileName removes the element. Logged when no usage file is open.
void DefaultCss(const QString& fileName);

// The personal copy's file name for a scope: the document's file stem
// (DocumentFileStem), the type's stem and " (type)", or "(all documents)",
// followed by ".css"; no two scopes or documents share a name. Empty for the type scope of
// a document without a type.
QString PersonalCopyName(StyleScope scope);

// Makes the sheet in use the default for scope: writes its text to the personal
// copy in the DUF folder, then stores the choice. False (and logged) on failure.
bool SaveDefaultStyleSheet(StyleScope scope);

// Removes the scope's choice and deletes its personal copy, then chooses again
// (LoadAndSetStyleSheets). False (and logged) on failure.
bool RemoveDefaultStyleSheet(StyleScope scope);
