#include "marks/ui/frmLastReadPosition.h"

#include "app/core/ErrorConvention.h"
#include "marks/LastReadPosition.h"
#include "settings/ui/FormLanguage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// The keys that answer: what the key-up handler acts on, the press is kept from the dialog's own handling.
bool IsAnswerKey(int key)
{
    return key == Qt::Key_Escape || key == Qt::Key_N || key == Qt::Key_J || key == Qt::Key_Y;
}

} // namespace

frmLastReadPosition::frmLastReadPosition(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLastReadPosition"));
    setWindowTitle(QStringLiteral("Last read position"));
    setModal(true);

    txtLastReadPosition = new QPlainTextEdit(this);
    txtLastReadPosition->setObjectName(QStringLiteral("txtLastReadPosition"));
    txtLastReadPosition->setReadOnly(true);
    txtLastReadPosition->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    txtLastReadPosition->setTabChangesFocus(true);
    // Room for the question in three or four lines, and no more.
    txtLastReadPosition->setMinimumWidth(420);
    txtLastReadPosition->setFixedHeight(txtLastReadPosition->fontMetrics().lineSpacing() * 4 +
                                        2 * txtLastReadPosition->frameWidth() + 12);

    chkDontAskAgain = new QCheckBox(QStringLiteral("Don't ask this question again and make my choice default."), this);
    chkDontAskAgain->setObjectName(QStringLiteral("chkDontAskAgain"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* captions[] = {"Yes", "No"};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
        button->setObjectName(QStringLiteral("cmdButton_%1").arg(i));
        connect(button, &QPushButton::clicked, this, [this, i] { cmdButton_Click(i); });
        buttons->addWidget(button);
        cmdButton[size_t(i)] = button;
    }
    cmdButton[0]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtLastReadPosition);
    layout->addWidget(chkDontAskAgain);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtLastReadPosition, chkDontAskAgain);
    setTabOrder(chkDontAskAgain, cmdButton[0]);
    setTabOrder(cmdButton[0], cmdButton[1]);
}

void frmLastReadPosition::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        SetStep(QStringLiteral("Take the answer"));
        Answer = index == 0;
        if (chkDontAskAgain->isChecked()) {
            SetStep(QStringLiteral("Make the answer the default"));
            RememberLastReadAnswer(Answer);
        }
        hide();
        done(Answer ? QDialog::Accepted : QDialog::Rejected);
    });
}

bool frmLastReadPosition::Form_KeyUp(int keyCode)
{
    switch (keyCode) {
    case Qt::Key_Escape:
    case Qt::Key_N:
        cmdButton_Click(1);
        return true;
    case Qt::Key_J:
    case Qt::Key_Y:
        cmdButton_Click(0);
        return true;
    default:
        return false;
    }
}

void frmLastReadPosition::keyPressEvent(QKeyEvent* event)
{
    // Escape would close the dialog on its press; every answer waits for the release.
    if (IsAnswerKey(event->key()) && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmLastReadPosition::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat() && event->modifiers() == Qt::NoModifier && Form_KeyUp(event->key())) {
        event->accept();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

void frmLastReadPosition::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (!m_activated) {
            m_activated = true;
            GuardedVoid("Form_Activate", [&] { FormLanguage(QStringLiteral("frmLastReadPosition"), this); });
        }
        // The question is what a screen reader says first, with the dialog's name.
        setAccessibleName(windowTitle());
        setAccessibleDescription(txtLastReadPosition->toPlainText());
        txtLastReadPosition->setAccessibleName(windowTitle());
        txtLastReadPosition->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(event);
}
