#include "search/SearchEntries.h"

#include "app/core/RunState.h"
#include "navigation/WordCount.h"
#include "package/NavIndex.h"
#include "package/dom/Dom.h"
#include "render/StyleApplier.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "settings/Options.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <thread>

namespace {

struct TagTexts {
    QString open, close;
};

// What the style sheet inserts at each element's start and end tags, by lower-cased name.
QHash<QString, TagTexts> StyleTexts()
{
    QHash<QString, TagTexts> texts;
    const std::vector<StyleRecord>& table = StyleTable();
    if (table.empty())
        return texts;
    const size_t last = std::min(static_cast<size_t>(std::max(StyleCount(), 0)), table.size() - 1);
    for (size_t r = 1; r <= last; ++r) {
        const StyleRecord& record = table[r];
        TagTexts& t = texts[record[Style::Name].toLower()];
        t.open += SetText(record[Style::OpentagPrefix]) + SetText(record[Style::OpentagSuffix]);
        t.close += SetText(record[Style::ClosetagPrefix]) + SetText(record[Style::ClosetagSuffix]);
    }
    return texts;
}

QString StyleSignature()
{
    QString signature;
    for (const auto& [name, texts] : StyleTexts().asKeyValueRange())
        signature += name + u'\x1f' + texts.open + u'\x1f' + texts.close + u'\x1e';
    return signature;
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Appends text as the tokenizer passes it on: a run of blanks holding a line
// break or TAB is one blank, or nothing right after a start tag or before an end tag.
void AppendText(QString& out, const QString& text, bool afterStartTag, bool beforeEndTag)
{
    const QChar* d = text.constData();
    const qsizetype n = text.size();
    qsizetype copied = 0; // text before this is in out already
    for (qsizetype i = 0; i < n; ++i) {
        // Only a run holding a line break or TAB changes; plain spaces stay as they are.
        if (d[i] != u'\n' && d[i] != u'\t')
            continue;
        qsizetype begin = i;
        while (begin > copied && IsBlank(d[begin - 1]))
            --begin;
        qsizetype end = i;
        while (end < n && IsBlank(d[end]))
            ++end;
        out += QStringView(d + copied, begin - copied);
        if (!((begin == 0 && afterStartTag) || (end == n && beforeEndTag)))
            out += u' ';
        copied = end;
        i = end - 1;
    }
    out += QStringView(d + copied, n - copied);
}

const TagTexts* TextsOf(const QHash<QString, TagTexts>& styles, const QString& name)
{
    // Element names are nearly always lower case already.
    auto found = styles.constFind(name);
    if (found == styles.cend() && !name.isLower())
        found = styles.constFind(name.toLower());
    return found == styles.cend() ? nullptr : &*found;
}

void AppendUnit(QString& out, const DomNode& node, const QHash<QString, TagTexts>& styles)
{
    bool first = true;
    for (DomNode child = node.firstChild(); !child.isNull(); first = false) {
        DomNode next = child.nextSibling();
        const DomNodeType type = child.nodeType();
        if (type == DomNodeType::Text || type == DomNodeType::CData) {
            AppendText(out, child.nodeValue(), first, next.isNull());
        } else if (type == DomNodeType::Element) {
            const QString name = child.nodeName();
            const TagTexts* texts = TextsOf(styles, name);
            if (texts)
                out += texts->open;
            // The view describes a picture where it stands.
            if (name.compare(QLatin1String("img"), Qt::CaseInsensitive) == 0) {
                const QString descr = child.getAttribute(QStringLiteral("descr"));
                if (!descr.isEmpty())
                    out += QStringLiteral("Afbeelding beschrijving: ") + descr.trimmed();
            }
            AppendUnit(out, child, styles);
            if (texts)
                out += texts->close;
        }
        child = std::move(next);
    }
}

struct Prepared {
    const void* document = nullptr;
    size_t headings = 0;
    int16_t levels = 0;
    QString styles;
    std::vector<SearchEntry> entries;
};

Prepared& Cache()
{
    static Prepared prepared;
    return prepared;
}

} // namespace

QString UnitSearchText(const DomNode& unit)
{
    if (unit.isNull())
        return {};
    const QHash<QString, TagTexts> styles = StyleTexts();
    QString out;
    const TagTexts* texts = TextsOf(styles, unit.nodeName());
    if (texts)
        out += texts->open;
    AppendUnit(out, unit, styles);
    if (texts)
        out += texts->close;
    return out;
}

namespace {

SearchEntry MakeEntry(const NavIndex& index, int32_t e, const QHash<QString, TagTexts>& texts)
{
    const NavEntry& entry = index.at(e);
    const DomNode unit = entry.heading.parentNode().parentNode();
    SearchEntry s;
    s.id = entry.id;
    s.entry = e;
    if (!unit.isNull()) {
        const TagTexts* named = TextsOf(texts, unit.nodeName());
        if (named)
            s.text += named->open;
        AppendUnit(s.text, unit, texts);
        if (named)
            s.text += named->close;
    }
    s.folded = s.text.toCaseFolded();
    if (s.folded.size() != s.text.size())
        s.folded.clear();
    return s;
}

// Runs work on worker threads while the window goes on painting; the reader's
// input waits until it ends. Without an application, here and now.
void RunKeepingWindowAlive(const std::vector<std::function<void()>>& work)
{
    if (!QCoreApplication::instance() || work.size() < 2) {
        for (const auto& w : work)
            w();
        return;
    }
    QEventLoop loop;
    std::atomic<size_t> left{work.size()};
    // A failure on a worker reaches the caller, as it would without threads.
    std::vector<std::exception_ptr> failures(work.size());
    std::vector<std::thread> workers;
    for (size_t i = 0; i < work.size(); ++i) {
        workers.emplace_back([&, i] {
            try {
                work[i]();
            } catch (...) {
                failures[i] = std::current_exception();
            }
            if (--left == 0)
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    }
    // The workers may finish before the loop starts; the queued quit still ends it.
    if (left > 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    for (std::thread& t : workers)
        t.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace

const std::vector<SearchEntry>& SearchableEntries()
{
    const RunState& rs = Run();
    const NavIndex& index = DocumentNavIndex();
    const void* document = rs.XmlDoc.asNode().identity();
    Prepared& cache = Cache();
    const QString styles = StyleSignature();
    if (cache.document == document && cache.headings == index.entries().size() && cache.levels == rs.NavLevelCount &&
        cache.styles == styles)
        return cache.entries;

    cache = Prepared{document, index.entries().size(), rs.NavLevelCount, styles, {}};
    if (!index.isFor(document))
        return cache.entries;
    std::vector<int32_t> order;
    for (const int32_t root : index.roots()) {
        if (rs.NavLevelCount < 2)
            order.push_back(root);
        else
            order.insert(order.end(), index.at(root).children.begin(), index.at(root).children.end());
    }
    cache.entries.resize(order.size());
    // The document is only read meanwhile; each worker fills its own share of the entries.
    const QHash<QString, TagTexts> texts = StyleTexts();
    const size_t parts = order.size() < 64 ? 1 : std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
    std::vector<std::function<void()>> work;
    for (size_t p = 0; p < parts; ++p) {
        work.emplace_back([&, p] {
            for (size_t i = p; i < order.size(); i += parts)
                cache.entries[i] = MakeEntry(index, order[i], texts);
        });
    }
    try {
        RunKeepingWindowAlive(work);
    } catch (...) {
        // Half-built entries would hide matches from every later search.
        cache = Prepared{};
        throw;
    }
    return cache.entries;
}

void ForgetSearchableEntries()
{
    Cache() = Prepared{};
}

qsizetype FindPhrase(const SearchEntry& entry, const QString& phrase, const QString& foldedPhrase, bool caseSensitive,
                     bool wholeWord, qsizetype from)
{
    if (phrase.isEmpty())
        return -1;
    const bool useFolded = !caseSensitive && !entry.folded.isEmpty() && foldedPhrase.size() == phrase.size();
    const QString& haystack = useFolded ? entry.folded : entry.text;
    const QString& needle = useFolded ? foldedPhrase : phrase;
    const Qt::CaseSensitivity cs = (caseSensitive || useFolded) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype at = haystack.indexOf(needle, from, cs); at >= 0; at = haystack.indexOf(needle, at + 1, cs)) {
        if (!wholeWord || StandsAlone(entry.text, at, phrase.size()))
            return at;
    }
    return -1;
}
