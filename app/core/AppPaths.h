#pragma once

#include <QString>

// Where the program's files live. The data folder holds what ships with the
// program and is read-only; the user folder holds what the program writes.
// Both are resolved once by AppPaths::Init() at start-up.
namespace AppPaths {

// Resolves the folders and creates the user folder and this instance's working folder.
// Data: see FindDataDir. User: $QUILLBOOK_HOME, else $XDG_DATA_HOME/Quillbook.
// Returns false when the user folder cannot be made.
bool Init();
// Init() in two halves, for a start that makes the working folder only once
// its window is up: the folders resolved and the user folder made, then the
// working folder (with the left-overs of other instances removed).
bool InitUserFolder();
bool MakeWorkingFolder();

// Where the data folder is looked for, in this order.
struct DataDirCandidates {
    QString fromEnv;        // $QB_DATA_DIR: used as given, even when it does not exist
    QString executableDir;  // the folder of the running program
    QString buildDir;       // the build tree the program was built in, without links
    QString sourceDataDir;  // data/ of the source tree
    QString installDataDir; // <prefix>/share/quillbook as configured
};

// The data folder: fromEnv when set; the source tree's data/ when the program
// runs from inside its build tree; <executableDir>/../share/quillbook, so that
// a moved install prefix still finds its own data; else the configured install
// folder. A folder counts as data only when it has Languages/ in it.
QString FindDataDir(const DataDirCandidates& where);

// Read-only data folder, without a trailing slash.
QString DataDir();
// Writable user folder, without a trailing slash.
QString UserDir();
// The working folder where packages are unpacked: one per running instance,
// UserDir()/temp/<pid>-<random>, made by Init() (or MakeWorkingFolder()) and
// removed at exit; it also removes those of instances that no longer run.
// Before that: UserDir()/temp.
QString TempDir();
// Removes the working folders of instances that no longer run (done by Init()).
void RemoveLeftOverWorkingFolders();
// One folder per document usage file (UserDir()/DUF).
QString DufDir();
// The error log (UserDir()/quillbook.err).
QString ErrorLogPath();
// Data sub-folders.
QString LanguagesDir();
QString DefaultDir();
QString CssDir();
// The bundled sample documents.
QString SamplesDir();
// The cue sounds (BeginDocument.wav, Navigate.wav, ...).
QString SoundsDir();
// The module that plays them: in the installed program's library folder, or
// beside a program of this build tree; empty when there is none.
QString SoundModulePath();

} // namespace AppPaths
