#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// Dates in the catalogue: written as ISO 8601 (local time, to the second), read
// also in the locale's short form that older catalogues hold, and shown to the
// reader in the short form.

QString LibraryDateText(const QDateTime& when);
// The date of a catalogue text; invalid when it is empty or not a date.
QDateTime ParseLibraryDate(const QString& text);
// The reader's form of a catalogue text; the text itself when it is not a date.
QString ShortDateText(const QString& text);

// A catalogue text as a number that orders as the dates do: the wall-clock
// time counted as if it were UTC (no time-zone lookups over thousands of
// entries); nothing when the text is not a date.
std::optional<qint64> LibraryDateKey(const QString& text);
// The reader's short form of such a number.
QString LibraryDateKeyText(qint64 key);
