#pragma once

#include <QString>

class QListView;
class QTextEdit;
class QWidget;

// Focus moves made so that a screen reader says what the reader needs: the
// selected entry of a list, the line or phrase at the caret of the text.
//
// A list that takes the focus is announced by its name and size only; its
// current row is spoken when the view reports focus on that row, which Qt does
// by itself only when the current row changes while the list has the focus.
// The text view reports its caret before its focus, so a screen reader takes it
// as a caret move within the view and speaks by the key last pressed (one
// character after an arrow to the right, nothing after a keypad key). What the
// reader needs is therefore also shown in a notification, which a screen reader
// reads out as it appears. (A change of the view's name or description is not
// read: Qt 6.4 sends the object instead of the new text along with it.)

// Gives the list the focus and has its current row announced.
void FocusListOnRow(QListView* view, int row);

// Gives the text view the focus and has the line at the caret read.
void FocusTextAtCaret(QTextEdit* view);

// Has `text` read for the text view when it holds the focus.
void AnnounceInText(QTextEdit* view, const QString& text);

// The line, phrase and paragraph at the caret, as they should be read out.
QString CaretLine(const QTextEdit* view);
QString CaretPhrase(const QTextEdit* view);
QString CaretParagraph(const QTextEdit* view);

// Gives `widget` the focus back after a dialog over it has closed, told as a
// move to it: a list's current row, the text's line.
void RefocusAfterDialog(QWidget* widget);
