#include "settings/modLanguage.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/ErrorLog.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "app/core/TrimBlanks.h"
#include "settings/modFilesFolders.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace {

constexpr int kLastText = 2000;

std::array<QString, kLastText + 1> g_texts;
QString g_currentLanguage;
std::function<void()> g_languageApplied;

// An optional sign and at least one digit, nothing else; the value as written.
std::optional<qint64> ParseWholeNumber(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return std::nullopt;
        // Anything past 16 bits is out of range anyway; stop growing before it can wrap.
        value = std::min<qint64>(value * 10 + (text[i].unicode() - '0'), 1'000'000);
    }
    return negative ? -value : value;
}

} // namespace

void LoadLang(const QString& name)
{
    BadLines bad("LoadLang");
    QString firstBad;
    GuardedVoid("LoadLang", [&] {
        SetStep(QStringLiteral("Read the language file"));
        const QString path = AppPaths::LanguagesDir() + QLatin1Char('/') + name + QStringLiteral(".lng");
        const bool exists = QFileInfo(path).isFile();
        // Unlike the old reader, a last line without a line break is read too.
        const QStringList lines = SplitLines(ReadWholeFile(path));
        int lineNumber = 0;
        for (const QString& line : lines) {
            ++lineNumber;
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
                continue;
            const qsizetype bar = line.indexOf(QLatin1Char('|'));
            const std::optional<qint64> number =
                bar < 0 ? std::nullopt : ParseWholeNumber(TrimBlanks(line.left(bar), Blanks::SpacesAndTabs).toString());
            if (!number) {
                if (!bad.count())
                    firstBad = QString::number(lineNumber) + line;
                bad.add(lineNumber, line);
                continue;
            }
            SetStep(QStringLiteral("Store the text of line %1 of the language file").arg(lineNumber));
            if (*number < std::numeric_limits<qint16>::min() || *number > std::numeric_limits<qint16>::max())
                RaiseError(ErrNo::Overflow, QStringLiteral("Overflow"));
            if (*number < 0 || *number > kLastText)
                RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
            g_texts[static_cast<size_t>(*number)] = TrimBlanks(line.mid(bar + 1), Blanks::SpacesAndTabs).toString();
        }
        if (exists)
            g_currentLanguage = name;
        SetStep(QStringLiteral("Apply the language texts"));
        if (g_languageApplied)
            g_languageApplied();
    });
    // Told once the file is read, in its own wording, whatever ended the reading.
    bad.report(T(1850, firstBad));
}

QString SetLangTxt(int n, const QString& param)
{
    return Guarded("SetLangTxt", QString(), [&] {
        if (n < 0 || n > kLastText) {
            SetStep(QStringLiteral("Fetch interface text %1").arg(n));
            RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        }
        QString text = g_texts[static_cast<size_t>(n)];
        text.replace(QStringLiteral("%s"), param);
        text.replace(QStringLiteral("\\n"), QStringLiteral("\r\n"));
        return text;
    });
}

QStringList ShowLanguage()
{
    // Sorted by name, so the list does not depend on the file system's order.
    const QStringList entries = QDir(AppPaths::LanguagesDir())
                                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                               QDir::Name | QDir::IgnoreCase);
    QStringList names;
    for (const QString& entry : entries) {
        if (entry.size() > 4 && entry.endsWith(QLatin1String("lng"), Qt::CaseInsensitive))
            names.append(entry.left(entry.size() - 4));
    }
    return names;
}

QString CurrentLanguage()
{
    return g_currentLanguage;
}

void SetLanguageAppliedHook(std::function<void()> hook)
{
    g_languageApplied = std::move(hook);
}

void BadLines::add(int lineNumber, const QString& line)
{
    ++m_count;
    const QString step = Run().CurrentStep;
    LogError(QString::fromLatin1(m_procedure), QStringLiteral("Skip line %1").arg(lineNumber), ErrNo::TypeMismatch,
             QStringLiteral("Malformed line: ") + line);
    Run().CurrentStep = step; // the reading goes on
}

void BadLines::report(const QString& firstMessage, PromptIcon icon) const
{
    if (m_count == 0)
        return;
    QString text = firstMessage;
    if (m_count > 1) {
        const QString more = QString::number(m_count - 1);
        QString rest = T(1851, more);
        if (rest.isEmpty()) // read before any language file
            rest = QStringLiteral("%1 more lines with errors were skipped too; the error log lists them.").arg(more);
        text += QStringLiteral("\r\n") + rest;
    }
    Prompt().MsgBox(text, PromptButtons::Ok, icon);
}
