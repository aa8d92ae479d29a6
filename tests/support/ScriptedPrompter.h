#pragma once

#include "app/core/Prompter.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

// A Prompter for tests: answers from a script and records every question, so a
// test can assert on what the reader would have been asked.
class ScriptedPrompter final : public Prompter {
public:
    struct Question {
        enum class Kind { Message, Input, OpenFile } kind;
        QString text;
        QString title;
        PromptButtons buttons = PromptButtons::Ok;
        PromptIcon icon = PromptIcon::None;
        std::optional<PromptAnswer> defaultAnswer;
        bool secret = false;
    };

    ScriptedPrompter() { SetPrompter(this); }
    ~ScriptedPrompter() override { SetPrompter(nullptr); }

    // Queue answers; an unscripted message box answers Ok (or No/Cancel when Ok is not offered).
    void answer(PromptAnswer a) { m_answers.push_back(a); }
    void answerInput(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    void answerFile(const QString& path) { m_files.push_back(path); }

    const std::vector<Question>& questions() const { return m_questions; }
    void clear() { m_questions.clear(); }

    PromptAnswer MsgBox(const QString& text, PromptButtons buttons, PromptIcon icon, const QString& title,
                        std::optional<PromptAnswer> defaultAnswer) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title, const QString& defaultText,
                                    bool secret) override;
    QString GetOpenFileName(const QString& title, const QString& folder, const QStringList& filters) override;

private:
    std::vector<Question> m_questions;
    std::deque<PromptAnswer> m_answers;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<QString> m_files;
};
