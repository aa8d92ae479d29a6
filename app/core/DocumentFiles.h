#pragma once

#include <QString>

// Names of the files kept for one document (its usage file, its personal style
// sheet copy). Every document id gets a name of its own: distinct ids never
// share a file, and no id, however odd, leads out of the folder.

// The file name stem for a document id. Letters, digits, "-", "_", "." and
// spaces stand as they are (a leading "." excepted), so a plain id is its own
// stem; every other character, and "%", becomes "%" and two hex digits per
// UTF-8 byte. An empty id is "%". A stem longer than MaxStemLength keeps its
// start and ends in "%~" and a SHA-256 of the id.
QString DocumentFileStem(const QString& documentId);

// The usage file of a document: DufDir()/<stem>.duf.
QString UsageFilePathFor(const QString& documentId);

namespace DocumentFiles {
// Room is left for an extension, a saving's temporary suffix and a set-aside name.
constexpr int MaxStemLength = 180;
} // namespace DocumentFiles
