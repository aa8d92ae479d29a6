#include "library/LibraryDates.h"

#include <QLocale>

QString LibraryDateText(const QDateTime& when)
{
    return when.toString(Qt::ISODate);
}

QDateTime ParseLibraryDate(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    QDateTime when = QDateTime::fromString(t, Qt::ISODate);
    if (when.isValid())
        return when;
    for (const QLocale& locale : {QLocale::system(), QLocale()}) {
        when = locale.toDateTime(t, QLocale::ShortFormat);
        // Short forms without seconds, or a date alone.
        if (!when.isValid())
            when = locale.toDateTime(t, locale.dateTimeFormat(QLocale::ShortFormat).remove(QStringLiteral(":ss")));
        if (!when.isValid()) {
            const QDate day = locale.toDate(t, QLocale::ShortFormat);
            if (day.isValid())
                when = day.startOfDay();
        }
        if (when.isValid()) {
            // A two-digit year reads as 19xx; nothing was catalogued before this century.
            if (when.date().year() < 2000 && !locale.dateFormat(QLocale::ShortFormat).contains(QLatin1String("yyyy")))
                when = when.addYears(100);
            return when;
        }
    }
    return {};
}

QString ShortDateText(const QString& text)
{
    const QDateTime when = ParseLibraryDate(text);
    return when.isValid() ? QLocale::system().toString(when, QLocale::ShortFormat) : text;
}
