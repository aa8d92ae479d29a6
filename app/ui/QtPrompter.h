#pragma once

#include "app/core/Prompter.h"

#include <QPointer>
#include <QWidget>

// Asks the reader with the standard Qt dialogs, owned by the given window, and
// gives the keyboard focus back to where it was when the dialog closes.
class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    PromptAnswer MsgBox(const QString& text, PromptButtons buttons, PromptIcon icon, const QString& title,
                        std::optional<PromptAnswer> defaultAnswer) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title, const QString& defaultText,
                                    bool secret) override;
    QString GetOpenFileName(const QString& title, const QString& folder, const QStringList& filters) override;
    bool LastReadPosition(const QString& question) override;

private:
    QPointer<QWidget> m_owner;
};
