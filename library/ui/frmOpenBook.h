#pragma once

#include "library/OpenBookList.h"

#include <QDialog>
#include <array>
#include <functional>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMenu;
class QPushButton;
class frmBookShelfs;

// The open-book window: the library as a list, flat or grouped on bookshelves
// as the options say, to open a document, enter or leave a shelf, delete a
// document or move documents to another shelf; or any file through Browse.
// Its result is the path in txtOpenFile, empty when nothing was chosen.
// Loaded once and kept, hidden, for the whole run.
class frmOpenBook : public QDialog {
    Q_OBJECT
public:
    explicit frmOpenBook(QWidget* parent = nullptr);
    ~frmOpenBook() override;

    // Rebuilds the list from the catalogue.
    void ShowLibrary();
    // Open (0), Browse (1), Cancel (2), Options (3).
    void cmdButton_Click(int index);
    // What a key on the list does; true when it was the list's.
    bool lstLibrary_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    // The current entry becomes the chosen one.
    void lstLibrary_Click();
    void mnuLibraryItemDelete_Click();
    void mnuLibraryItemCategory_Click();

    // The kind of a list entry, kept in the item.
    OpenBookEntryKind EntryKind(int row) const;
    bool ShelfLevel = false;
    QString SelectedId;

    // The owner's services: the recent list, the options window on its library
    // page, and how a list takes the focus so a screen reader reads its entry.
    std::function<void()> UpdateMRU;
    std::function<void()> ShowLibraryOptions;
    std::function<void(QListView*, int)> FocusList;
    frmBookShelfs* BookShelfChooser = nullptr;

    QGroupBox* fraLibrary = nullptr;
    QLabel* lblLibraryLocation = nullptr;
    QLineEdit* txtLibraryLocation = nullptr;
    QListWidget* lstLibrary = nullptr;
    QLineEdit* txtOpenFile = nullptr;
    std::array<QPushButton*, 4> cmdButton{};
    QMenu* mnuLibrary = nullptr;
    QAction* mnuLibraryItemDelete = nullptr;
    QAction* mnuLibraryItemCategory = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void Form_Activate();
    void PopupMenu();
    // Selects row again (or the last row when the list became shorter).
    void RestoreSelection(int row);
    void FocusListRow(int row);
    bool Grouped() const;
    std::vector<OpenBookEntry> m_entries;
    bool m_activated = false;
};
