#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File and folder helpers. They report no errors of their own: a failing
// file-system call gives false, empty text or an empty list.
// Paths use "/" throughout.

// True when the path names a file or folder; "*" and "?" in the last component
// match entries of its folder, as a directory search would ("*.*" matches every name).
bool FileExists(const QString& path);

// The whole file as text (see DecodeText); empty when it cannot be read.
QString ReadWholeFile(const QString& path);

// Text file bytes as text: UTF-8 when the bytes are valid UTF-8 (a leading
// byte-order mark is dropped), otherwise Windows-1252.
QString DecodeText(const QByteArray& bytes);

// Splits text into lines at CR LF or LF; a last line without a line break is
// kept, and a final line break does not add an empty line.
QStringList SplitLines(const QString& text);

// The path of a special folder by its old numeric identifier (5 = documents);
// empty for an unknown identifier. The folder is not created.
QString GetSpecialFolder(int id);

// Mounted local volumes, each by its root path, joined by ";". The filter is
// "all" (any case) or a drive-type number: 2 removable, 3 fixed, 5 optical or
// image, 6 RAM disk. Network file systems are never listed.
QString GetDrives(const QString& filter);

// "[label]", "[no label]", or empty when root is not the root of a readable volume.
QString GetVolumeLabel(const QString& root);

// Names of the folder's sub-folders joined by ";", sorted by name ignoring case.
QString ListSubfolders(const QString& path);
// The same names as a list, so a name with ";" in it stays one name.
QStringList SubfolderNames(const QString& path);

// The canonical absolute path as it is on disk; empty when the path does not exist.
QString GetLongFileName(const QString& path);

// The path without its last component (text before the last "/"); unchanged
// when it has no "/". The parent of "/x" and of "/" is "/".
QString ParseDir(const QString& path);

// The text before the first NUL character, or the whole text.
QString StripAtNull(const QString& text);

// Takes the text before the first NUL off the front of text (with the NUL) and
// returns it; without a NUL returns empty and leaves text unchanged.
QString NextNullItem(QString& text);
