#pragma once

#include <QDialog>

class QTextBrowser;

// The manual's window: the HTML manual with a keyboard caret as in the text
// view, links reached with Tab and followed with Enter. Escape closes it.
class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    // Shows the manual at path; false when it cannot be read.
    bool LoadManual(const QString& path);

    QTextBrowser* txtHelp = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
