#include "search/SearchEntries.h"

#include "app/core/RunState.h"
#include "navigation/WordCount.h"
#include "package/NavIndex.h"
#include "package/dom/Dom.h"
#include "render/FoldedFind.h"
#include "render/StyleApplier.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "settings/Options.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <utility>

#include <cstdlib>
#include <memory>
#include <new>
#include <sys/mman.h>

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

const TagTexts* TextsOf(const QHash<QString, TagTexts>& styles, const QString& name)
{
    // Element names are nearly always lower case already.
    auto found = styles.constFind(name);
    if (found == styles.cend() && !name.isLower())
        found = styles.constFind(name.toLower());
    return found == styles.cend() ? nullptr : &*found;
}

bool IsImage(std::string_view name)
{
    if (name.size() == 3 && static_cast<unsigned char>(name[0]) < 0x80 && static_cast<unsigned char>(name[1]) < 0x80 &&
        static_cast<unsigned char>(name[2]) < 0x80)
        return (name[0] | 0x20) == 'i' && (name[1] | 0x20) == 'm' && (name[2] | 0x20) == 'g';
    // Beyond ASCII, case-insensitive comparison has rules of its own.
    return name.size() > 3 &&
           QString::fromUtf8(name.data(), qsizetype(name.size())).compare(QLatin1String("img"), Qt::CaseInsensitive) ==
               0;
}

// Memory for the entries' texts, in large blocks that are never moved: the
// entries look into them. The large ones are asked for in huge pages, since
// the first touch of some 100 MB in small pages costs about as much as
// building the texts.
class TextBlocks {
public:
    TextBlocks() = default;
    TextBlocks(TextBlocks&& other) noexcept { *this = std::move(other); }
    // What was moved away is empty, and writes into no block of the other's.
    TextBlocks& operator=(TextBlocks&& other) noexcept
    {
        m_blocks = std::move(other.m_blocks);
        other.m_blocks.clear();
        m_current = std::exchange(other.m_current, nullptr);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_next = std::exchange(other.m_next, FirstBlock);
        return *this;
    }

    // Room for n more characters after the piece being written (from `start`
    // to `used` of the current block), which moves along into a new block
    // when it does not fit; start and used follow it.
    char16_t* room(qsizetype& start, qsizetype& used, qsizetype n)
    {
        if (m_current && used + n <= m_capacity)
            return m_current + used;
        const qsizetype piece = used - start;
        const qsizetype capacity = std::max<qsizetype>(std::min(m_next, MaxBlock), 2 * (piece + n));
        char16_t* block = allocate(capacity);
        if (piece > 0)
            std::copy(m_current + start, m_current + used, block);
        m_current = block;
        m_capacity = capacity;
        m_next = std::min(m_next * 2, MaxBlock);
        start = 0;
        used = piece;
        return m_current + used;
    }
    char16_t* at(qsizetype i) const { return m_current + i; }
    void take(TextBlocks& other)
    {
        for (auto& b : other.m_blocks)
            m_blocks.push_back(std::move(b));
        other = TextBlocks();
    }

private:
    static constexpr qsizetype FirstBlock = qsizetype(64) << 10; // characters
    static constexpr qsizetype MaxBlock = qsizetype(8) << 20;
    static constexpr size_t HugePage = size_t(2) << 20;

    struct Free {
        void operator()(char16_t* p) const { std::free(p); }
    };

    char16_t* allocate(qsizetype characters)
    {
        size_t bytes = size_t(characters) * sizeof(char16_t);
        void* p = nullptr;
        if (bytes >= 2 * HugePage) {
            bytes = (bytes + HugePage - 1) / HugePage * HugePage;
            p = std::aligned_alloc(HugePage, bytes);
            if (p)
                madvise(p, bytes, MADV_HUGEPAGE);
        } else {
            p = std::malloc(bytes);
        }
        if (!p)
            throw std::bad_alloc();
        m_blocks.emplace_back(static_cast<char16_t*>(p));
        return m_blocks.back().get();
    }

    std::vector<std::unique_ptr<char16_t, Free>> m_blocks;
    char16_t* m_current = nullptr;
    qsizetype m_capacity = 0;
    qsizetype m_next = FirstBlock;
};

// Builds the texts of units straight from the tree into text blocks. Each text
// node is decoded on its own, as a node's value is, so bytes that are no UTF-8
// turn out the same; blanks are then folded in place.
class UnitTextBuilder final : public DomTextVisitor {
public:
    explicit UnitTextBuilder(const QHash<QString, TagTexts>& styles) : m_styles(styles) {}

    // The text built since the last call, how it folds, and its fold when that
    // is kept (see SearchEntry); both stay where they are in the blocks.
    std::tuple<QStringView, SearchEntry::Folding, QStringView> finish()
    {
        using Folding = SearchEntry::Folding;
        const qsizetype n = m_used - m_start;
        const QStringView text(m_blocks.at(m_start), n);
        m_start = m_used;
        // Only surrogates can make folding a text whole differ from folding it as a search goes.
        if (!HoldsSurrogates(text))
            return {text, Folding::AsItGoes, QStringView()};
        const QString whole = text.toString().toCaseFolded();
        if (whole.size() != n)
            return {text, Folding::ByQString, QStringView()};
        qsizetype same = 0;
        while (same < n && FoldedAt(text.utf16(), n, same) == whole[same].unicode())
            ++same;
        if (same == n)
            return {text, Folding::AsItGoes, QStringView()};
        // The text stays where it is when its fold goes to a new block.
        char16_t* folded = room(n);
        std::copy(whole.cbegin(), whole.cend(), reinterpret_cast<QChar*>(folded));
        m_used += n;
        m_start = m_used;
        return {text, Folding::Kept, QStringView(folded, n)};
    }
    TextBlocks& blocks() { return m_blocks; }

