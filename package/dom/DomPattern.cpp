#include "package/dom/DomPattern.h"

#include <array>
#include <pugixml.hpp>

namespace {

struct PatternOperator {
    QLatin1String name;
    QLatin1String xpath;
};

constexpr std::array<PatternOperator, 8> Operators{{
    {QLatin1String("gt"), QLatin1String(">")},
    {QLatin1String("lt"), QLatin1String("<")},
    {QLatin1String("ge"), QLatin1String(">=")},
    {QLatin1String("le"), QLatin1String("<=")},
    {QLatin1String("eq"), QLatin1String("=")},
    {QLatin1String("ne"), QLatin1String("!=")},
    {QLatin1String("and"), QLatin1String("and")},
    {QLatin1String("or"), QLatin1String("or")},
}};

// The operator spelled between the dollar at 'at' and the next dollar, if any.
const PatternOperator* OperatorAt(const QString& pattern, qsizetype at, qsizetype& end)
{
    end = pattern.indexOf(QLatin1Char('$'), at + 1);
    if (end < 0 || end - at - 1 > 3)
        return nullptr;
    const QStringView name = QStringView(pattern).mid(at + 1, end - at - 1);
    for (const PatternOperator& op : Operators)
        if (name.compare(op.name, Qt::CaseInsensitive) == 0)
            return &op;
    return nullptr;
}

} // namespace

QString TranslateXslPattern(const QString& pattern)
{
    QString out;
    out.reserve(pattern.size() + 8);
    QChar quote;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('$')) {
            qsizetype end = 0;
            if (const PatternOperator* op = OperatorAt(pattern, i, end)) {
                // Blanks around the operator keep "a$and$b" two names apart.
                if (!out.isEmpty() && !out.back().isSpace())
                    out += QLatin1Char(' ');
                out += op->xpath;
                if (end + 1 < pattern.size() && !pattern[end + 1].isSpace())
                    out += QLatin1Char(' ');
                i = end;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool PatternCompiles(const QString& pattern, QString* reason)
{
    try {
        const pugi::xpath_query query(TranslateXslPattern(pattern).toStdString().c_str());
        if (query.return_type() == pugi::xpath_type_node_set)
            return true;
        if (reason)
            *reason = QStringLiteral("Expression does not select nodes");
    } catch (const pugi::xpath_exception& e) {
        if (reason)
            *reason = QString::fromUtf8(e.what());
    }
    return false;
}

bool PatternIsSimple(const QString& pattern)
{
    QChar quote;
    QChar previous;
    for (const QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'(' || (c == u':' && previous == u':') || (c == u'/' && previous == u'/') ||
                   (c == u'.' && previous == u'.')) {
            return false;
        }
        previous = c;
    }
    return true;
}
