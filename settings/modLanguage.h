#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Interface texts: one table of 2001 texts (numbers 0 to 2000), filled from a
// language file and never cleared, so a text that a newly loaded file lacks
// keeps the wording of the language loaded before.
//
// A language file is "<name>.lng" in the data folder's Languages folder, read
// as UTF-8 or Windows-1252. Each line is a number, "|" and the text; empty lines
// and lines starting with ";" are comments. In a text, "%s" marks the parameter
// and the two characters "\n" a line break.

// Reads the named language file into the table, then runs the hook set by
// SetLanguageAppliedHook. A missing file changes no text. A malformed line is
// reported to the reader (text 1850) and skipped; a number outside 0..2000 ends
// the loading at that line through the error log, and the hook does not run.
void LoadLang(const QString& name);

// Text n with every "%s" replaced by param and every "\n" by CR LF; empty (and
// logged) when n is outside 0..2000.
QString SetLangTxt(int n, const QString& param = {});

// Short alias for SetLangTxt.
inline QString T(int n, const QString& param = {})
{
    return SetLangTxt(n, param);
}

// The names of the language files in the Languages folder (without ".lng"), sorted by name.
QStringList ShowLanguage();

// The name of the language last loaded from an existing file; empty before.
QString CurrentLanguage();

// What LoadLang runs after loading: the main window puts its texts on its controls.
void SetLanguageAppliedHook(std::function<void()> hook);
