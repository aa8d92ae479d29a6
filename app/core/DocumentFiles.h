#pragma once

#include <QString>

// Where the files kept for one document live.

// The usage file of a document: one file inside the DUF folder per identifier,
// whatever characters the identifier holds ("../x" never leaves the folder).
QString UsageFilePathFor(const QString& documentId);
