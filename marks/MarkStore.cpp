#include "marks/MarkStore.h"

#include <QHash>
#include <QSet>
#include <limits>

namespace {

const QLatin1String kExact("exact");

std::optional<int64_t> ReadNumber(const QString& text, int64_t lowest, int64_t highest)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

// The element children of a mark by lower-cased name (the first of each name).
QHash<QString, DomNode> ChildrenOf(const DomNode& element)
{
    QHash<QString, DomNode> children;
    for (const DomNode& child : element.childNodes()) {
        if (child.nodeType() != DomNodeType::Element)
            continue;
        const QString name = child.nodeName().toLower();
        if (!children.contains(name))
            children.insert(name, child);
    }
    return children;
}

QString Describe(const QString& kind, const QString& id, const QString& why)
{
    return QStringLiteral("%1 '%2' skipped: %3").arg(kind, id, why);
}

constexpr int64_t kMaxLocation = std::numeric_limits<int32_t>::max();
constexpr int64_t kMaxPosition = std::numeric_limits<int32_t>::max();

// What the file's layout makes of a text: tabs and line breaks become blanks, the ends are trimmed.
QString AsLaidOut(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : out) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return out.trimmed();
}

DomNode AppendChild(DomNode& parent, const QString& name, const QString& text)
{
    DomDocument doc = parent.ownerDocument();
    DomNode child = doc.createElement(name);
    child.setText(text);
    return parent.appendChild(child);
}

} // namespace

QString LocationText(int32_t location)
{
    return QStringLiteral("%1").arg(location, 5, 10, QLatin1Char('0'));
}

StoredMarks ReadMarks(const DomDocument& usage)
{
    StoredMarks marks;
    const DomNode root = usage.documentElement();
    if (root.isNull())
        return marks;
    QSet<int64_t> bookmarkIds, annotationIds;
    for (const DomNode& element : root.childNodes()) {
        if (element.nodeType() != DomNodeType::Element)
            continue;
        const QString name = element.nodeName();
        const bool isBookmark = name == MarkNames::Bookmark;
        if (!isBookmark && name != MarkNames::Annotation)
            continue;
        const QString id = element.getAttribute(QStringLiteral("id"));
        const auto idValue = ReadNumber(id, 0, std::numeric_limits<int64_t>::max());
        if (!idValue) {
            marks.problems << Describe(name, id, QStringLiteral("the id is no number"));
            continue;
        }
        QSet<int64_t>& seen = isBookmark ? bookmarkIds : annotationIds;
        if (seen.contains(*idValue)) {
            marks.problems << Describe(name, id, QStringLiteral("another %1 has the same id").arg(name));
            continue;
        }
        seen.insert(*idValue);
        const QHash<QString, DomNode> children = ChildrenOf(element);
        const QString prefix = isBookmark ? QStringLiteral("bmk-") : QStringLiteral("ann-");
        auto textOf = [&](const char* child) { return children.value(prefix + QLatin1String(child)).text(); };
        auto need = [&](const char* child) {
            if (children.contains(prefix + QLatin1String(child)))
                return true;
            marks.problems << Describe(name, id, QStringLiteral("no %1%2").arg(prefix, QLatin1String(child)));
            return false;
        };

        if (isBookmark) {
            const QString type = element.getAttribute(QStringLiteral("type"));
            StoredBookmark b;
            b.user = type == QLatin1String("user");
            if (!b.user) {
                // The last-read bookmark is a target only once a position was saved into it.
                if (type != QLatin1String("auto") || *idValue != 0) {
                    marks.problems << Describe(name, id, QStringLiteral("unknown type '%1'").arg(type));
                    continue;
                }
                if (textOf("position").trimmed().isEmpty() || textOf("id").trimmed().isEmpty())
                    continue;
            }
            if (!need("id") || !need("position"))
                continue;
            const auto location = ReadNumber(textOf("id"), 100, kMaxLocation);
            const auto position = ReadNumber(textOf("position"), 0, kMaxPosition);
            if (!location || !position) {
                marks.problems << Describe(name, id,
                                           QStringLiteral("place '%1' '%2' cannot be read")
                                               .arg(textOf("id").left(20), textOf("position").left(20)));
                continue;
            }
            b.node = element;
            b.id = id.trimmed();
            b.idValue = *idValue;
            b.place = {int32_t(*location), int32_t(*position)};
            b.title = ExactText(children.value(QStringLiteral("bmk-descriptivetitle")));
            b.date = textOf("date");
            b.snippet = ExactText(children.value(QStringLiteral("bmk-snippet")));
            marks.bookmarks.push_back(std::move(b));
        } else {
            if (!need("id") || !need("position") || !need("poslength"))
                continue;
            const auto location = ReadNumber(textOf("id"), 100, kMaxLocation);
            const auto position = ReadNumber(textOf("position"), -1, kMaxPosition);
            const auto length = ReadNumber(textOf("poslength"), 0, kMaxPosition);
            if (!location || !position || !length) {
                marks.problems << Describe(
                    name, id,
                    QStringLiteral("place '%1' '%2' '%3' cannot be read")
                        .arg(textOf("id").left(20), textOf("position").left(20), textOf("poslength").left(20)));
                continue;
            }
            StoredAnnotation a;
            a.node = element;
            a.id = id.trimmed();
            a.idValue = *idValue;
            a.place = {int32_t(*location), int32_t(*position)};
            a.length = *position < 0 ? 0 : int32_t(*length);
            a.title = ExactText(children.value(QStringLiteral("ann-descriptivetitle")));
            a.date = textOf("date");
            a.text = ExactText(children.value(QStringLiteral("ann-text")));
            a.snippet = ExactText(children.value(QStringLiteral("ann-snippet")));
            marks.annotations.push_back(std::move(a));
        }
    }
    return marks;
}

