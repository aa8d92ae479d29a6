#include "app/core/ErrorLog.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <new>
#include <stdexcept>

namespace {

// Past this size the log is moved aside (one old file is kept) and started anew.
constexpr qint64 kMaxLogBytes = qint64(1) << 20;

// A record is one line: a parse error's "CR LF Line: 14:7" must not split it.
QString OnOneLine(QString text)
{
    static const QRegularExpression breaks(QStringLiteral("[ \\t]*[\\r\\n]+[ \\t]*"));
    return text.replace(breaks, QStringLiteral(" "));
}

void MoveAsideWhenFull(const QString& path)
{
    if (QFileInfo(path).size() < kMaxLogBytes)
        return;
    const QString old = path + QStringLiteral(".1");
    QFile::remove(old);
    QFile::rename(path, old);
}

} // namespace

QString ErrorLogLine(const QString& timestamp, const QString& procedure, const QString& step, int number,
                     const QString& description)
{
    const RunState& rs = Run();
    QString line = timestamp + QStringLiteral(" - ") + procedure + QLatin1Char(',') + step + QLatin1Char(',') +
                   QString::number(number) + QLatin1Char(',') + description + QLatin1Char(',');
    if (rs.DocumentOpen) {
        auto index = [&rs](int level) { return rs.NavListIndex ? rs.NavListIndex(level) : -1; };
        // The document type and the list index are kept apart by a blank so the
        // line can be read back.
        line += QStringLiteral(", ") + rs.DocInfo[0] + QLatin1Char(';') + rs.DocInfo[1] + QLatin1Char(';') +
                rs.DocInfo[2] + QLatin1Char(' ') + QString::number(index(1));
        if (rs.CurrentLevel > 1)
            line += QLatin1Char('/') + QString::number(index(2));
        line += QLatin1Char('/') + QString::number(rs.LastReadPosition);
        if (rs.GlobalSearchMode)
            line += QStringLiteral(", GlobalSearchMode");
        if (rs.PersonalInterestMode)
            line += QStringLiteral(", PersonalInterestMode");
        if (rs.LocalSearchMode)
            line += QStringLiteral(", LocalSearchMode");
    }
    return OnOneLine(line);
}

void LogError(const QString& procedure, const QString& step, int number, const QString& description)
{
    try {
        const QDateTime now = QDateTime::currentDateTime();
        const QLocale locale = QLocale::system();
        const QString stamp = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                              now.time().toString(QStringLiteral("HH:mm:ss"));
        const QString line =
            QLatin1Char('"') + ErrorLogLine(stamp, procedure, step, number, description) + QStringLiteral("\"\r\n");
        MoveAsideWhenFull(AppPaths::ErrorLogPath());
        QFile f(AppPaths::ErrorLogPath());
        if (f.open(QIODevice::WriteOnly | QIODevice::Append))
            f.write(line.toUtf8());
    } catch (...) {
    }
    Run().CurrentStep.clear();
}

void RaiseError(int number, const QString& description, const QString& source)
{
    throw QbError(number, description, source);
}

void SetStep(const QString& step)
{
    Run().CurrentStep = step;
}

void LogCurrentException(const char* procedure) noexcept
{
    try {
        int number = ErrNo::InvalidCall;
        QString description;
        try {
            throw;
        } catch (const QbError& e) {
            number = e.number();
            description = e.description();
        } catch (const std::bad_alloc&) {
            number = ErrNo::OutOfMemory;
            description = QStringLiteral("Out of memory");
        } catch (const std::out_of_range& e) {
            number = ErrNo::SubscriptOutOfRange;
            description = QString::fromUtf8(e.what());
        } catch (const std::overflow_error& e) {
            number = ErrNo::Overflow;
            description = QString::fromUtf8(e.what());
        } catch (const std::exception& e) {
            description = QString::fromUtf8(e.what());
        } catch (...) {
            description = QStringLiteral("Unknown error");
        }
        LogError(QString::fromLatin1(procedure), Run().CurrentStep, number, description);
    } catch (...) {
    }
}