    void startElement(std::string_view name, const Element& element) override
    {
        if (const TagTexts* texts = textsOf(name))
            append(texts->open);
        // The view describes a picture where it stands (inside the unit).
        if (m_depth++ > 0 && IsImage(name)) {
            const std::string_view descr = element.attribute("descr");
            if (!descr.empty()) {
                append(QStringLiteral("Afbeelding beschrijving: "));
                append(QString::fromUtf8(descr.data(), qsizetype(descr.size())).trimmed());
            }
        }
    }

    void endElement(std::string_view name) override
    {
        --m_depth;
        if (const TagTexts* texts = textsOf(name))
            append(texts->close);
    }

    void text(const char* value, bool first, bool last) override
    {
        // One pass finds the length of most values, which hold no line break or TAB.
        size_t size = std::strcspn(value, "\n\t");
        const bool blanks = value[size] != '\0';
        if (blanks)
            size += std::strlen(value + size);
        QChar* out = reinterpret_cast<QChar*>(room(qsizetype(size)));
        const qsizetype from = m_used;
        m_used += m_decoder.appendToBuffer(out, QByteArrayView(value, qsizetype(size))) - out;
        if (blanks)
            foldBlanks(from, first, last);
    }

private:
    static bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

    char16_t* room(qsizetype n) { return m_blocks.room(m_start, m_used, n); }

    void append(QStringView text)
    {
        char16_t* out = room(text.size());
        std::copy(text.utf16(), text.utf16() + text.size(), out);
        m_used += text.size();
    }

    // A run of blanks holding a line break or TAB becomes one blank, or nothing
    // right after a start tag or before an end tag; plain spaces stay.
    void foldBlanks(qsizetype from, bool afterStartTag, bool beforeEndTag)
    {
        char16_t* d = m_blocks.at(from);
        const qsizetype n = m_used - from;
        qsizetype copied = 0; // input before this is written out
        qsizetype written = 0;
        for (qsizetype i = 0; i < n; ++i) {
            if (d[i] != u'\n' && d[i] != u'\t')
                continue;
            qsizetype begin = i;
            while (begin > copied && IsBlank(d[begin - 1]))
                --begin;
            qsizetype end = i;
            while (end < n && IsBlank(d[end]))
                ++end;
            std::copy(d + copied, d + begin, d + written);
            written += begin - copied;
            if (!((begin == 0 && afterStartTag) || (end == n && beforeEndTag)))
                d[written++] = u' ';
            copied = end;
            i = end - 1;
        }
        std::copy(d + copied, d + n, d + written);
        written += n - copied;
        m_used = from + written;
    }

    // A unit uses a handful of element names thousands of times.
    const TagTexts* textsOf(std::string_view name)
    {
        for (const auto& [known, texts] : m_names) {
            if (known == name)
                return texts;
        }
        if (m_names.size() >= 256)
            m_names.clear();
        m_names.emplace_back(std::string(name),
                             TextsOf(m_styles, QString::fromUtf8(name.data(), qsizetype(name.size()))));
        return m_names.back().second;
    }

    const QHash<QString, TagTexts>& m_styles;
    std::vector<std::pair<std::string, const TagTexts*>> m_names;
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    TextBlocks m_blocks;
    qsizetype m_start = 0; // where the unit being built starts in the current block
    qsizetype m_used = 0;
    int m_depth = 0; // elements open in the walk
};

struct Prepared {
    const void* document = nullptr;
    size_t headings = 0;
    int16_t levels = 0;
    QString styles;
    std::vector<SearchEntry> entries;
    TextBlocks texts; // what the entries' texts look into
};

Prepared& Cache()
{
    static Prepared prepared;
    return prepared;
}

} // namespace

QString UnitSearchText(const DomNode& unit)
{
    const QHash<QString, TagTexts> styles = StyleTexts();
    UnitTextBuilder builder(styles);
    WalkText(unit, builder);
    return std::get<0>(builder.finish()).toString();
}

namespace {

SearchEntry MakeEntry(const NavIndex& index, int32_t e, UnitTextBuilder& builder)
{
    const NavEntry& entry = index.at(e);
    SearchEntry s;
    s.id = entry.id;
    s.entry = e;
    WalkText(entry.heading.parentNode().parentNode(), builder);
    std::tie(s.text, s.folding, s.folded) = builder.finish();
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

    cache = Prepared{document, index.entries().size(), rs.NavLevelCount, styles, {}, {}};
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
    std::vector<std::unique_ptr<UnitTextBuilder>> builders;
    for (size_t p = 0; p < parts; ++p) {
        builders.push_back(std::make_unique<UnitTextBuilder>(texts));
        work.emplace_back([&, p] {
            for (size_t i = p; i < order.size(); i += parts)
                cache.entries[i] = MakeEntry(index, order[i], *builders[p]);
        });
    }
    try {
        RunKeepingWindowAlive(work);
        for (const auto& builder : builders)
            cache.texts.take(builder->blocks());
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
    using Folding = SearchEntry::Folding;
    const bool folds = !caseSensitive && entry.folding != Folding::ByQString && foldedPhrase.size() == phrase.size();
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    auto next = [&](qsizetype at) {
        if (!folds)
            return entry.text.indexOf(phrase, at, cs);
        if (entry.folding == Folding::Kept)
            return entry.folded.indexOf(foldedPhrase, at, Qt::CaseSensitive);
        return IndexOfFolded(entry.text, foldedPhrase, at);
    };
    for (qsizetype at = next(from); at >= 0; at = next(at + 1)) {
        if (!wholeWord || StandsAlone(QString::fromRawData(entry.text.data(), entry.text.size()), at, phrase.size()))
            return at;
    }
    return -1;
}
