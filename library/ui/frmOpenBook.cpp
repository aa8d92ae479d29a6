#include "library/ui/frmOpenBook.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "library/DocumentRemoval.h"
#include "library/frmLibrary.h"
#include "library/ui/frmBookShelfs.h"
#include "render/TextState.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "settings/ui/FormLanguage.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int KindRole = Qt::UserRole;
constexpr int RowRole = Qt::UserRole + 1;

// The file-type filter text ("Documents (...)|*.xml;*.zip|All files|*.*") as
// file-dialog filters, each pattern also in capitals.
QStringList FileFilters(const QString& text)
{
    QStringList filters;
    const QStringList parts = text.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << p.trimmed();
            if (p.trimmed() != QLatin1String("*.*") && p.trimmed().toUpper() != p.trimmed())
                patterns << p.trimmed().toUpper();
        }
        QString name = parts[i];
        const qsizetype bracket = name.indexOf(QLatin1String(" ("));
        if (bracket > 0)
            name.truncate(bracket);
        filters << name + QStringLiteral(" (") +
                       patterns.join(QLatin1Char(' ')).replace(QStringLiteral("*.*"), QStringLiteral("*")) +
                       QLatin1Char(')');
    }
    return filters;
}

} // namespace

frmOpenBook::frmOpenBook(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOpenBook"));
    setWindowTitle(QStringLiteral("Open Book"));

    fraLibrary = new QGroupBox(this);
    fraLibrary->setObjectName(QStringLiteral("fraLibrary"));
    lblLibraryLocation = new QLabel(QStringLiteral("Library location:"), fraLibrary);
    lblLibraryLocation->setObjectName(QStringLiteral("lblLibraryLocation"));
    txtLibraryLocation = new QLineEdit(fraLibrary);
    txtLibraryLocation->setObjectName(QStringLiteral("txtLibraryLocation"));
    txtLibraryLocation->setReadOnly(true);
    lblLibraryLocation->setBuddy(txtLibraryLocation);
    lstLibrary = new QListWidget(fraLibrary);
    lstLibrary->setObjectName(QStringLiteral("lstLibrary"));
    lstLibrary->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // One line per entry: the layout need not measure thousands of them.
    lstLibrary->setUniformItemSizes(true);
    lstLibrary->setContextMenuPolicy(Qt::CustomContextMenu);
    lstLibrary->installEventFilter(this);
    txtOpenFile = new QLineEdit(this);
    txtOpenFile->setObjectName(QStringLiteral("txtOpenFile"));
    txtOpenFile->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(lblLibraryLocation);
    top->addWidget(txtLibraryLocation, 1);
    auto* frame = new QVBoxLayout(fraLibrary);
    frame->addLayout(top);
    frame->addWidget(lstLibrary, 1);

    auto* buttons = new QHBoxLayout;
    const char* captions[] = {"Open", "Browse", "Cancel", "Options..."};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(captions[i]), this);
        b->setObjectName(QStringLiteral("cmdButton_%1").arg(i));
        b->setAutoDefault(false);
        cmdButton[size_t(i)] = b;
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraLibrary, 1);
    layout->addLayout(buttons);

    mnuLibrary = new QMenu(QStringLiteral("ContexMenu"), this);
    mnuLibrary->setObjectName(QStringLiteral("mnuLibrary"));
    mnuLibraryItemDelete = mnuLibrary->addAction(QStringLiteral("&Delete\tDelete"));
    mnuLibraryItemDelete->setObjectName(QStringLiteral("mnuLibraryItemDelete"));
    mnuLibraryItemCategory = mnuLibrary->addAction(QStringLiteral("&Change category\tF2"));
    mnuLibraryItemCategory->setObjectName(QStringLiteral("mnuLibraryItemCategory"));
    connect(mnuLibraryItemDelete, &QAction::triggered, this, &frmOpenBook::mnuLibraryItemDelete_Click);
    connect(mnuLibraryItemCategory, &QAction::triggered, this, &frmOpenBook::mnuLibraryItemCategory_Click);

    connect(lstLibrary, &QListWidget::currentRowChanged, this, [this] { lstLibrary_Click(); });
    connect(lstLibrary, &QListWidget::itemDoubleClicked, this, [this] { cmdButton_Click(0); });
    connect(lstLibrary, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QListWidgetItem* item = lstLibrary->itemAt(at);
        if (item && item->data(KindRole).toInt() == int(OpenBookEntryKind::Document))
            mnuLibrary->exec(lstLibrary->viewport()->mapToGlobal(at));
    });

    setTabOrder(lstLibrary, cmdButton[0]);
    setTabOrder(cmdButton[0], cmdButton[1]);
    setTabOrder(cmdButton[1], cmdButton[2]);
    setTabOrder(cmdButton[2], cmdButton[3]);
    setTabOrder(cmdButton[3], txtLibraryLocation);
    resize(560, 420);
}

