#include "marks/MarkStore.h"

#include <QByteArray>
#include <QSet>
#include <cstring>
#include <limits>
#include <pugixml.hpp>

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

// All text below a node, as DomNode::text() gives it.
void AppendText(pugi::xml_node node, std::string& out)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            out += c.value();
        else if (c.type() == pugi::node_element)
            AppendText(c, out);
    }
}

QString TextOf(pugi::xml_node node)
{
    if (!node)
        return QString();
    // Most children hold one run of text: no copy on the way.
    const pugi::xml_node first = node.first_child();
    if (first && !first.next_sibling() && first.type() == pugi::node_pcdata)
        return QString::fromUtf8(first.value());
    std::string out;
    AppendText(node, out);
    return QString::fromStdString(out);
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

namespace {

// The children of a mark by name, compared without case; the first of each name counts.
struct MarkChildren {
    pugi::xml_node date, id, position, length, title, text, snippet;
};

MarkChildren ChildrenOf(pugi::xml_node element, bool bookmark)
{
    MarkChildren found;
    const char* prefix = bookmark ? "bmk-" : "ann-";
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const char* name = c.name();
        if (qstrnicmp(name, prefix, 4) != 0)
            continue;
        const char* rest = name + 4;
        auto take = [&](pugi::xml_node& slot, const char* wanted) {
            if (!slot && qstricmp(rest, wanted) == 0)
                slot = c;
        };
        take(found.date, "date");
        take(found.id, "id");
        take(found.position, "position");
        take(found.length, "poslength");
        take(found.title, "descriptivetitle");
        take(found.text, "text");
        take(found.snippet, "snippet");
    }
    return found;
}

QString ExactTextOf(pugi::xml_node element)
{
    if (!element)
        return QString();
    const QString text = TextOf(element);
    const pugi::xml_attribute exact = element.attribute("exact");
    if (exact && *exact.value()) {
        const QString kept = QString::fromUtf8(exact.value());
        if (AsLaidOut(kept) == AsLaidOut(text))
            return kept;
    }
    return text;
}

} // namespace

StoredMarks ReadMarks(const DomDocument& usage)
{
    StoredMarks marks;
    pugi::xml_node root;
    for (pugi::xml_node c = usage.native().first_child(); c && !root; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && std::strcmp(c.name(), "#free") != 0)
            root = c;
    }
    QSet<int64_t> bookmarkIds, annotationIds;
    for (pugi::xml_node element = root.first_child(); element; element = element.next_sibling()) {
        if (element.type() != pugi::node_element)
            continue;
        const bool isBookmark = std::strcmp(element.name(), "bookmark") == 0;
        if (!isBookmark && std::strcmp(element.name(), "annotation") != 0)
            continue;
        const QString name = isBookmark ? MarkNames::Bookmark : MarkNames::Annotation;
        const QString id = QString::fromUtf8(element.attribute("id").value());
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
        const MarkChildren children = ChildrenOf(element, isBookmark);
        const QString prefix = isBookmark ? QStringLiteral("bmk-") : QStringLiteral("ann-");
        auto missing = [&](pugi::xml_node child, const char* what) {
            if (child)
                return false;
            marks.problems << Describe(name, id, QStringLiteral("no %1%2").arg(prefix, QLatin1String(what)));
            return true;
        };

        if (isBookmark) {
            const QString type = QString::fromUtf8(element.attribute("type").value());
            StoredBookmark b;
            b.user = type == QLatin1String("user");
            if (!b.user) {
                if (type != QLatin1String("auto") || *idValue != 0) {
                    marks.problems << Describe(name, id, QStringLiteral("unknown type '%1'").arg(type));
                    continue;
                }
                // The last-read bookmark is a target only once a place was saved into it.
                if (TextOf(children.position).trimmed().isEmpty() || TextOf(children.id).trimmed().isEmpty())
                    continue;
            }
            if (missing(children.id, "id") || missing(children.position, "position"))
                continue;
            const QString locationText = TextOf(children.id);
            const QString positionText = TextOf(children.position);
            const auto location = ReadNumber(locationText, 100, kMaxLocation);
            const auto position = ReadNumber(positionText, 0, kMaxPosition);
            if (!location || !position) {
                marks.problems << Describe(
                    name, id,
                    QStringLiteral("place '%1' '%2' cannot be read").arg(locationText.left(20), positionText.left(20)));
                continue;
            }
            b.id = id.trimmed();
            b.idValue = *idValue;
            b.place = {int32_t(*location), int32_t(*position)};
            b.title = ExactTextOf(children.title);
            b.date = TextOf(children.date);
            b.snippet = ExactTextOf(children.snippet);
            marks.bookmarks.push_back(std::move(b));
        } else {
            if (missing(children.id, "id") || missing(children.position, "position") ||
                missing(children.length, "poslength"))
                continue;
            const QString locationText = TextOf(children.id);
            const QString positionText = TextOf(children.position);
            const QString lengthText = TextOf(children.length);
            const auto location = ReadNumber(locationText, 100, kMaxLocation);
            const auto position = ReadNumber(positionText, -1, kMaxPosition);
            const auto length = ReadNumber(lengthText, 0, kMaxPosition);
            if (!location || !position || !length) {
                marks.problems << Describe(name, id,
                                           QStringLiteral("place '%1' '%2' '%3' cannot be read")
                                               .arg(locationText.left(20), positionText.left(20), lengthText.left(20)));
                continue;
            }
            StoredAnnotation a;
            a.id = id.trimmed();
            a.idValue = *idValue;
            a.place = {int32_t(*location), int32_t(*position)};
            a.length = *position < 0 ? 0 : int32_t(*length);
            a.title = ExactTextOf(children.title);
            a.date = TextOf(children.date);
            a.text = ExactTextOf(children.text);
            a.snippet = ExactTextOf(children.snippet);
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
