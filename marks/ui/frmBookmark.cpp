#include "marks/ui/frmBookmark.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "marks/ui/MarkListFont.h"
#include "settings/modLanguage.h"
#include "settings/ui/FormLanguage.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

frmBookmark::frmBookmark(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBookmark"));
    setWindowTitle(QStringLiteral("Bookmarks"));
    setModal(true);

    lstBookmarks = new QListWidget(this);
    lstBookmarks->setObjectName(QStringLiteral("lstBookmarks"));
    lstBookmarks->setMinimumSize(640, 260);
    lstBookmarks->installEventFilter(this);
    connect(lstBookmarks, &QListWidget::itemDoubleClicked, this, [this] {
        if (!SelectedId().isEmpty())
            GoToBookmark(SelectedId());
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* captions[] = {"Delete", "Goto", "Cancel"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
        button->setObjectName(QStringLiteral("cmdButton_%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
        buttons->addWidget(button);
        cmdButton[size_t(i)] = button;
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstBookmarks);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString frmBookmark::SelectedId() const
{
    const int row = lstBookmarks->currentRow();
    if (row < 0 || size_t(row) >= BookmarkIds.size())
        return QString();
    return BookmarkIds[size_t(row)];
}

void frmBookmark::ListBookmarks()
{
    GuardedVoid("ListBookmarks", [&] {
        if (!Run().DocumentOpen)
            return;
        SetStep(QStringLiteral("Set the list font"));
        lstBookmarks->setFont(MarkListFont(font()));
        SetStep(QStringLiteral("Fill the list"));
        const int selected = lstBookmarks->currentRow();
        lstBookmarks->clear();
        BookmarkIds.clear();
        for (const MarkRow& row : BookmarkRows()) {
            BookmarkIds.push_back(row.id);
            lstBookmarks->addItem(row.text);
        }
        const bool any = !BookmarkIds.empty();
        if (!any)
            lstBookmarks->addItem(SetLangTxt(1706));
        cmdButton[0]->setEnabled(any);
        cmdButton[1]->setEnabled(any);
        lstBookmarks->setEnabled(true);
        const int row = selected >= 0 && selected < lstBookmarks->count() ? selected : 0;
        lstBookmarks->setCurrentRow(row);
        if (FocusList)
            FocusList(lstBookmarks, row);
        else
            lstBookmarks->setFocus(Qt::OtherFocusReason);
    });
}

void frmBookmark::GoToBookmark(const QString& id)
{
    GuardedVoid("GoToBookmark", [&] {
        Target = BookmarkTarget(id);
        lblMode = Target ? QStringLiteral("totext") : QString();
        hide();
        done(Target ? QDialog::Accepted : QDialog::Rejected);
    });
}

void frmBookmark::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        const QString id = SelectedId();
        switch (index) {
        case 0:
            if (!id.isEmpty()) {
                DeleteBookmark(id);
                ListBookmarks();
            }
            break;
        case 1:
            if (!id.isEmpty())
                GoToBookmark(id);
            break;
        default:
            lblMode.clear();
            hide();
            done(QDialog::Rejected);
            break;
        }
    });
}

bool frmBookmark::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstBookmarks && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int k = key->key();
        if (k != Qt::Key_Return && k != Qt::Key_Enter && k != Qt::Key_Delete)
            return false;
        // Both keys act when they are let go; their press must not reach the dialog's buttons.
        if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat() && !SelectedId().isEmpty())
            cmdButton_Click(k == Qt::Key_Delete ? 0 : 1);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmBookmark::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (!m_activated) {
            m_activated = true;
            FormLanguage(objectName(), this);
        }
        lblMode.clear();
        Target.reset();
        ListBookmarks();
    }
    QDialog::showEvent(event);
}
