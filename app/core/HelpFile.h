#pragma once

#include <QString>

// The manual: one HTML file per interface language in the data folder's Help
// folder, named after the language file ("English.html", "Nederlands.html").

// The folder the manuals are in.
QString HelpFolder();
// The manual for the language in folder, or the English one when that
// language has none; empty when neither is there.
QString HelpFilePath(const QString& folder, const QString& language);
