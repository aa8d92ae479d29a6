#pragma once

#include <QDialog>
#include <array>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

// The bookshelf chooser: the shelves of the options with "My library" (no
// shelf) first; New, Delete (only for a shelf nothing stands on), Apply and
// Cancel. Loaded on first use and kept, hidden, afterwards.
class frmBookShelfs : public QDialog {
    Q_OBJECT
public:
    explicit frmBookShelfs(QWidget* parent = nullptr);

    // Shows the chooser modally: the chosen entry's text, nothing when cancelled.
    std::optional<QString> Choose();

    // New (0), Delete (1), Apply (2), Cancel (3).
    void cmdButton_Click(int index);
    void lstBookShelfs_Click();

    QListWidget* lstBookShelfs = nullptr;
    QLabel* lblBookShelfs = nullptr;
    std::array<QPushButton*, 4> cmdButton{};

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    // Fills the list and selects the shelf made last, else "My library".
    void FillList();
    QString m_lastMade;
    bool m_activated = false;
};
