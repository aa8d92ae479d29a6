#pragma once

#include <QString>

// Appends one line to the error log: date and time, procedure, step text,
// error number and description, and where the reader is when a document is
// open. Line breaks in the texts become blanks, so a record is one line.
// When the log has grown past about 1 MB it is renamed to ErrorLogPath() +
// ".1" (replacing the older one) and a new log begins. Never fails visibly.
// Clears the run state's CurrentStep.
void LogError(const QString& procedure, const QString& step, int number, const QString& description);

// The line LogError writes (without the quotes and line end), from the run state.
QString ErrorLogLine(const QString& timestamp, const QString& procedure, const QString& step, int number,
                     const QString& description);
