#pragma once

#include <QDialog>
#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// The "Page" dialog: asks for the label of a printed page ("12", "xii", "B3").
// Loaded once and reused; each showing starts with the last label selected.
class frmGotoPage : public QDialog {
    Q_OBJECT
public:
    explicit frmGotoPage(QWidget* parent = nullptr);

    // Shows the dialog modally; the label typed, trimmed, or nothing when cancelled.
    std::optional<QString> AskPage();

    // 0 goes to the page (a label is needed), 1 cancels.
    void cmdButton_Click(int index);

    QLabel* lblPagenumber = nullptr;
    QLineEdit* txtPageNumber = nullptr;
    std::array<QPushButton*, 2> cmdButton{};

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_translated = false;
};
