#include "app/ui/QtPrompter.h"

#include "app/ui/ScreenReaderFocus.h"
#include "marks/ui/frmLastReadPosition.h"
#include "settings/modLanguage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>

namespace {

QString titleOrProductName(const QString& title)
{
    if (!title.isEmpty())
        return title;
    const QString product = SetLangTxt(1);
    return product.isEmpty() ? QStringLiteral("Quillbook") : product;
}

// A button caption from the language file with its access key, or the
// built-in one when the file has none.
QString ButtonText(int number, const QString& fallback)
{
    const QString text = SetLangTxt(number);
    if (text.isEmpty())
        return fallback;
    return text.contains(QLatin1Char('&')) ? text : QLatin1Char('&') + text;
}

// Restores the focus the reader had before a modal dialog took it.
class FocusKeeper {
public:
    FocusKeeper() : m_widget(QApplication::focusWidget()) {}
    ~FocusKeeper()
    {
        if (m_widget)
            RefocusAfterDialog(m_widget);
    }

private:
    QPointer<QWidget> m_widget;
};

} // namespace

PromptAnswer QtPrompter::MsgBox(const QString& text, PromptButtons buttons, PromptIcon icon, const QString& title,
                                std::optional<PromptAnswer> defaultAnswer)
{
    FocusKeeper keeper;
    QMessageBox box(m_owner);
    box.setWindowTitle(titleOrProductName(title));
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (icon) {
    case PromptIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case PromptIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case PromptIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case PromptIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case PromptIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    QMessageBox::StandardButtons standard;
    QMessageBox::StandardButton byDefault = QMessageBox::Ok;
    switch (buttons) {
    case PromptButtons::Ok:
        standard = QMessageBox::Ok;
        break;
    case PromptButtons::OkCancel:
        standard = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case PromptButtons::YesNo:
        standard = QMessageBox::Yes | QMessageBox::No;
        byDefault = QMessageBox::Yes;
        break;
    case PromptButtons::YesNoCancel:
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        byDefault = QMessageBox::Yes;
        break;
    case PromptButtons::RetryCancel:
        standard = QMessageBox::Retry | QMessageBox::Cancel;
        byDefault = QMessageBox::Retry;
        break;
    case PromptButtons::AbortRetryIgnore:
        standard = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        byDefault = QMessageBox::Abort;
        break;
    }
    if (defaultAnswer) {
        switch (*defaultAnswer) {
        case PromptAnswer::Ok:
            byDefault = QMessageBox::Ok;
            break;
        case PromptAnswer::Cancel:
            byDefault = QMessageBox::Cancel;
            break;
        case PromptAnswer::Yes:
            byDefault = QMessageBox::Yes;
            break;
        case PromptAnswer::No:
            byDefault = QMessageBox::No;
            break;
        case PromptAnswer::Retry:
            byDefault = QMessageBox::Retry;
            break;
        case PromptAnswer::Abort:
            byDefault = QMessageBox::Abort;
            break;
        case PromptAnswer::Ignore:
            byDefault = QMessageBox::Ignore;
            break;
        }
    }
    box.setStandardButtons(standard);
    box.setDefaultButton(byDefault);
    // The buttons speak the interface language, like the rest of the program.
    const std::pair<QMessageBox::StandardButton, QString> captions[] = {
        {QMessageBox::Yes, ButtonText(100, QStringLiteral("&Yes"))},
        {QMessageBox::No, ButtonText(101, QStringLiteral("&No"))},
        {QMessageBox::Ok, ButtonText(102, QStringLiteral("&OK"))},
        {QMessageBox::Cancel, ButtonText(103, QStringLiteral("&Cancel"))},
        {QMessageBox::Retry, ButtonText(1117, QStringLiteral("&Retry"))},
        {QMessageBox::Abort, ButtonText(1118, QStringLiteral("&Abort"))},
        {QMessageBox::Ignore, ButtonText(1119, QStringLiteral("&Ignore"))},
    };
    for (const auto& [which, caption] : captions)
        if (QAbstractButton* button = box.button(which))
            button->setText(caption);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Retry:
        return PromptAnswer::Retry;
    case QMessageBox::Abort:
        return PromptAnswer::Abort;
    case QMessageBox::Ignore:
        return PromptAnswer::Ignore;
    default:
        return PromptAnswer::Cancel;
    }
}

std::optional<QString> QtPrompter::InputBox(const QString& prompt, const QString& title, const QString& defaultText,
                                            bool secret)
{
    FocusKeeper keeper;
    QInputDialog dialog(m_owner);
    dialog.setWindowTitle(titleOrProductName(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setTextEchoMode(secret ? QLineEdit::Password : QLineEdit::Normal);
    dialog.setOkButtonText(ButtonText(102, QStringLiteral("&OK")));
    dialog.setCancelButtonText(ButtonText(103, QStringLiteral("&Cancel")));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString QtPrompter::GetOpenFileName(const QString& title, const QString& folder, const QStringList& filters)
{
    FocusKeeper keeper;
    return QFileDialog::getOpenFileName(m_owner, titleOrProductName(title), folder, filters.join(QStringLiteral(";;")));
}

bool QtPrompter::LastReadPosition(const QString& question)
{
    // No focus to give back: the answer decides where the reader goes on.
    frmLastReadPosition dialog(m_owner);
    dialog.txtLastReadPosition->setPlainText(question);
    dialog.exec();
    return dialog.Answer;
}
