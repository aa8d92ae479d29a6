#include "tests/support/ScriptedPrompter.h"

PromptAnswer ScriptedPrompter::MsgBox(const QString& text, PromptButtons buttons, PromptIcon icon, const QString& title,
                                      std::optional<PromptAnswer> defaultAnswer)
{
    m_questions.push_back({Question::Kind::Message, text, title, buttons, icon, defaultAnswer, false});
    if (!m_answers.empty()) {
        const PromptAnswer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    switch (buttons) {
    case PromptButtons::Ok:
    case PromptButtons::OkCancel:
        return PromptAnswer::Ok;
    case PromptButtons::YesNo:
    case PromptButtons::YesNoCancel:
        return PromptAnswer::No;
    default:
        return PromptAnswer::Cancel;
    }
}

std::optional<QString> ScriptedPrompter::InputBox(const QString& prompt, const QString& title, const QString&,
                                                  bool secret)
{
    m_questions.push_back(
        {Question::Kind::Input, prompt, title, PromptButtons::OkCancel, PromptIcon::None, std::nullopt, secret});
    if (m_inputs.empty())
        return std::nullopt;
    auto a = m_inputs.front();
    m_inputs.pop_front();
    return a;
}

QString ScriptedPrompter::GetOpenFileName(const QString& title, const QString&, const QStringList&)
{
    m_questions.push_back(
        {Question::Kind::OpenFile, {}, title, PromptButtons::OkCancel, PromptIcon::None, std::nullopt, false});
    if (m_files.empty())
        return {};
    QString a = m_files.front();
    m_files.pop_front();
    return a;
}