namespace {

int CountChildren(const DomDocument& usage, const QString& name, bool userOnly)
{
    const DomNode root = usage.documentElement();
    if (root.isNull())
        return 0;
    int count = 0;
    for (const DomNode& element : root.childNodes()) {
        if (element.nodeType() == DomNodeType::Element && element.nodeName() == name &&
            (!userOnly || element.getAttribute(QStringLiteral("type")) == QLatin1String("user")))
            ++count;
    }
    return count;
}

} // namespace

int CountUserBookmarks(const DomDocument& usage)
{
    return CountChildren(usage, MarkNames::Bookmark, true);
}

int CountAnnotationElements(const DomDocument& usage)
{
    return CountChildren(usage, MarkNames::Annotation, false);
}

QString NewMarkId(const DomNode& root, const QString& elementName)
{
    int64_t largest = 0;
    for (const DomNode& element : root.childNodes()) {
        if (element.nodeType() != DomNodeType::Element || element.nodeName() != elementName)
            continue;
        if (const auto id =
                ReadNumber(element.getAttribute(QStringLiteral("id")), 0, std::numeric_limits<int64_t>::max() - 1))
            largest = std::max(largest, *id);
    }
    return QString::number(largest + 1);
}

QString MarkRowText(const QString& title, const QString& date)
{
    QString row = title;
    // A note's title may hold line breaks; a list row is one line.
    for (QChar& c : row) {
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    }
    return row + QStringLiteral(" (") + date + QLatin1Char(')');
}

void SetExactText(DomNode element, const QString& text)
{
    element.setText(text);
    if (AsLaidOut(text) != text)
        element.setAttribute(QString(kExact), text);
    else if (!element.getAttribute(QString(kExact)).isEmpty())
        element.setAttribute(QString(kExact), QString());
}

QString ExactText(const DomNode& element)
{
    if (element.isNull())
        return QString();
    const QString text = element.text();
    const QString exact = element.getAttribute(QString(kExact));
    if (!exact.isEmpty() && AsLaidOut(exact) == AsLaidOut(text))
        return exact;
    return text;
}

std::optional<size_t> NearestMark(const std::vector<MarkPlace>& places, const MarkPlace& from, bool next)
{
    std::optional<size_t> best;
    auto before = [](const MarkPlace& a, const MarkPlace& b) {
        return a.location != b.location ? a.location < b.location : a.position < b.position;
    };
    for (size_t i = 0; i < places.size(); ++i) {
        const MarkPlace& p = places[i];
        if (p.position < 0 && p.location == from.location)
            continue;
        const bool candidate = next ? before(from, p) : before(p, from);
        if (!candidate)
            continue;
        // Equal places: the first made goes first, the last made last.
        if (!best || (next ? before(p, places[*best]) : !before(p, places[*best])))
            best = i;
    }
    return best;
}

