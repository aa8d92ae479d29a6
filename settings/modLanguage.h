#pragma once

#include "app/core/Prompter.h"

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
// SetLanguageAppliedHook. A missing file changes no text. Malformed lines are
// skipped and logged; the reader hears once, of the first (text 1850) and how
// many more there were (text 1851). A number outside 0..2000 ends
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

// The malformed lines met while reading one file. Each is logged under the
// reading procedure's name; the reader hears once, of the first line and of
// how many more followed (text 1851), however many there are.
class BadLines {
public:
    explicit BadLines(const char* procedure) : m_procedure(procedure) {}
    void add(int lineNumber, const QString& line);
    int count() const { return m_count; }
    // Shows firstMessage (about the first bad line) with the count of the rest; nothing when there were none.
    void report(const QString& firstMessage, PromptIcon icon = PromptIcon::Critical) const;

private:
    const char* m_procedure;
    int m_count = 0;
};
