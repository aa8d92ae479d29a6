#include "navigation/ui/frmGotoPage.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "settings/modLanguage.h"
#include "settings/ui/FormLanguage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmGotoPage::frmGotoPage(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGotoPage"));
    setWindowTitle(QStringLiteral("Page"));
    setModal(true);

    lblPagenumber = new QLabel(QStringLiteral("&Pagenumber:"), this);
    lblPagenumber->setObjectName(QStringLiteral("lblPagenumber"));
    txtPageNumber = new QLineEdit(this);
    txtPageNumber->setObjectName(QStringLiteral("txtPageNumber"));
    txtPageNumber->setAccessibleName(QStringLiteral("Pagenumber:"));
    lblPagenumber->setBuddy(txtPageNumber);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* captions[] = {"Go to", "Cancel"};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
        button->setObjectName(QStringLiteral("cmdButton_%1").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
        buttons->addWidget(button);
        cmdButton[size_t(i)] = button;
    }
    cmdButton[0]->setDefault(true);

    auto* row = new QHBoxLayout;
    row->addWidget(lblPagenumber);
    row->addWidget(txtPageNumber, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    setTabOrder(txtPageNumber, cmdButton[0]);
    setTabOrder(cmdButton[0], cmdButton[1]);
}

void frmGotoPage::showEvent(QShowEvent* event)
{
    GuardedVoid("Form_Active", [&] {
        if (!m_translated) {
            FormLanguage(objectName(), this);
            m_translated = true;
        }
        txtPageNumber->setFocus(Qt::OtherFocusReason);
        txtPageNumber->selectAll();
    });
    QDialog::showEvent(event);
}

void frmGotoPage::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        if (index == 1) {
            reject();
            return;
        }
        if (txtPageNumber->text().trimmed().isEmpty()) {
            Prompt().MsgBox(T(119), PromptButtons::Ok, PromptIcon::Information, T(117));
            txtPageNumber->selectAll();
            txtPageNumber->setFocus(Qt::OtherFocusReason);
            return;
        }
        accept();
    });
}

std::optional<QString> frmGotoPage::AskPage()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return txtPageNumber->text().trimmed();
}
