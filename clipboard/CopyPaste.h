#pragma once

#include <QString>

// The copy-paste collection: the hidden copy window that puts a passage on the
// clipboard, and the collection file copypaste.xml in the user folder.

// The copy window's fields. It is never shown: filling it and pressing its
// "Clipboard" button is how a passage reaches the clipboard.
class frmCopyPaste {
public:
    QString txtDbSource;   // the document's title
    QString txtDbTitle;    // the article's title
    QString cmbDBCategory; // empty for copies made with Edit > Copy
    QString txtDbText;     // the passage
    bool visible = false;

    // 0 Save, 1 Clipboard, 2 Cancel. Only the clipboard button is reachable.
    void cmdButton_Click(int index);
};

// The one copy window of the program.
frmCopyPaste& CopyPasteWindow();

// Makes sure copypaste.xml exists in the user folder (a copy of the template
// Default/default.cp) and loads it into the run state's CopyPasteDoc. A file
// that does not load is reported and left as it is. True when it loaded.
bool LoadCopyPaste();

// The path of the collection file: an existing file of that name in any case, else copypaste.xml.
QString CopyPastePath();

// Fills the copy window's fields (the id is not used) and puts the text on the clipboard.
bool AddCopyPasteItem(const QString& id, const QString& source, const QString& title, const QString& text,
                      const QString& category);

// A selection of the text view as one line: each line break, with the blanks
// around it, becomes one space, so the words on either side stay apart.
QString PassageFromSelection(const QString& selected);
