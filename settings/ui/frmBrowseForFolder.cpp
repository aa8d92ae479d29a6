#include "settings/ui/frmBrowseForFolder.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "settings/Options.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"
#include "settings/ui/FormLanguage.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

namespace {

constexpr int kDisks = 1806;

// The root of the volume a folder is on; the file-system root for anything unknown.
bool IsVolumeRoot(const QString& folder)
{
    const QString clean = QDir::cleanPath(folder);
    if (clean == QLatin1String("/"))
        return true;
    const QStorageInfo volume(clean);
    return volume.isValid() && QDir::cleanPath(volume.rootPath()) == clean;
}

} // namespace

frmBrowseForFolder::frmBrowseForFolder(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBrowseForFolder"));
    setWindowTitle(QStringLiteral("Browse for Folder"));
    setModal(true);

    txtCurrentFolder = new QLineEdit(this);
    txtCurrentFolder->setObjectName(QStringLiteral("txtCurrentFolder"));
    txtCurrentFolder->setReadOnly(true);
    txtCurrentFolder->setToolTip(QStringLiteral("Current selected folder"));
    txtCurrentFolder->setAccessibleName(QStringLiteral("Current selected folder"));
    lstFolders = new QListWidget(this);
    lstFolders->setObjectName(QStringLiteral("lstFolders"));
    lstFolders->installEventFilter(this);
    connect(lstFolders, &QListWidget::itemDoubleClicked, this, [this] { lstFolders_DblClick(); });

    auto* buttons = new QHBoxLayout;
    const char* captions[] = {"New Folder", "Ok", "Cancel"};
    const char* tips[] = {"Create a new folder", "Confirm folder selection", "Cancel folder selection"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
        button->setObjectName(QStringLiteral("cmdButton_%1").arg(i));
        button->setToolTip(QString::fromLatin1(tips[i]));
        // Enter belongs to the list: it opens the folder, it never confirms.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
        if (i == 1)
            buttons->addStretch();
        buttons->addWidget(button);
        cmdButton[size_t(i)] = button;
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtCurrentFolder);
    layout->addWidget(lstFolders, 1);
    layout->addLayout(buttons);
    setTabOrder(lstFolders, cmdButton[1]);
    setTabOrder(cmdButton[1], cmdButton[2]);
    setTabOrder(cmdButton[2], cmdButton[0]);
    setTabOrder(cmdButton[0], txtCurrentFolder);
    resize(480, 380);
    Form_Load();
}

void frmBrowseForFolder::Form_Load()
{
    GuardedVoid("Form_Load", [&] {
        FormLanguage(objectName(), this);
        m_startFolder = Opts().LibraryLocation;
        if (m_startFolder.isEmpty())
            ShowSystemDrives();
        else {
            setCurrentFolder(m_startFolder);
            RefreshFolderList();
        }
        lstFolders->setFocus(Qt::OtherFocusReason);
    });
}

QString frmBrowseForFolder::currentFolder() const
{
    return txtCurrentFolder->text();
}

void frmBrowseForFolder::setCurrentFolder(const QString& folder)
{
    txtCurrentFolder->setText(folder);
    txtCurrentFolder_Change();
}

void frmBrowseForFolder::txtCurrentFolder_Change()
{
    const bool folder = !currentFolder().isEmpty();
    cmdButton[0]->setEnabled(folder);
    // OK with the disk list showing would choose no folder at all.
    cmdButton[1]->setEnabled(folder);
    // A screen reader says where the reader is when it names the list.
    const QString disks = T(kDisks);
    lstFolders->setAccessibleName(folder ? currentFolder() : disks.isEmpty() ? QStringLiteral("Disks") : disks);
}

void frmBrowseForFolder::RefreshFolderList()
{
    GuardedVoid("RefreshFolderList", [&] {
        const QString folder = currentFolder();
        lstFolders->clear();
        auto* up = new QListWidgetItem(QStringLiteral(".."), lstFolders);
        up->setData(PathRole, QString());
        // Said with the folder it leaves, so the reader hears where the list now is.
        up->setData(Qt::AccessibleTextRole, QStringLiteral(".. ") + folder);
        const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        for (const QString& name : SubfolderNames(folder)) {
            auto* item = new QListWidgetItem(name, lstFolders);
            item->setData(PathRole, base + name);
        }
        lstFolders->setCurrentRow(0);
    });
}

void frmBrowseForFolder::ShowSystemDrives()
{
    GuardedVoid("ShowSystemDrives", [&] {
        lstFolders->clear();
        setCurrentFolder(QString());
        QStringList roots = GetDrives(QStringLiteral("3")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // The file-system root is always there, whatever kind of volume holds it.
        roots.removeAll(QStringLiteral("/"));
        roots.prepend(QStringLiteral("/"));
        for (const QString& root : roots) {
            QString label = GetVolumeLabel(root);
            if (label.isEmpty())
                label = QStringLiteral("[no label]");
            auto* item = new QListWidgetItem(root + QLatin1Char(' ') + label, lstFolders);
            item->setData(PathRole, root);
        }
        lstFolders->setCurrentRow(0);
    });
}

void frmBrowseForFolder::lstFolders_DblClick()
{
    GuardedVoid("lstFolders_DblClick", [&] {
        const QListWidgetItem* item = lstFolders->currentItem();
        if (!item)
            return;
        const QString path = item->data(PathRole).toString();
        const QString folder = currentFolder();
        if (!folder.isEmpty() && path.isEmpty()) {
            // Up: from a volume's top folder to the disks, else to the parent.
            if (IsVolumeRoot(folder)) {
                ShowSystemDrives();
                return;
            }
            setCurrentFolder(QFileInfo(QDir::cleanPath(folder)).absolutePath());
        } else if (!path.isEmpty()) {
            setCurrentFolder(path);
        } else {
            return;
        }
        RefreshFolderList();
    });
}

void frmBrowseForFolder::NewFolder()
{
    const QString folder = currentFolder();
    if (folder.isEmpty())
        return;
    const std::optional<QString> asked = Prompt().InputBox(T(1811), T(1810));
    if (!asked || asked->isEmpty())
        return;
    const QString name = *asked;
    auto refuse = [&name] { Prompt().MsgBox(T(1814, name), PromptButtons::Ok, PromptIcon::Critical); };
    // One name in this folder, nothing that walks elsewhere.
    if (name.trimmed().isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(0))) {
        refuse();
        return;
    }
    if (Prompt().MsgBox(T(1813, name) + folder, PromptButtons::OkCancel, PromptIcon::Question, T(1812)) !=
        PromptAnswer::Ok)
        return;
    const QString path = (folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) + name;
    SetStep(QStringLiteral("Create the folder"));
    if (!QDir(folder).mkdir(name) && !QFileInfo(path).isDir()) {
        refuse();
        return;
    }
    setCurrentFolder(path);
    RefreshFolderList();
}

void frmBrowseForFolder::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        switch (index) {
        case 0:
            NewFolder();
            lstFolders->setFocus(Qt::OtherFocusReason);
            break;
        case 1:
            if (currentFolder().isEmpty())
                return;
            Opts().LibraryLocation = currentFolder();
            accept();
            break;
        default:
            reject();
            break;
        }
    });
}

void frmBrowseForFolder::reject()
{
    GuardedVoid("cmdButton_Click", [&] {
        txtCurrentFolder->setText(m_startFolder);
        Opts().LibraryLocation = m_startFolder;
    });
    QDialog::reject();
}

bool frmBrowseForFolder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstFolders && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lstFolders_DblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
