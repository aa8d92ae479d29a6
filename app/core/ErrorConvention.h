#pragma once

#include <QString>
#include <exception>
#include <string>
#include <utility>

// The one way a procedure reports an unexpected failure: it raises a QbError
// (or anything derived from std::exception escapes from a library), and the
// procedure's Guarded wrapper logs it with the procedure's name and the step in
// progress, then returns the procedure's default result. No exception ever
// leaves a Guarded body.

namespace ErrNo {
constexpr int InvalidCall = 5;
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int SubscriptOutOfRange = 9;
constexpr int TypeMismatch = 13;
constexpr int FileNotFound = 53;
constexpr int PathFileAccess = 75;
constexpr int NoObject = 91;
constexpr int XmlNotWellFormed = 32444;
constexpr int NoTitle = 32333;
} // namespace ErrNo

class QbError : public std::exception {
public:
    QbError(int number, QString description, QString source = {})
        : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
          m_what(m_description.toStdString())
    {
    }
    int number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const QString& source() const noexcept { return m_source; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_description;
    QString m_source;
    std::string m_what;
};

// Raises an error that the enclosing Guarded wrapper logs.
[[noreturn]] void RaiseError(int number, const QString& description, const QString& source = {});

// Sets the run state's CurrentStep: the plain-language text of the step in progress.
void SetStep(const QString& step);

// Logs the exception currently being handled for the named procedure.
void LogCurrentException(const char* procedure) noexcept;

// Runs body; on any exception logs it for procedure and returns fallback.
template <typename Result, typename Body>
Result Guarded(const char* procedure, Result fallback, Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        LogCurrentException(procedure);
        return fallback;
    }
}

// The same for procedures without a result; returns false when the body failed.
template <typename Body>
bool GuardedVoid(const char* procedure, Body&& body) noexcept
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        LogCurrentException(procedure);
        return false;
    }
}
