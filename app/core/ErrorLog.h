#pragma once

#include <QString>

// Appends one line to the error log: date and time, procedure, step text,
// error number and description, and where the reader is when a document is
// open. Never fails visibly. Clears the run state's CurrentStep.
void LogError(const QString& procedure, const QString& step, int number, const QString& description);

// The line LogError writes (without the quotes and line end), from the run state.
QString ErrorLogLine(const QString& timestamp, const QString& procedure, const QString& step, int number,
                     const QString& description);
