#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Puts the interface texts on one dialog window: its caption, then the
// captions, tooltips and list entries of its controls, each from one text
// number. Controls are found by object name among the window's children; an
// element i of a control array "cmdButton" is named "cmdButton_i". Every
// caption also becomes the control's accessible name (without the "&" of its
// shortcut), and every tooltip its accessible description. Controls the window
// does not have are skipped; an unknown window name changes nothing.
void FormLanguage(const QString& windowName, QWidget* window);

// The object names of the controls FormLanguage gives texts on the named
// window (a tab widget once); empty for an unknown window.
QStringList FormLanguageControls(const QString& windowName);