frmOpenBook::~frmOpenBook() = default;

bool frmOpenBook::Grouped() const
{
    return Opts().AutoArchive != NoArchive;
}

OpenBookEntryKind frmOpenBook::EntryKind(int row) const
{
    const QListWidgetItem* item = lstLibrary->item(row);
    return item ? OpenBookEntryKind(item->data(KindRole).toInt()) : OpenBookEntryKind::Placeholder;
}

void frmOpenBook::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void frmOpenBook::Form_Activate()
{
    GuardedVoid("Form_Activate", [&] {
        if (!m_activated) {
            m_activated = true;
            FormLanguage(objectName(), this);
        }
        txtLibraryLocation->setText(SetLangTxt(1201));
        txtLibraryLocation->setToolTip(SetLangTxt(1200));
        ShelfLevel = false;
        txtOpenFile->clear();
        ShowLibrary();
    });
}

void frmOpenBook::ShowLibrary()
{
    GuardedVoid("ShowLibrary", [&] {
        SetStep(QStringLiteral("Build the library list"));
        lstLibrary->clear();
        lstLibrary->setEnabled(true);
        QFont font = lstLibrary->font();
        // The design size plus the reader's steps, computed afresh each time so it never drifts.
        font.setPointSize(qMax(6, 12 + Txt().FontSizeOffset));
        lstLibrary->setFont(font);
        frmLibrary& library = Library();
        library.BuildLibrary(Opts().SortField, Opts().LibrarySortOrder == 1, false);
        if (txtLibraryLocation->text().isEmpty())
            txtLibraryLocation->setText(SetLangTxt(1201));
        QString shelf;
        if (Grouped() && ShelfLevel) {
            shelf = txtLibraryLocation->text();
            if (shelf.startsWith(QLatin1Char('[')) && shelf.endsWith(QLatin1Char(']')))
                shelf = shelf.mid(1, shelf.size() - 2);
        }
        m_entries = BuildOpenBookEntries(library.LibraryTable, library.LibraryRows, Grouped(), shelf, SetLangTxt(1215),
                                         SetLangTxt(1208), SetLangTxt(1212));
        QStringList texts;
        texts.reserve(qsizetype(m_entries.size()));
        for (const OpenBookEntry& e : m_entries)
            texts.append(e.text);
        // One insertion for the whole list; the kinds and rows are no news to the view.
        lstLibrary->addItems(texts);
        const QSignalBlocker quiet(lstLibrary->model());
        for (int i = 0; i < int(m_entries.size()); ++i) {
            QListWidgetItem* item = lstLibrary->item(i);
            item->setData(KindRole, int(m_entries[size_t(i)].kind));
            item->setData(RowRole, m_entries[size_t(i)].row);
        }
        // The list's name says where it stands, so a screen reader tells it on entering.
        lstLibrary->setAccessibleName(txtLibraryLocation->text());
        if (UpdateMRU)
            UpdateMRU();
        const bool empty = m_entries.size() == 1 && m_entries[0].kind == OpenBookEntryKind::Placeholder;
        cmdButton[0]->setEnabled(!empty);
        if (isVisible())
            FocusListRow(0);
    });
}

void frmOpenBook::FocusListRow(int row)
{
    lstLibrary->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    lstLibrary_Click();
    if (FocusList)
        FocusList(lstLibrary, row);
    else
        lstLibrary->setFocus(Qt::OtherFocusReason);
}

void frmOpenBook::lstLibrary_Click()
{
    GuardedVoid("lstLibrary_Click", [&] {
        const int row = lstLibrary->currentRow();
        const OpenBookEntryKind kind = EntryKind(row);
        if (row < 0 || kind == OpenBookEntryKind::Placeholder)
            return;
        if (kind != OpenBookEntryKind::Document) {
            txtOpenFile->clear();
            return;
        }
        const int tableRow = lstLibrary->item(row)->data(RowRole).toInt();
        const VariantTable& table = Library().LibraryTable;
        txtOpenFile->setText(table(ColLocation, tableRow).toString());
        SelectedId = table(ColId, tableRow).toString();
    });
}

bool frmOpenBook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstLibrary && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return lstLibrary_KeyDown(key->key(), key->modifiers());
    }
    return QDialog::eventFilter(watched, event);
}

