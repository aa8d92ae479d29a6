#pragma once

#include "render/StyleSheetChoice.h"

#include <QDialog>
#include <array>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The "Default Mark-Up" dialog: makes the style sheet in use the default for
// the current document, for all documents of its type or for all documents,
// or removes such a default. Shown modally by the main window; every show
// starts on the Cancel button.
class frmDefaultStyleSheet : public QDialog {
    Q_OBJECT
public:
    explicit frmDefaultStyleSheet(QWidget* parent = nullptr);

    // Fills the controls from the run state: the name of the sheet in use, the
    // document type in the second option, which scopes can be chosen.
    void loadSettings();

    // The scope of the chosen option.
    StyleScope chosenScope() const;

    // 0 confirms, 1 removes the default after asking, any other index closes.
    void cmdButton_Click(int index);

    // Controls, named as the language texts address them.
    QLabel* lblDefaultCss = nullptr;
    QLineEdit* txtDefaultCss = nullptr;
    QGroupBox* fraDefaultCss = nullptr;
    std::array<QRadioButton*, 3> optDefaultCss{};
    std::array<QPushButton*, 3> cmdButton{};

signals:
    // A default was removed: the list of sheets and the sheet in use were chosen again.
    void styleSheetsChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Activate();

    QButtonGroup* m_scopes = nullptr;
    bool m_activated = false;
};
