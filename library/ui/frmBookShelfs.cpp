#include "library/ui/frmBookShelfs.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "library/frmLibrary.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "settings/ui/FormLanguage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmBookShelfs::frmBookShelfs(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBookShelfs"));
    setWindowTitle(QStringLiteral("BookShelf"));
    lblBookShelfs = new QLabel(QStringLiteral("BookShelfs:"), this);
    lblBookShelfs->setObjectName(QStringLiteral("lblBookShelfs"));
    lstBookShelfs = new QListWidget(this);
    lstBookShelfs->setObjectName(QStringLiteral("lstBookShelfs"));
    QFont font = lstBookShelfs->font();
    font.setPointSize(12); // as large as the open-book list it is chosen from
    lstBookShelfs->setFont(font);
    lblBookShelfs->setBuddy(lstBookShelfs);
    auto* buttons = new QVBoxLayout;
    const char* captions[] = {"New", "Delete", "Apply", "Cancel"};
    for (int i = 0; i < 4; ++i) {
        cmdButton[size_t(i)] = new QPushButton(QString::fromLatin1(captions[i]), this);
        cmdButton[size_t(i)]->setObjectName(QStringLiteral("cmdButton_%1").arg(i));
        cmdButton[size_t(i)]->setAutoDefault(false);
        buttons->addWidget(cmdButton[size_t(i)]);
        connect(cmdButton[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
    }
    buttons->addStretch();
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(lblBookShelfs);
    listColumn->addWidget(lstBookShelfs);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(listColumn, 1);
    layout->addLayout(buttons);
    connect(lstBookShelfs, &QListWidget::currentRowChanged, this, [this] { lstBookShelfs_Click(); });
    connect(lstBookShelfs, &QListWidget::itemActivated, this, [this] { cmdButton_Click(2); });
    resize(360, 300);
}

std::optional<QString> frmBookShelfs::Choose()
{
    exec();
    const QListWidgetItem* item = lstBookShelfs->currentRow() >= 0 ? lstBookShelfs->currentItem() : nullptr;
    if (!item)
        return std::nullopt;
    return item->text();
}

void frmBookShelfs::showEvent(QShowEvent* event)
{
    GuardedVoid("frmBookShelfs_Activate", [&] {
        if (!m_activated) {
            m_activated = true;
            FormLanguage(objectName(), this);
        }
        lstBookShelfs->setAccessibleName(lblBookShelfs->text().remove(QLatin1Char('&')));
        FillList();
        lstBookShelfs->setFocus(Qt::OtherFocusReason);
    });
    QDialog::showEvent(event);
}

void frmBookShelfs::FillList()
{
    lstBookShelfs->clear();
    lstBookShelfs->addItem(SetLangTxt(1201));
    lstBookShelfs->addItems(ShelfNames());
    int row = 0;
    for (int i = 1; i < lstBookShelfs->count() && !m_lastMade.isEmpty(); ++i) {
        if (lstBookShelfs->item(i)->text().compare(m_lastMade, Qt::CaseInsensitive) == 0)
            row = i;
    }
    lstBookShelfs->setCurrentRow(row);
    lstBookShelfs_Click();
}

void frmBookShelfs::lstBookShelfs_Click()
{
    GuardedVoid("lstBookShelfs_Click", [&] {
        const int row = lstBookShelfs->currentRow();
        cmdButton[1]->setEnabled(row > 0 && Library().CountBookShelfUsage(lstBookShelfs->item(row)->text()) < 1);
    });
}

void frmBookShelfs::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        switch (index) {
        case 0: {
            const std::optional<QString> name = Prompt().InputBox(SetLangTxt(1277), SetLangTxt(1276));
            if (!name || ShelfNameOf(*name).isEmpty())
                break;
            AddShelfName(*name);
            m_lastMade = ShelfNameOf(*name);
            FillList();
            lstBookShelfs->setFocus(Qt::OtherFocusReason);
            break;
        }
        case 1:
            if (!cmdButton[1]->isEnabled() || lstBookShelfs->currentRow() <= 0)
                break;
            DeleteBookShelf(lstBookShelfs->currentItem()->text());
            FillList();
            lstBookShelfs->setFocus(Qt::OtherFocusReason);
            break;
        case 2:
            accept();
            break;
        default:
            reject();
            break;
        }
    });
}

void frmBookShelfs::reject()
{
    lstBookShelfs->setCurrentRow(-1);
    QDialog::reject();
}
