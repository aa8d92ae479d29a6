#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QKeyEvent;
class QPlainTextEdit;
class QPushButton;

// The question at opening whether to go back to where the reader stopped.
// The caller sets the question into txtLastReadPosition, shows the dialog
// modally and reads Answer. J or Y answer Yes, N or Escape No, on release.
class frmLastReadPosition : public QDialog {
    Q_OBJECT
public:
    explicit frmLastReadPosition(QWidget* parent = nullptr);

    // The reader's choice: true for Yes.
    bool Answer = false;

    // 0 Yes, 1 No; with "Don't ask again" ticked the answer becomes the option.
    void cmdButton_Click(int index);

    QPlainTextEdit* txtLastReadPosition = nullptr;
    QCheckBox* chkDontAskAgain = nullptr;
    std::array<QPushButton*, 2> cmdButton{};

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Acts on a released key: true when it answered.
    bool Form_KeyUp(int keyCode);
    bool m_activated = false;
};
