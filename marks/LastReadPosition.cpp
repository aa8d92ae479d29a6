#include "marks/LastReadPosition.h"

#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "marks/UsageFile.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Qt's short formats often give the year in two digits, which reads back a century early.
QString WithFourDigitYear(QString format)
{
    static const QRegularExpression twoDigits(QStringLiteral("(?<!y)yy(?!y)"));
    return format.replace(twoDigits, QStringLiteral("yyyy"));
}

bool HasTwoDigitYear(const QString& format)
{
    return format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
}

} // namespace

QString LocationId(const ListPlace& place, int navLevelCount)
{
    const int64_t level1 = int64_t(place.level1) + 1;
    int64_t level2 = navLevelCount > 1 ? int64_t(place.level2) + 1 : 0;
    if (level2 < 0 || level2 > 99)
        level2 = 0;
    return QStringLiteral("%1").arg(level1 * 100 + level2, 5, 10, QLatin1Char('0'));
}

std::optional<ListPlace> ParseLocationId(const QString& id)
{
    const QString text = id.trimmed();
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < 0 || text.size() < 2)
        return std::nullopt;
    const int level2 = text.right(2).toInt(&ok);
    if (!ok)
        return std::nullopt;
    ListPlace place;
    place.level1 = int32_t(qMin<qint64>(value / 100 - 1, INT32_MAX));
    place.level2 = level2 - 1;
    return place;
}

QString LastReadDateText(const QDateTime& when, const QLocale& locale)
{
    return locale.toString(when, WithFourDigitYear(locale.dateTimeFormat(QLocale::ShortFormat)));
}

QDateTime ParseLastReadDate(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QString shortFormat = locale.dateTimeFormat(QLocale::ShortFormat);
    QDateTime when = locale.toDateTime(trimmed, WithFourDigitYear(shortFormat));
    if (when.isValid())
        return when;
    when = locale.toDateTime(trimmed, shortFormat);
    if (when.isValid()) {
        if (HasTwoDigitYear(shortFormat) && when.date().year() < 2000)
            when = when.addYears(100);
        return when;
    }
    when = QDateTime::fromString(trimmed, Qt::ISODateWithMs);
    if (!when.isValid())
        when = QDateTime::fromString(trimmed, Qt::ISODate);
    return when;
}

bool GoToLastReadPosition(int openDocumentOption, bool haveDate, const std::function<bool()>& ask)
{
    if (openDocumentOption == AskForPosition) {
        // Without a date nobody is asked, and the position is taken.
        return !haveDate || ask();
    }
    return openDocumentOption != StartAtBeginning;
}

void RememberLastReadAnswer(bool answer)
{
    Opts().OpenDocument = answer ? StartAtLastRead : StartAtBeginning;
    SaveOptions();
}

QString LastReadQuestion(const QDateTime& when)
{
    return SetLangTxt(1096, LastReadDateText(when));
}

bool OpenDocumentUsageFile()
{
    RunState& rs = Run();
    SetStep(QStringLiteral("Create or load existing document usage file (duf)"));
    const QString path = UsageFilePathFor(rs.DocumentId);
    const QString templatePath = AppPaths::DefaultDir() + QStringLiteral("/default.duf");
    UsageFile& file = DocumentUsageFile();
    rs.DufDoc.reset();
    UsageFile::OpenOutcome outcome = file.Open(path, templatePath);
    if (outcome.result == UsageFile::Opening::Damaged) {
        Prompt().MsgBox(SetLangTxt(1095) + QStringLiteral(" '") + QFileInfo(path).fileName() + QStringLiteral("'!\n") +
                            QString::number(outcome.errorNumber) + QStringLiteral(" - ") + outcome.description,
                        PromptButtons::Ok, PromptIcon::Critical);
        // The damaged file stays as it is unless the reader wants a fresh one; it is kept even then.
        if (Prompt().MsgBox(SetLangTxt(1252), PromptButtons::YesNo, PromptIcon::Question, {}, PromptAnswer::No) !=
            PromptAnswer::Yes)
            return false;
        if (file.SetAside().isEmpty())
            return false;
        outcome = file.Open(path, templatePath);
    }
    if (outcome.result != UsageFile::Opening::Opened && outcome.result != UsageFile::Opening::Created)
        return false;
    rs.DufDoc = file.document();
    return true;
}

void CloseDocumentUsageFile()
{
    DocumentUsageFile().Close();
    Run().DufDoc.reset();
}
