#pragma once

#include <QString>

// Copies source into folder under its own file name, or under "name (2).ext"
// and so on when a different file has that name; a file of that name with the
// same bytes is taken as the copy. The copy is written to a temporary file
// and only then given its name, so no file is ever replaced or left half
// written. The path of the copy, or empty with error set.
QString CopyIntoFolder(const QString& source, const QString& folder, QString* error = nullptr);
