#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The search window: the phrase and how to search for it. It shows the
// choices kept in Choices() and the text state (Txt()) and writes them back
// on OK; Cancel empties the phrase. Loaded once and kept, hidden, for the
// whole run; shown modally by its owner.
class frmSearch : public QDialog {
    Q_OBJECT
public:
    explicit frmSearch(QWidget* parent = nullptr);

    // What the window does each time it is shown: texts, the scope that can
    // apply, the direction back to All, the phrase selected.
    void Form_Activate();
    // OK (0), Cancel (1).
    void cmdButton_Click(int index);

    QLabel* lblSearchPhrase = nullptr;
    QLineEdit* txtSearchString = nullptr;
    QGroupBox* fraSearchScope = nullptr;
    std::array<QRadioButton*, 2> optSearchScope{};
    QLabel* lblSearchDirection = nullptr;
    QComboBox* cmbSearchDirection = nullptr;
    QGroupBox* fraSearchOptions = nullptr;
    std::array<QRadioButton*, 2> optShowResults{};
    QCheckBox* chkWholeWord = nullptr;
    QCheckBox* chkCaseSensitive = nullptr;
    std::array<QPushButton*, 2> cmdButton{};

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void saveChoices();
};
