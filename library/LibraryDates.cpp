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
    // The form this program writes, read without the general parser.
    if (t.size() == 19 && t[4] == QLatin1Char('-') && t[7] == QLatin1Char('-') && t[10] == QLatin1Char('T') &&
        t[13] == QLatin1Char(':') && t[16] == QLatin1Char(':')) {
        const auto n = [&](int from, int length) { return QStringView(t).mid(from, length).toInt(); };
        const QDate day(n(0, 4), n(5, 2), n(8, 2));
        const QTime time(n(11, 2), n(14, 2), n(17, 2));
        if (day.isValid() && time.isValid())
            return QDateTime(day, time);
    }
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

std::optional<qint64> LibraryDateKey(const QString& text)
{
    const QDateTime when = ParseLibraryDate(text);
    if (!when.isValid())
        return std::nullopt;
    return QDateTime(when.date(), when.time(), Qt::UTC).toMSecsSinceEpoch();
}

QString LibraryDateKeyText(qint64 key)
{
    static const QLocale locale = QLocale::system();
    static const QString format = locale.dateTimeFormat(QLocale::ShortFormat);
    return locale.toString(QDateTime::fromMSecsSinceEpoch(key, Qt::UTC), format);
}
