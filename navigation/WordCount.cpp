#include "navigation/WordCount.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "package/dom/Dom.h"
#include "settings/Options.h"

#include <QRegularExpression>

int CountSpacesAndBreaks(const QString& text)
{
    // Line breaks of either convention count one each; the DOM hands over LF.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    const QStringList lines = text.split(lineBreak);
    int count = static_cast<int>(lines.size()) - 1;
    for (const QString& line : lines)
        count += static_cast<int>(line.count(QLatin1Char(' ')));
    return count;
}

DomNode CountedElement(const DomNode& heading, const QString& path)
{
    const auto separators = path.count(QLatin1Char('/'));
    if (separators > 3)
        return {};
    DomNode node = heading;
    for (qsizetype i = 0; i < separators && !node.isNull(); ++i)
        node = node.parentNode();
    return node;
}

QString WordCount(const QString& id, int listLevel)
{
    return Guarded("WordCount", QString(), [&] {
        const RunState& rs = Run();
        if (!Opts().ShowWordCount)
            return QString();
        if (listLevel != 0 && listLevel != rs.NavLevelCount)
            return QString();
        const QString path = (rs.NavLevelCount >= 2 ? rs.XdfNavLevel[2] : rs.XdfNavLevel[1]).trimmed();
        // Ids are digits written by AddNodeIds; anything else finds nothing.
        bool numeric = false;
        id.toInt(&numeric);
        if (path.isEmpty() || !numeric)
            return QString();
        SetStep(QStringLiteral("Select the heading"));
        const DomNode heading = rs.XmlDoc.selectSingleNode(QStringLiteral("//") + path + QStringLiteral("[@id = ") +
                                                           id + QStringLiteral("]"));
        if (heading.isNull())
            return QString();
        return WordCount(heading, listLevel);
    });
}

QString WordCount(const DomNode& heading, int listLevel)
{
    return Guarded("WordCount", QString(), [&] {
        const RunState& rs = Run();
        if (!Opts().ShowWordCount || heading.isNull())
            return QString();
        if (listLevel != 0 && listLevel != rs.NavLevelCount)
            return QString();
        const QString path = (rs.NavLevelCount >= 2 ? rs.XdfNavLevel[2] : rs.XdfNavLevel[1]).trimmed();
        if (path.isEmpty())
            return QString();
        SetStep(QStringLiteral("Count the text"));
        const DomNode counted = CountedElement(heading, path);
        if (counted.isNull())
            return QString();
        return QStringLiteral(" [%1]").arg(CountSpacesAndBreaks(counted.text()));
    });
}

QString NoWordCount(const QString& text)
{
    if (!Opts().ShowWordCount || Run().CurrentLevel == 1)
        return text;
    const auto cut = text.lastIndexOf(QStringLiteral(" ["));
    return cut < 0 ? text : text.left(cut);
}
