#pragma once

#include <QDialog>
#include <array>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The folder browser: walks the local disks and their folders to choose the
// library folder. OK writes the folder into the options' LibraryLocation;
// Cancel and Escape put back the folder the browser started from.
class frmBrowseForFolder : public QDialog {
    Q_OBJECT
public:
    explicit frmBrowseForFolder(QWidget* parent = nullptr);

    // Texts, the start folder and the first list; done when the window is made.
    void Form_Load();
    // The sub-folders of the current folder after "..".
    void RefreshFolderList();
    // The local disks; no current folder.
    void ShowSystemDrives();
    // Opens the entry: ".." goes up, a disk or folder goes in.
    void lstFolders_DblClick();
    // 0 New Folder, 1 OK, 2 Cancel.
    void cmdButton_Click(int index);

    // The folder being looked at; empty while the disks are listed.
    QString currentFolder() const;
    QString startFolder() const { return m_startFolder; }

    QLineEdit* txtCurrentFolder = nullptr;
    QListWidget* lstFolders = nullptr;
    std::array<QPushButton*, 3> cmdButton{};

    // Item data role of an entry: the path it opens ("" for "..").
    static constexpr int PathRole = Qt::UserRole + 1;

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCurrentFolder(const QString& folder);
    void txtCurrentFolder_Change();
    void NewFolder();
    QString m_startFolder;
};
