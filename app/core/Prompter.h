#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Every modal question the program asks the reader goes through one Prompter:
// message boxes, yes/no questions, input boxes and the file-open dialog.
// The windows install a Qt implementation; tests install a scripted one that
// answers and records each question.

enum class PromptIcon { None, Critical, Question, Exclamation, Information };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

class Prompter {
public:
    virtual ~Prompter() = default;
    // A message box; an empty title means the program's display name T(1).
    // The first button is the default unless defaultAnswer names another.
    virtual PromptAnswer MsgBox(const QString& text, PromptButtons buttons = PromptButtons::Ok,
                                PromptIcon icon = PromptIcon::None, const QString& title = {},
                                std::optional<PromptAnswer> defaultAnswer = std::nullopt) = 0;
    // An input box; no value when the reader cancels. A secret entry (a
    // passphrase) is not shown on the screen.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title = {},
                                            const QString& defaultText = {}, bool secret = false) = 0;
    // The file-open dialog; an empty string when the reader cancels.
    virtual QString GetOpenFileName(const QString& title, const QString& folder, const QStringList& filters) = 0;
    // Whether to go back to where reading stopped, asked at opening; true for
    // Yes. The windows ask with their own dialog; by default a yes/no box.
    virtual bool LastReadPosition(const QString& question)
    {
        return MsgBox(question, PromptButtons::YesNo, PromptIcon::Question) == PromptAnswer::Yes;
    }
};

// The prompter in force. Never null: until one is installed, a silent prompter
// answers Ok/Cancel so that no code path can block on a missing window.
Prompter& Prompt();
// Installs a prompter (not owned); nullptr restores the silent one.
void SetPrompter(Prompter* prompter);
