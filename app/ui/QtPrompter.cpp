#include "app/ui/QtPrompter.h"

#include "settings/modLanguage.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QString titleOrProductName(const QString& title)
{
    if (!title.isEmpty())
        return title;
    const QString product = SetLangTxt(1);
    return product.isEmpty() ? QStringLiteral("Quillbook") : product;
}

// Restores the focus the reader had before a modal dialog took it.
class FocusKeeper {
public:
    FocusKeeper() : m_widget(QApplication::focusWidget()) {}
    ~FocusKeeper()
    {
        if (m_widget)
            m_widget->setFocus(Qt::OtherFocusReason);
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
    case PromptIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case PromptIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
    case PromptIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    QMessageBox::StandardButtons standard;
    QMessageBox::StandardButton byDefault = QMessageBox::Ok;
    switch (buttons) {
    case PromptButtons::Ok: standard = QMessageBox::Ok; break;
    case PromptButtons::OkCancel: standard = QMessageBox::Ok | QMessageBox::Cancel; break;
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
        case PromptAnswer::Ok: byDefault = QMessageBox::Ok; break;
        case PromptAnswer::Cancel: byDefault = QMessageBox::Cancel; break;
        case PromptAnswer::Yes: byDefault = QMessageBox::Yes; break;
        case PromptAnswer::No: byDefault = QMessageBox::No; break;
        case PromptAnswer::Retry: byDefault = QMessageBox::Retry; break;
        case PromptAnswer::Abort: byDefault = QMessageBox::Abort; break;
        case PromptAnswer::Ignore: byDefault = QMessageBox::Ignore; break;
        }
    }
    box.setStandardButtons(standard);
    box.setDefaultButton(byDefault);
    switch (box.exec()) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Retry: return PromptAnswer::Retry;
    case QMessageBox::Abort: return PromptAnswer::Abort;
    case QMessageBox::Ignore: return PromptAnswer::Ignore;
    default: return PromptAnswer::Cancel;
    }
}

std::optional<QString> QtPrompter::InputBox(const QString& prompt, const QString& title, const QString& defaultText,
                                            bool secret)
{
    FocusKeeper keeper;
    bool ok = false;
    const QString text = QInputDialog::getText(m_owner, titleOrProductName(title), prompt,
                                               secret ? QLineEdit::Password : QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtPrompter::GetOpenFileName(const QString& title, const QString& folder, const QStringList& filters)
{
    FocusKeeper keeper;
    return QFileDialog::getOpenFileName(m_owner, titleOrProductName(title), folder,
                                        filters.join(QStringLiteral(";;")));
}
