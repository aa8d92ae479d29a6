#include "app/core/Prompter.h"

namespace {

class SilentPrompter final : public Prompter {
public:
    PromptAnswer MsgBox(const QString&, PromptButtons buttons, PromptIcon, const QString&,
                        std::optional<PromptAnswer>) override
    {
        switch (buttons) {
        case PromptButtons::Ok:
        case PromptButtons::OkCancel:
            return PromptAnswer::Ok;
        case PromptButtons::YesNo:
        case PromptButtons::YesNoCancel:
            return PromptAnswer::No;
        case PromptButtons::RetryCancel:
            return PromptAnswer::Cancel;
        case PromptButtons::AbortRetryIgnore:
            return PromptAnswer::Abort;
        }
        return PromptAnswer::Cancel;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&, bool) override
    {
        return std::nullopt;
    }
    QString GetOpenFileName(const QString&, const QString&, const QStringList&) override { return {}; }
};

SilentPrompter g_silent;
Prompter* g_prompter = &g_silent;

} // namespace

Prompter& Prompt()
{
    return *g_prompter;
}

void SetPrompter(Prompter* prompter)
{
    g_prompter = prompter ? prompter : &g_silent;
}