QString SnippetAt(const QString& text, int32_t position, int32_t length)
{
    if (position < 0 || position >= text.size())
        return QString();
    QString snippet = text.mid(position, std::min<int32_t>(std::max(length, 1), MaxSnippet));
    for (qsizetype i = 0; i < snippet.size(); ++i) {
        if (snippet[i] == u'\r' || snippet[i] == u'\n') {
            snippet.truncate(i);
            break;
        }
    }
    return snippet;
}

int32_t LocateMark(const QString& text, int32_t position, const QString& snippet)
{
    if (snippet.isEmpty() || position < 0 || QStringView(text).mid(position).startsWith(snippet))
        return position;
    const qsizetype after = text.indexOf(snippet, std::min<qsizetype>(position, text.size()));
    const qsizetype before =
        position > 0 ? text.lastIndexOf(snippet, std::min<qsizetype>(position, text.size()) - 1) : qsizetype(-1);
    if (after < 0 && before < 0)
        return position;
    if (after < 0)
        return int32_t(before);
    if (before < 0)
        return int32_t(after);
    return int32_t(after - position <= position - before ? after : before);
}

DomNode AppendBookmark(DomNode& root, const QString& id, const QString& date, const MarkPlace& place,
                       const QString& title, const QString& snippet)
{
    DomDocument doc = root.ownerDocument();
    DomNode element = doc.createElement(MarkNames::Bookmark);
    element.setAttribute(QStringLiteral("id"), id);
    element.setAttribute(QStringLiteral("type"), QStringLiteral("user"));
    element = root.appendChild(element);
    AppendChild(element, QStringLiteral("bmk-date"), date);
    AppendChild(element, QStringLiteral("bmk-id"), LocationText(place.location));
    AppendChild(element, QStringLiteral("bmk-position"), QString::number(place.position));
    SetExactText(AppendChild(element, QStringLiteral("bmk-descriptivetitle"), QString()), title);
    // Readers that do not know the snippet pass over it.
    if (!snippet.isEmpty())
        SetExactText(AppendChild(element, QStringLiteral("bmk-snippet"), QString()), snippet);
    return element;
}

DomNode AppendAnnotation(DomNode& root, const QString& id, const QString& date, const MarkPlace& place, int32_t length,
                         const QString& title, const QString& text, const QString& snippet)
{
    DomDocument doc = root.ownerDocument();
    DomNode element = doc.createElement(MarkNames::Annotation);
    element.setAttribute(QStringLiteral("id"), id);
    element.setAttribute(QStringLiteral("type"), QStringLiteral("user"));
    element = root.appendChild(element);
    AppendChild(element, QStringLiteral("ann-date"), date);
    AppendChild(element, QStringLiteral("ann-id"), LocationText(place.location));
    AppendChild(element, QStringLiteral("ann-position"), QString::number(place.position));
    AppendChild(element, QStringLiteral("ann-poslength"), QString::number(length));
    SetExactText(AppendChild(element, QStringLiteral("ann-descriptivetitle"), QString()), title);
    SetExactText(AppendChild(element, QStringLiteral("ann-text"), QString()), text);
    if (!snippet.isEmpty())
        SetExactText(AppendChild(element, QStringLiteral("ann-snippet"), QString()), snippet);
    return element;
}

void UpdateAnnotationElement(DomNode& element, const QString& date, const QString& title, const QString& text)
{
    DomNode dateNode, titleNode, textNode;
    for (const DomNode& child : element.childNodes()) {
        if (child.nodeType() != DomNodeType::Element)
            continue;
        const QString name = child.nodeName().toUpper();
        if (name == QLatin1String("ANN-DATE") && dateNode.isNull())
            dateNode = child;
        else if (name == QLatin1String("ANN-DESCRIPTIVETITLE") && titleNode.isNull())
            titleNode = child;
        else if (name == QLatin1String("ANN-TEXT") && textNode.isNull())
            textNode = child;
    }
    // A child removed by hand is made again, so the edit is not lost.
    if (dateNode.isNull())
        dateNode = AppendChild(element, QStringLiteral("ann-date"), QString());
    if (titleNode.isNull())
        titleNode = AppendChild(element, QStringLiteral("ann-descriptivetitle"), QString());
    if (textNode.isNull())
        textNode = AppendChild(element, QStringLiteral("ann-text"), QString());
    dateNode.setText(date);
    SetExactText(titleNode, title);
    SetExactText(textNode, text);
}
