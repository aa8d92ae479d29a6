#pragma once

#include <QString>
#include <QStringList>

// The installed scalable font families ("TrueType" in the options window's
// terms), in font-database order, empty names left out. The list is cleared
// first. trueTypeOnly is accepted for its callers: family and face enumeration give
// the same names here, and only scalable families are ever listed.
// firstEntry, when given, receives the list's first entry (empty when none),
// the text the options window puts into its font box.
// Returns false, after the message "Failed to get font info", when the fonts
// cannot be enumerated (no GUI application); true otherwise, also for an empty list.
bool FillFontList(QStringList& list, bool trueTypeOnly, QString* firstEntry = nullptr);
