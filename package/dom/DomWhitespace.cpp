#include "package/dom/DomWhitespace.h"

#include <cstring>
#include <string_view>

namespace {

constexpr char Marker = '\x01';

const char* FindFrom(const char* from, const char* end, std::string_view what)
{
    if (from >= end)
        return end;
    const void* hit = memmem(from, static_cast<size_t>(end - from), what.data(), what.size());
    return hit ? static_cast<const char*>(hit) + what.size() : end;
}

bool StartsWith(const char* p, const char* end, std::string_view what)
{
    return static_cast<size_t>(end - p) >= what.size() && std::memcmp(p, what.data(), what.size()) == 0;
}

// Past the '>' of a tag, skipping quoted attribute values; selfClosing tells
// whether it ended in "/>".
const char* TagEnd(const char* p, const char* end, bool& selfClosing)
{
    char quote = 0;
    char last = 0;
    for (; p < end; ++p) {
        const char c = *p;
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            selfClosing = last == '/';
            return p + 1;
        }
        last = c;
    }
    selfClosing = false;
    return end;
}

// Past a DOCTYPE (from just after its "<!"), ended as the parser ends it: at
// the first '>' outside quoted values, comments, processing instructions,
// ignored sections and nested "<!" declarations. Brackets play no part.
const char* DeclarationEnd(const char* p, const char* end)
{
    size_t depth = 0;
    while (p < end) {
        if (StartsWith(p, end, "<![")) {
            size_t nested = 0; // an ignored section, which may nest
            for (p += 3; p < end;) {
                if (StartsWith(p, end, "<![")) {
                    p += 3;
                    ++nested;
                } else if (StartsWith(p, end, "]]>")) {
                    p += 3;
                    if (nested-- == 0)
                        break;
                } else {
                    ++p;
                }
            }
        } else if (StartsWith(p, end, "<!--")) {
            p = FindFrom(p + 4, end, "-->");
        } else if (StartsWith(p, end, "<?")) {
            p = FindFrom(p + 2, end, "?>");
        } else if (StartsWith(p, end, "<!")) {
            p += 2;
            ++depth;
        } else if (*p == '"' || *p == '\'') {
            const auto* close = static_cast<const char*>(std::memchr(p + 1, *p, static_cast<size_t>(end - p - 1)));
            p = close ? close + 1 : end;
        } else if (*p == '>') {
            if (depth == 0)
                return p + 1;
            --depth;
            ++p;
        } else {
            ++p; // a stray '<' here is an error the parser reports
        }
    }
    return end;
}

class Marking {
public:
    Marking(const char* text, size_t size) : m_text(text), m_end(text + size) {}

    std::vector<KeptWhitespace> run()
    {
        const char* p = m_text;
        while (p < m_end) {
            const auto* lt = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(m_end - p)));
            const char* runEnd = lt ? lt : m_end;
            if (runEnd > p && !m_open.empty())
                text(p, runEnd);
            if (!lt)
                break;
            p = markup(lt);
        }
        return std::move(m_kept);
    }

private:
    struct Element {
        bool hasText = false;
        size_t firstPending = 0; // its runs with a line break start here in m_pending
    };

    void text(const char* p, const char* end)
    {
        bool lineBreak = false;
        for (const char* q = p; q < end; ++q) {
            const char c = *q;
            if (c == '\n' || c == '\r') {
                lineBreak = true;
            } else if (c != ' ' && c != '\t') {
                m_open.back().hasText = true;
                return;
            }
        }
        const auto offset = static_cast<size_t>(p - m_text);
        if (lineBreak)
            m_pending.push_back(offset); // kept only if the element turns out to hold text
        else
            keep(offset);
    }

    void keep(size_t offset)
    {
        const bool crlf = m_text[offset] == '\r' && m_text + offset + 1 < m_end && m_text[offset + 1] == '\n';
        m_kept.push_back({offset, m_text[offset], crlf});
    }

    const char* markup(const char* lt)
    {
        if (StartsWith(lt, m_end, "<!--"))
            return FindFrom(lt + 4, m_end, "-->");
        if (StartsWith(lt, m_end, "<![CDATA[")) {
            if (!m_open.empty())
                m_open.back().hasText = true;
            return FindFrom(lt + 9, m_end, "]]>");
        }
        if (StartsWith(lt, m_end, "<?"))
            return FindFrom(lt + 2, m_end, "?>");
        if (StartsWith(lt, m_end, "<!"))
            return DeclarationEnd(lt + 2, m_end);
        bool selfClosing = false;
        const char* after = TagEnd(lt + 1, m_end, selfClosing);
        if (lt + 1 < m_end && lt[1] == '/') {
            close();
        } else if (!selfClosing) {
            m_open.push_back({false, m_pending.size()});
        }
        return after;
    }

    void close()
    {
        if (m_open.empty())
            return; // not well-formed; the parser says so
        const Element element = m_open.back();
        m_open.pop_back();
        if (element.hasText)
            for (size_t i = element.firstPending; i < m_pending.size(); ++i)
                keep(m_pending[i]);
        m_pending.resize(element.firstPending);
    }

    const char* m_text;
    const char* m_end;
    std::vector<Element> m_open;
    std::vector<size_t> m_pending;
    std::vector<KeptWhitespace> m_kept;
};

} // namespace

std::vector<KeptWhitespace> FindKeptWhitespace(const char* text, size_t size)
{
    return Marking(text, size).run();
}

void MarkKeptWhitespace(char* text, const std::vector<KeptWhitespace>& kept)
{
    for (const KeptWhitespace& k : kept)
        text[k.offset] = Marker;
}

void RestoreKeptWhitespace(char* parsed, const std::vector<KeptWhitespace>& kept)
{
    for (const KeptWhitespace& k : kept) {
        char* value = parsed + k.offset;
        if (k.crlf) // the parser would have made the pair one line feed
            std::memmove(value, value + 1, std::strlen(value + 1) + 1);
        else
            value[0] = k.first == '\r' ? '\n' : k.first;
    }
}