bool frmOpenBook::lstLibrary_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    bool handled = false;
    GuardedVoid("lstLibrary_KeyDown", [&] {
        const bool alt = modifiers & Qt::AltModifier;
        const bool shift = modifiers & Qt::ShiftModifier;
        const bool document = EntryKind(lstLibrary->currentRow()) == OpenBookEntryKind::Document;
        handled = true;
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && alt) {
            if (document)
                PopupMenu();
        } else if (key == Qt::Key_Menu || (key == Qt::Key_F10 && shift)) {
            if (document)
                PopupMenu();
        } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (EntryKind(lstLibrary->currentRow()) == OpenBookEntryKind::Placeholder)
                return;
            // Its release reaches the main window, which passes over a key it did not see go down.
            cmdButton_Click(0);
        } else if (key == Qt::Key_Insert || key == Qt::Key_F2) {
            mnuLibraryItemCategory_Click();
        } else if (key == Qt::Key_Delete) {
            mnuLibraryItemDelete_Click();
        } else if (key == Qt::Key_Escape) {
            cmdButton_Click(2);
        } else {
            handled = false;
        }
    });
    return handled;
}

void frmOpenBook::PopupMenu()
{
    const QRect at = lstLibrary->visualItemRect(lstLibrary->currentItem());
    mnuLibrary->exec(lstLibrary->viewport()->mapToGlobal(at.bottomLeft()));
}

void frmOpenBook::RestoreSelection(int row)
{
    FocusListRow(qBound(0, row, lstLibrary->count() - 1));
}

void frmOpenBook::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        switch (index) {
        case 0: {
            const int row = lstLibrary->currentRow();
            if (row < 0 || EntryKind(row) == OpenBookEntryKind::Placeholder) {
                QApplication::beep();
                return;
            }
            if (EntryKind(row) == OpenBookEntryKind::Document) {
                lstLibrary_Click();
                accept();
                return;
            }
            txtOpenFile->clear();
            if (ShelfLevel) {
                ShelfLevel = false;
                txtLibraryLocation->setText(SetLangTxt(1201));
            } else {
                ShelfLevel = true;
                txtLibraryLocation->setText(lstLibrary->item(row)->text());
            }
            ShowLibrary();
            FocusListRow(0);
            return;
        }
        case 1: {
            SetStep(QStringLiteral("Choose a file"));
            const QString path =
                Prompt().GetOpenFileName(SetLangTxt(1210), Opts().LibraryLocation, FileFilters(SetLangTxt(1211)));
            if (path.isEmpty())
                return;
            txtOpenFile->setText(path);
            Run().ArchiveOnOpen = true;
            accept();
            return;
        }
        case 2:
            txtOpenFile->clear();
            QDialog::reject();
            return;
        default:
            if (ShowLibraryOptions)
                ShowLibraryOptions();
            ShowLibrary();
            FocusListRow(0);
            return;
        }
    });
}

void frmOpenBook::reject()
{
    cmdButton_Click(2);
}

void frmOpenBook::mnuLibraryItemDelete_Click()
{
    GuardedVoid("mnuLibraryItemDelete_Click", [&] {
        const int row = lstLibrary->currentRow();
        if (EntryKind(row) != OpenBookEntryKind::Document)
            return;
        lstLibrary_Click();
        const QString id = SelectedId;
        const QString location = txtOpenFile->text();
        if (Prompt().MsgBox(SetLangTxt(1452, lstLibrary->item(row)->text()), PromptButtons::YesNo, PromptIcon::Question,
                            SetLangTxt(1450), PromptAnswer::No) != PromptAnswer::Yes) {
            RestoreSelection(row);
            return;
        }
        if (RemoveCataloguedDocument(id, location) == RemovalResult::DocumentOpen)
            Prompt().MsgBox(SetLangTxt(1221), PromptButtons::Ok, PromptIcon::Exclamation, SetLangTxt(1450));
        txtOpenFile->clear();
        ShowLibrary();
        RestoreSelection(row);
    });
}

void frmOpenBook::mnuLibraryItemCategory_Click()
{
    GuardedVoid("mnuLibraryItemCategory_Click", [&] {
        const int row = lstLibrary->currentRow();
        std::vector<QString> ids;
        for (int i = 0; i < lstLibrary->count(); ++i) {
            const QListWidgetItem* item = lstLibrary->item(i);
            if (item->isSelected() && EntryKind(i) == OpenBookEntryKind::Document)
                ids.push_back(Library().LibraryTable(ColId, item->data(RowRole).toInt()).toString());
        }
        if (ids.empty() || !BookShelfChooser)
            return;
        const std::optional<QString> chosen = BookShelfChooser->Choose();
        if (chosen) {
            const QString shelf = *chosen == SetLangTxt(1201) ? QString() : *chosen;
            for (const QString& id : ids)
                Library().SetBookShelf(id, shelf);
            ShowLibrary();
        }
        RestoreSelection(row);
    });
}
